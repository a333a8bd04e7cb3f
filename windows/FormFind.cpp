#include "windows/FormFind.h"

#include "windows/WindowPieces.h"

#include "widgets/MessageService.h"
#include "widgets/UserCommand.h"
#include "widgets/WaitCursor.h"
#include "windows/WindowPieces.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>

namespace {
const QColor Navy(0x00, 0x00, 0x80);
const QString FindCaption = QStringLiteral("Find");
const QString FindNextCaption = QStringLiteral("Find Next");
constexpr int EditHeight = 21;

// Closes the search cursor however the search ends, so it never holds the file open.
class TClosedOnExit {
public:
    explicit TClosedOnExit(TTableCursor& cursor)
        : Cursor(cursor) {}
    ~TClosedOnExit() { Cursor.Close(); }
    TClosedOnExit(const TClosedOnExit&) = delete;
    TClosedOnExit& operator=(const TClosedOnExit&) = delete;

private:
    TTableCursor& Cursor;
};

QString FoldedAToZ(QString text) {
    for (QChar& character : text)
        if (character >= QLatin1Char('a') && character <= QLatin1Char('z'))
            character = QChar(character.unicode() - 'a' + 'A');
    return text;
}

} // namespace

TFormFind::TFormFind(TMessageService& messages, TDataSource& mainSource, QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint)
    , Messages(messages)
    , MainSource(mainSource)
    , MainWindow(mainWindow)
    , ButtonFind(new QPushButton(FindCaption, this)) {
    setObjectName(QStringLiteral("FormFind"));
    setWindowTitle(QStringLiteral("Find - Zandrel - By Qorvin\u00ae"));
    QFont font = this->font();
    font.setPointSize(8);
    setFont(font);
    setFixedSize(273, 178);
    DataSourceToFind.SetDataSet(&TableToFind);

    CreateBoxes();
    auto* divide = new QFrame(this);
    divide->setObjectName(QStringLiteral("PanelDivide"));
    divide->setFrameStyle(QFrame::VLine | QFrame::Sunken);
    divide->setGeometry(136, 8, 2, 81);
    ButtonFind->setObjectName(QStringLiteral("ButtonFind"));
    ButtonFind->setGeometry(16, 96, 241, 25);
    connect(ButtonFind, &QPushButton::clicked, this,
            [this] { RunUserCommand(Messages, [this] { ButtonFindClick(); }); });
    CreateOptions();

    setTabOrder(Boxes.back(), ButtonFind);
    setTabOrder(ButtonFind, RadioGroupOptions);
}

TFormFind::~TFormFind() = default;

void TFormFind::CreateBoxes() {
    struct TBox {
        const char* LabelName = nullptr;
        const char* LabelText = nullptr;
        const char* EditName = nullptr;
        QPoint Place;
    };
    const TBox boxes[CatalogFieldCount] = {
        {"LabelLabel", "CD Label", "EditLabel", {8, 8}},
        {"LabelDirectory", "Directory on CD", "EditDirectory", {8, 48}},
        {"LabelFile", "File on Directory", "EditFile", {144, 8}},
        {"LabelComents", "Coments of File", "EditComents", {144, 48}},
    };
    QPalette navy = palette();
    navy.setColor(QPalette::WindowText, Navy);
    for (int field = 0; field < CatalogFieldCount; ++field) {
        const TBox& box = boxes[field];
        auto* label = new QLabel(QLatin1String(box.LabelText), this);
        label->setObjectName(QLatin1String(box.LabelName));
        label->setPalette(navy);
        label->move(box.Place);
        label->adjustSize();
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QLatin1String(box.EditName));
        edit->setGeometry(box.Place.x(), box.Place.y() + 16, 121, EditHeight);
        edit->installEventFilter(this);
        connect(edit, &QLineEdit::textChanged, this, [this] { EditLabelChange(); });
        if (field > 0)
            setTabOrder(Boxes[size_t(field - 1)], edit);
        Boxes[size_t(field)] = edit;
    }
}

