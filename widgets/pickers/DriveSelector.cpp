#include "widgets/pickers/DriveSelector.h"

#include "platform/FileSystem.h"
#include "widgets/UserCommand.h"
#include "widgets/pickers/FolderList.h"

#include <QStylePainter>

namespace {
constexpr int GlyphRowHeight = 11;

TPickerGlyph GlyphOf(TDriveType type) {
    switch (type) {
    case TDriveType::Removable:
        return TPickerGlyph::Floppy;
    case TDriveType::Fixed:
        return TPickerGlyph::Hard;
    case TDriveType::Remote:
        return TPickerGlyph::Network;
    case TDriveType::CdRom:
        return TPickerGlyph::CdRom;
    case TDriveType::RamDisk:
        return TPickerGlyph::Ram;
    default:
        return TPickerGlyph::None;
    }
}
} // namespace

TDriveSelector::TDriveSelector(TMessageService& messages, TFileSystem& files, QWidget* parent)
    : QComboBox(parent)
    , Messages(messages)
    , Files(files)
    , Model(this)
    , Delegate(GlyphRowHeight, TPickerDelegate::TTextPlace::Centred, this) {
    setEditable(false);
    setModel(&Model);
    setItemDelegate(&Delegate);
    const QString folder = files.CurrentFolder();
    // A network path ("\\SERVER\SHARE") names no drive letter.
    const QChar initial = folder.isEmpty() || folder.front() == u'\\' ? QChar() : folder.front();
    BuildDriveList();
    SetChosenDrive(initial);
    connect(this, &QComboBox::activated, this, &TDriveSelector::Pick);
}

QString TDriveSelector::InCase(const QString& text) const {
    return LetterCase == tcUpperCase ? text.toUpper() : text.toLower();
}

void TDriveSelector::BuildDriveList() {
    std::vector<TPickerLine> lines;
    const auto bracketedLabel = [this](QChar letter) {
        return QStringLiteral("[%1]").arg(InCase(Files.VolumeInformation(letter).Label));
    };
    for (const QChar letter : Files.DriveLetters()) {
        const TDriveType type = Files.DriveType(letter.toLower());
        const TPickerGlyph glyph = GlyphOf(type);
        if (glyph == TPickerGlyph::None)
            continue;
        const QString name = InCase(QString(letter));
        QString text;
        if (type == TDriveType::Removable) {
            text = name + u':'; // never touch a floppy: no label is read
        } else {
            const std::optional<QString> connection =
                type == TDriveType::Remote ? Files.ConnectionName(letter) : std::nullopt;
            text = QStringLiteral("%1: %2").arg(name, connection ? InCase(*connection)
                                                                 : bracketedLabel(letter));
        }
        lines.push_back({text, glyph, 2});
    }
    Model.SetLines(std::move(lines));
    // A fresh list has no entry chosen, whatever the box picked on its own.
    setCurrentIndex(-1);
}

void TDriveSelector::SetTextCase(TTextCase textCase) {
    LetterCase = textCase;
    BuildDriveList();
    SetChosenDrive(Chosen);
}

void TDriveSelector::SetChosenDrive(QChar letter) {
    if (currentIndex() >= 0 && letter.toUpper() == Chosen.toUpper())
        return;
    if (letter.isNull()) {
        Chosen = QChar();
        setCurrentIndex(-1);
    } else {
        Chosen = InCase(QString(letter)).front();
        for (int row = 0; row < count(); ++row) {
            const QString text = itemText(row);
            if (text.size() >= 2 && text[0].toUpper() == Chosen.toUpper() && text[1] == u':') {
                setCurrentIndex(row);
                break;
            }
        }
    }
    if (LinkedFolderList)
        LinkedFolderList->FollowDrive(Chosen);
    emit Change();
}

void TDriveSelector::Pick(int index) {
    RunUserCommand(Messages, [this, index] {
        emit Click();
        const QString text = itemText(index);
        SetChosenDrive(text.isEmpty() ? QChar() : text.front());
        emit Change();
    });
}

void TDriveSelector::paintEvent(QPaintEvent*) {
    // The frame and arrow as the style draws them, the chosen entry as the list draws it.
    QStylePainter painter(this);
    QStyleOptionComboBox box;
    initStyleOption(&box);
    box.currentText.clear();
    box.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, box);
    const int row = currentIndex();
    if (row < 0)
        return;
    QStyleOptionViewItem entry;
    entry.initFrom(this);
    entry.rect =
        style()->subControlRect(QStyle::CC_ComboBox, &box, QStyle::SC_ComboBoxEditField, this);
    entry.font = font();
    if (hasFocus())
        entry.state |= QStyle::State_Selected;
    entry.state &= ~QStyle::State_HasFocus;
    TPickerDelegate::PaintEntry(painter, entry, Model.Lines()[static_cast<size_t>(row)],
                                TPickerDelegate::TTextPlace::Centred, true);
}
