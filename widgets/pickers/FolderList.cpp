#include "widgets/pickers/FolderList.h"

#include "platform/FileSystem.h"
#include "platform/NameOrder.h"
#include "widgets/UserCommand.h"
#include "widgets/pickers/FileList.h"

#include <QKeyEvent>
#include <algorithm>

namespace {
constexpr int GlyphRowHeight = 16;

QString Joined(const QString& folder, const QString& name) {
    return folder.endsWith(u'\\') ? folder + name : folder + u'\\' + name;
}
} // namespace

TFolderList::TFolderList(TMessageService& messages, TFileSystem& files, QWidget* parent)
    : TPickerList(messages, files, GlyphRowHeight, TPickerDelegate::TTextPlace::Centred, parent)
    , Current(files.CurrentFolder()) {
    BuildLines();
}

Qt::CaseSensitivity TFolderList::NameCase() const {
    return Sensitive ? Qt::CaseSensitive : Qt::CaseInsensitive;
}

void TFolderList::FollowDrive(QChar letter) {
    if (!Current.isEmpty() && letter.toUpper() == Current.front().toUpper())
        return;
    if (letter.isNull()) {
        BuildLines();
        FolderChanged();
        return;
    }
    // The bare "D:" enters the folder the drive keeps as current, its root when none.
    EnterAndShow(QString(letter) + u':');
}

void TFolderList::OpenHighlightedLine() {
    const int row = ItemIndex();
    if (row < 0)
        return;
    const QString path = LinePaths[static_cast<size_t>(row)];
    if (path.isEmpty() || path.compare(Current, NameCase()) == 0)
        return;
    EnterAndShow(path);
}

void TFolderList::EnterAndShow(const QString& path) {
    // Throws before anything here changes; the platform puts the working directory back.
    Files.SetCurrentFolder(path);
    Current = Files.CurrentFolder();
    BuildLines();
    FolderChanged();
}

void TFolderList::FolderChanged() {
    // On a case-sensitive volume "Docs" and "DOCS" are two folders: compare as the volume does.
    if (LinkedFileList && LinkedFileList->Folder().compare(Current, NameCase()) != 0)
        LinkedFileList->SetFolder(Current);
    emit Change();
}

void TFolderList::BuildLines() {
    // Folders always come in the drive-letter form, network drives too ("X:\DOCS"). A volume
    // whose flags cannot be read is taken as a Linux one: names kept as they are.
    const TVolumeInfo volume =
        Current.isEmpty() ? TVolumeInfo{} : Files.VolumeInformation(Current.front());
    Preserving = !volume.Readable || volume.CasePreserving || volume.CaseSensitive;
    Sensitive = !volume.Readable || volume.CaseSensitive;

    std::vector<TPickerLine> lines;
    std::vector<QString> paths;
    const auto add = [&](const QString& text, TPickerGlyph glyph, int indent, const QString& path) {
        lines.push_back({Preserving ? text : text.toLower(), glyph, indent});
        paths.push_back(path);
    };
    const auto addPathLine = [&](const QString& text, TPickerGlyph glyph, const QString& path) {
        add(text, glyph, 4 * static_cast<int>(lines.size()) + 2, path);
    };

    QString rest = Current;
    QString walked; // the folder the path lines have reached
    int currentRow = -1;
    if (!rest.isEmpty()) {
        if (!rest.endsWith(u'\\')) {
            for (qsizetype cut = rest.indexOf(u'\\'); cut >= 0; cut = rest.indexOf(u'\\')) {
                QString segment = rest.left(cut);
                rest.remove(0, cut + 1);
                if (walked.isEmpty()) {
                    segment += u'\\'; // "D:" stands for the root "D:\" on this line
                    walked = segment;
                } else {
                    walked = Joined(walked, segment);
                }
                addPathLine(segment, TPickerGlyph::OpenFolder, walked);
            }
        }
        currentRow = static_cast<int>(lines.size());
        addPathLine(rest, TPickerGlyph::CurrentFolder, Current);
    }

    std::vector<QString> names;
    const quint32 leftOut =
        TFileAttribute::Hidden | TFileAttribute::System | TFileAttribute::VolumeId;
    for (const TFoundEntry& entry :
         Files.Find(Joined(Current, QStringLiteral("*.*")), TFileAttribute::Directory).Entries)
        if ((entry.Attributes & TFileAttribute::Directory) && !(entry.Attributes & leftOut) &&
            entry.Name != u"." && entry.Name != u"..")
            names.push_back(entry.Name);
    // One folder cannot hold the same name twice; names differing only in case are two
    // folders on a case-sensitive volume and both stay.
    std::stable_sort(names.begin(), names.end(), NameOrder());
    const int subFolderIndent = 4 * static_cast<int>(Current.count(u'\\')) + 6;
    for (const QString& name : names)
        add(name, TPickerGlyph::ClosedFolder, subFolderIndent, Joined(Current, name));

    Model.SetLines(std::move(lines));
    LinePaths = std::move(paths);
    SetItemIndex(currentRow);
}

void TFolderList::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        RunUserCommand(Messages, [this] { OpenHighlightedLine(); });
        return;
    }
    QListView::keyPressEvent(event);
}

void TFolderList::mouseDoubleClickEvent(QMouseEvent* event) {
    QListView::mouseDoubleClickEvent(event);
    RunUserCommand(Messages, [this] { OpenHighlightedLine(); });
}