void TFormFind::CreateOptions() {
    RadioGroupOptions = new QGroupBox(QStringLiteral("Options"), this);
    RadioGroupOptions->setObjectName(QStringLiteral("RadioGroupOptions"));
    RadioGroupOptions->setGeometry(8, 128, 257, 41);
    auto* fromCursor = new QRadioButton(QStringLiteral("From cursor"), RadioGroupOptions);
    fromCursor->setObjectName(QStringLiteral("RadioFromCursor"));
    fromCursor->setGeometry(8, 17, 116, 17);
    fromCursor->setChecked(true);
    EntireScope = new QRadioButton(QStringLiteral("Entire scope"), RadioGroupOptions);
    EntireScope->setObjectName(QStringLiteral("RadioEntireScope"));
    EntireScope->setGeometry(132, 17, 116, 17);
    RadioGroupOptions->setFocusProxy(fromCursor);
}

void TFormFind::Show() {
    ShowBeside(*this, MainWindow, Placed);
}

void TFormFind::FormClose() {
    hide();
}

void TFormFind::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    StayEnabledBesideParent(*this, *event);
}

void TFormFind::closeEvent(QCloseEvent* event) {
    event->ignore();
    FormClose();
}

void TFormFind::EditLabelChange() {
    ButtonFind->setText(FindCaption);
}

bool TFormFind::EditLabelKeyPress(int key) {
    if (key != Qt::Key_Return && key != Qt::Key_Enter)
        return false;
    ButtonFind->click();
    return true;
}

bool TFormFind::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        std::find(Boxes.begin(), Boxes.end(), watched) != Boxes.end() &&
        EditLabelKeyPress(static_cast<QKeyEvent*>(event)->key()))
        return true;
    return QWidget::eventFilter(watched, event);
}

bool TFormFind::TextContains(const QString& text, const QString& value) {
    return FoldedAToZ(value).contains(FoldedAToZ(text));
}

int TFormFind::ChosenField() const {
    for (int field = 0; field < CatalogFieldCount; ++field)
        if (!Boxes[size_t(field)]->text().isEmpty())
            return field;
    return -1;
}

void TFormFind::ButtonFindClick() {
    TTableCursor& tableData = *MainSource.DataSet();
    bool found = false;
    {
        const TWaitCursor wait;
        MainSource.PostPendingEdit();
        const qint64 start = tableData.RecNo();
        // Opened before the main cursor closes, so the file and its row map stay open
        // between the two instead of being read again for every search.
        TableToFind.SetTableName(tableData.TableName());
        TableToFind.Open();
        const TClosedOnExit closeToFind(TableToFind);
        tableData.Close();
        // However the search ends, the main window browses again the row it showed; an error
        // on the way back is dropped for the one that ended the search.
        auto reopen = qScopeGuard([&tableData, start] {
            try {
                tableData.Open();
                tableData.SetRecNo(start);
            } catch (const std::exception&) {
            }
        });
        found = SearchFrom(start);
        tableData.Open();
        found = found && ShowFoundRow(tableData);
        reopen.dismiss();
        if (!found)
            tableData.SetRecNo(start);
    }
    if (found)
        ButtonFind->setText(FindNextCaption);
    else
        Messages.ShowMessage(QStringLiteral("Word not Found!"));
}

// Moves the main cursor to the row found. Another program may have deleted or changed that
// row since: the search then goes on from where the main cursor stands, so it never shows a
// row that does not match.
bool TFormFind::ShowFoundRow(TTableCursor& tableData) {
    const int field = ChosenField();
    const QString& text = Boxes[size_t(field)]->text();
    for (;;) {
        tableData.SetRecNo(TableToFind.RecNo());
        if (TextContains(text, tableData.FieldText(field)))
            return true;
        // On from the row after it, so every round moves forward.
        TableToFind.SetRecNo(tableData.RecNo());
        TableToFind.Next();
        if (TableToFind.Eof() || !TableToFind.FindContaining(field, text))
            return false;
    }
}

bool TFormFind::SearchFrom(qint64 start) {
    if (EntireScope->isChecked())
        TableToFind.First();
    else
        TableToFind.MoveBy(start - 1);
    if (ButtonFind->text() == FindNextCaption)
        TableToFind.Next();
    const int field = ChosenField();
    return field >= 0 && !TableToFind.Eof() &&
           TableToFind.FindContaining(field, Boxes[size_t(field)]->text());
}
