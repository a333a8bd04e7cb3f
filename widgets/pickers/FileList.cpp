#include "widgets/pickers/FileList.h"

#include "platform/FileSystem.h"
#include "platform/FileSystemError.h"
#include "platform/NameOrder.h"
#include "widgets/UserCommand.h"

#include <QApplication>
#include <QKeyEvent>
#include <algorithm>
#include <iterator>

namespace {
// A listing turns the whole screen's pointer into the hour-glass once an entry lands here.
constexpr qsizetype HourGlassPosition = 100;
constexpr int GlyphRowHeight = 16;

// Shows the hour-glass on demand and puts back the pointer it found, also when a listing
// ends early.
class THourGlass {
public:
    THourGlass() = default;
    THourGlass(const THourGlass&) = delete;
    THourGlass& operator=(const THourGlass&) = delete;
    ~THourGlass() {
        if (Shown)
            QApplication::restoreOverrideCursor();
    }
    void Show() {
        if (!Shown)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        Shown = true;
    }

private:
    bool Shown = false;
};

// The position each arriving entry takes in the sorted list, exact up to `Limit`, without
// keeping the whole list sorted while it grows: only the Limit + 1 smallest entries matter.
class TArrivalRanks {
public:
    TArrivalRanks(const QCollator& order, qsizetype limit)
        : Order(order)
        , Limit(limit) {}

    // Equal names keep their arrival order, so a new entry goes after its equals.
    qsizetype Add(const QString& name) {
        const auto at = std::upper_bound(Smallest.begin(), Smallest.end(), name, Order);
        qsizetype position = at - Smallest.begin();
        if (at == Smallest.end() && Count > qsizetype(Smallest.size()))
            position = Count; // past every kept entry, so past the limit too
        if (position <= Limit) {
            Smallest.insert(at, name);
            if (qsizetype(Smallest.size()) > Limit + 1)
                Smallest.pop_back();
        }
        ++Count;
        return position;
    }

private:
    const QCollator& Order;
    const qsizetype Limit;
    std::vector<QString> Smallest;
    qsizetype Count = 0;
};

bool IsExecutable(const QString& name) {
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0)
        return false;
    const QString extension = name.mid(dot).toLower();
    return extension == u".exe" || extension == u".com" || extension == u".bat" ||
           extension == u".pif";
}

TPickerLine LineOf(const TFoundEntry& entry) {
    if (entry.Attributes & TFileAttribute::Directory)
        return {QStringLiteral("[%1]").arg(entry.Name), TPickerGlyph::ClosedFolder};
    return {entry.Name,
            IsExecutable(entry.Name) ? TPickerGlyph::Executable : TPickerGlyph::UnknownFile};
}
} // namespace

TFileList::TFileList(TMessageService& messages, TFileSystem& files, QWidget* parent)
    : TPickerList(messages, files, GlyphRowHeight, TPickerDelegate::TTextPlace::Top, parent)
    , OwnFolder(files.CurrentFolder()) {
    Delegate.SetShowGlyphs(false);
    List();
}

QStringList TFileList::Items() const {
    QStringList items;
    items.reserve(Count());
    for (const TPickerLine& line : Model.Lines())
        items.append(line.Text);
    return items;
}

bool TFileList::EntrySelected(int index) const {
    return selectionModel()->isSelected(Model.index(index));
}

void TFileList::SetMask(const QString& mask) {
    if (mask == FileMask)
        return;
    FileMask = mask;
    List();
}

void TFileList::SetFileType(TFileType types) {
    if (types == Types)
        return;
    Types = types;
    List();
}

void TFileList::SetMultiSelect(bool multiSelect) {
    setSelectionMode(multiSelect ? ExtendedSelection : SingleSelection);
}

void TFileList::SetShowGlyphs(bool show) {
    Delegate.SetShowGlyphs(show);
    // Rows change height with the glyphs; the view measures them again on a layout pass.
    scheduleDelayedItemsLayout();
}

void TFileList::SetFolder(const QString& path) {
    Files.SetCurrentFolder(path);
    OwnFolder = Files.CurrentFolder();
    List();
}

void TFileList::List() {
    // A folder that cannot be entered fails here, before any entry is removed.
    Files.SetCurrentFolder(OwnFolder);
    int errorCode = 0;
    {
        THourGlass hourGlass;
        const QCollator order = NameOrder();
        TArrivalRanks ranks(order, HourGlassPosition);
        const quint32 admitted = static_cast<quint32>(Types.toInt()) & TFileAttribute::AnyFile;
        const quint32 onRequestOnly = TFileAttribute::Hidden | TFileAttribute::System |
                                      TFileAttribute::VolumeId | TFileAttribute::Directory;
        const auto wanted = [&](quint32 attributes) {
            return !(attributes & onRequestOnly & ~admitted) &&
                   (Types.testFlag(ftNormal) || (attributes & admitted));
        };
        std::vector<TPickerLine> lines;
        std::vector<TLeftOutEntry> leftOut;
        for (const QString& piece : FileMask.split(u';')) {
            if (piece.isEmpty())
                continue; // an empty piece finds nothing, though the search would take it as "*"
            const TFindResult found = Files.Find(piece, admitted);
            if (errorCode == 0)
                errorCode = found.ErrorCode;
            for (const TFoundEntry& entry : found.Entries) {
                if (!wanted(entry.Attributes))
                    continue;
                lines.push_back(LineOf(entry));
                if (ranks.Add(lines.back().Text) == HourGlassPosition)
                    hourGlass.Show();
            }
            std::copy_if(found.LeftOut.begin(), found.LeftOut.end(), std::back_inserter(leftOut),
                         [&](const TLeftOutEntry& entry) { return wanted(entry.Attributes); });
        }
        std::stable_sort(
            lines.begin(), lines.end(),
            [&order](const TPickerLine& a, const TPickerLine& b) { return order(a.Text, b.Text); });
        Model.SetLines(std::move(lines));
        const auto first =
            std::min_element(leftOut.begin(), leftOut.end(),
                             [&order](const TLeftOutEntry& a, const TLeftOutEntry& b) {
                                 return order(a.Name, b.Name);
                             });
        LeftOutTotal = qint64(leftOut.size());
        FirstLeftOutText = first == leftOut.end() ? QString() : first->Text(OwnFolder);
    }
    // What was read stays shown; the error box says the folder is not all there.
    if (errorCode != 0)
        Messages.ShowError(TFileSystemError(errorCode, OwnFolder));
    emit Change();
}

void TFileList::keyPressEvent(QKeyEvent* event) {
    if (!event->text().isEmpty() &&
        !RunUserCommand(Messages, [this, event] { emit KeyPress(event->text().at(0)); }))
        return;
    const int focused = currentIndex().row();
    QListView::keyPressEvent(event);
    FocusMoved(focused);
}

void TFileList::mousePressEvent(QMouseEvent* event) {
    const int focused = currentIndex().row();
    QListView::mousePressEvent(event);
    FocusMoved(focused);
}

// Only the user's moves count: the view also moves its focus on its own (on focus-in, after
// a listing), which is no change for the user.
void TFileList::FocusMoved(int focusedBefore) {
    if (currentIndex().row() != focusedBefore)
        RunUserCommand(Messages, [this] { emit Change(); });
}

void TFileList::mouseDoubleClickEvent(QMouseEvent* event) {
    QListView::mouseDoubleClickEvent(event);
    RunUserCommand(Messages, [this] { emit DblClick(); });
}
