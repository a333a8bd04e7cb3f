// The find window beside the real main window: its layout, the search under both options and
// both captions, which box is searched, what the main window shows afterwards, and that the
// engine's search answers exactly as TextContains does.

#include "windows/FormFind.h"
#include "ScriptedMessages.h"
#include "app/FormZandrel.h"
#include "support/TableFixture.h"
#include "widgets/records/RecordGrid.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <memory>
#include <sqlite3.h>

namespace {
const QString NotFound = QStringLiteral("Word not Found!");
const QStringList BoxNames = {"EditLabel", "EditDirectory", "EditFile", "EditComents"};
constexpr int FileColumn = 2;

// Rows given as their file names; label, folder and comment are numbered after the row.
QList<QStringList> RowsOfFiles(const QStringList& files) {
    QList<QStringList> rows;
    for (const QString& file : files) {
        const QString number = QString::number(rows.size() + 1);
        rows.append({"CD" + number, "D:\\DIR" + number + "\\", file, "comment " + number});
    }
    return rows;
}

// Values a search could take for a pattern, a quote or a fold of the wrong letters.
const QStringList TrickyFiles =
    QStringLiteral("README.TXT|100%_done.txt|a\\b.txt|it's \"quoted\".txt|\u00c9t\u00e9.doc|"
                   "\u00e9t\u00e9.doc|readme.md|x%y|stra\u00dfe|STRASSE|\u0131i\u0130I||a_b|ab|%")
        .split(QLatin1Char('|'));
} // namespace

class FormFindTest : public QObject {
    Q_OBJECT
public:
    explicit FormFindTest(TScriptedMessages& messages)
        : Messages(messages) {}

private slots:
    void init();
    void cleanup();

    void layoutMatchesTheStoredWindow_data();
    void layoutMatchesTheStoredWindow();
    void textContainsFoldsOnlyAToZ_data();
    void textContainsFoldsOnlyAToZ();
    void searchAnswersAsTextContains_data();
    void searchAnswersAsTextContains();
    void findWalksTheHitsDownwards_data();
    void findWalksTheHitsDownwards();
    void onlyTheFirstFilledBoxIsSearched_data();
    void onlyTheFirstFilledBoxIsSearched();
    void typingInAnyBoxAfterAHitMeansFindAgain_data();
    void typingInAnyBoxAfterAHitMeansFindAgain();
    void modifiedMainRowIsPostedBeforeTheSearch_data();
    void modifiedMainRowIsPostedBeforeTheSearch();
    void closedMainCursorFailsAndChangesNothing();
    void anyTextTheBoxesTakeIsSearched_data();
    void anyTextTheBoxesTakeIsSearched();
    void aFoundRowDeletedMeanwhileIsNeverShown_data();
    void aFoundRowDeletedMeanwhileIsNeverShown();
    void hourGlassShowsOnlyWhileSearching();
    void showsBesideAUsableMainWindowAndHidesOnClose();

private:
    TScriptedMessages& Messages;
    std::unique_ptr<TTableFixture> Fixture;
    std::unique_ptr<TFormZandrel> Main;
    std::unique_ptr<TFormFind> Find;

    void Start(const QList<QStringList>& rows, bool refusing = false);
    template <typename T> T* Child(const char* name) const {
        T* child = Find->findChild<T*>(QLatin1String(name));
        if (!child)
            qFatal("no child named %s", name);
        return child;
    }
    QLineEdit* Box(int field) const { return Child<QLineEdit>(qPrintable(BoxNames[field])); }
    QPushButton* Button() const { return Child<QPushButton>("ButtonFind"); }
    void Type(QLineEdit* box, const QString& text);
    void ClickFind() { QTest::mouseClick(Button(), Qt::LeftButton); }
    // The record number the main window shows, checked against its counter and grid.
    qint64 MainRow() const;
};

void FormFindTest::init() {
    Messages.Shown.clear();
    Messages.Answers.clear();
}

void FormFindTest::cleanup() {
    QVERIFY2(Messages.Answers.isEmpty(), "a scripted answer was not asked for");
    QVERIFY(QApplication::overrideCursor() == nullptr);
    Find.reset();
    Main.reset();
    Fixture.reset();
}

void FormFindTest::Start(const QList<QStringList>& rows, bool refusing) {
    Fixture = std::make_unique<TTableFixture>(0, TTableFixture::RowValues, refusing);
    {
        TTableCursor writer(QStringLiteral("Writer"));
        writer.SetTableName(Fixture->Path);
        writer.Open();
        for (const QStringList& row : rows)
            writer.AppendRecord(row);
    }
    Main = std::make_unique<TFormZandrel>(Messages, Fixture->Path);
    Find = std::make_unique<TFormFind>(Messages, Main->DataSourceData, Main.get());
    QObject::connect(Main.get(), &TFormZandrel::FindRequested, Find.get(), &TFormFind::Show);
    Main->show();
    QVERIFY(QTest::qWaitForWindowExposed(Main.get()));
    QTest::keyClick(Main.get(), Qt::Key_F, Qt::ControlModifier);
    QVERIFY(QTest::qWaitForWindowExposed(Find.get()));
}

// Typed a key a character, accented letters too, as a keyboard layout that has them sends.
void FormFindTest::Type(QLineEdit* box, const QString& text) {
    box->setFocus();
    for (const QChar character : text)
        QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(character), Qt::NoModifier);
}

qint64 FormFindTest::MainRow() const {
    const qint64 row = Main->TableData.RecNo();
    const auto* counter = Main->findChild<QLabel*>(QStringLiteral("StatusPanel2"));
    if (counter->text() !=
        QStringLiteral("Data %1 of %2").arg(row).arg(Main->TableData.RecordCount()))
        return -100;
    const auto* grid = Main->findChild<TRecordGrid*>(QStringLiteral("DBGridData"));
    const qint64 top = grid->TopPosition();
    if (row > 0 && (row < top || row >= top + grid->VisibleRowCount() ||
                    grid->CellText(row, FileColumn) != Main->TableData.FieldText(FileColumn)))
        return -200;
    return row;
}

void FormFindTest::layoutMatchesTheStoredWindow_data() {
    QTest::addColumn<QRect>("place"); // width or height 0: not fixed by the layout
    QTest::addColumn<QString>("text");
    QTest::newRow("LabelLabel") << QRect(8, 8, 0, 0) << "CD Label";
    QTest::newRow("EditLabel") << QRect(8, 24, 121, 0) << "";
    QTest::newRow("LabelDirectory") << QRect(8, 48, 0, 0) << "Directory on CD";
    QTest::newRow("EditDirectory") << QRect(8, 64, 121, 0) << "";
    QTest::newRow("LabelFile") << QRect(144, 8, 0, 0) << "File on Directory";
    QTest::newRow("EditFile") << QRect(144, 24, 121, 0) << "";
    QTest::newRow("LabelComents") << QRect(144, 48, 0, 0) << "Coments of File";
    QTest::newRow("EditComents") << QRect(144, 64, 121, 0) << "";
    QTest::newRow("PanelDivide") << QRect(136, 8, 2, 81) << "";
    QTest::newRow("ButtonFind") << QRect(16, 96, 241, 25) << "Find";
    QTest::newRow("RadioGroupOptions") << QRect(8, 128, 257, 41) << "Options";
    QTest::newRow("RadioFromCursor") << QRect() << "From cursor";
    QTest::newRow("RadioEntireScope") << QRect() << "Entire scope";
}

void FormFindTest::layoutMatchesTheStoredWindow() {
    QFETCH(QRect, place);
    QFETCH(QString, text);
    Start(RowsOfFiles({"a"}));
    QCOMPARE(Find->windowTitle(), QStringLiteral("Find - Zandrel - By Qorvin\u00ae"));
    QCOMPARE(Find->minimumSize(), QSize(273, 178));
    QCOMPARE(Find->maximumSize(), QSize(273, 178));
    QVERIFY(Find->windowFlags().testFlags(Qt::Tool | Qt::WindowStaysOnTopHint));
    const QWidget* widget = Child<QWidget>(QTest::currentDataTag());
    if (!place.isNull()) {
        const QSize size(place.width() ? place.width() : widget->width(),
                         place.height() ? place.height() : widget->height());
        QCOMPARE(widget->geometry(), QRect(place.topLeft(), size));
    }
    if (const auto* label = qobject_cast<const QLabel*>(widget))
        QVERIFY(label->text() == text &&
                label->palette().color(QPalette::WindowText) == QColor(0, 0, 0x80));
    else if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        QCOMPARE(button->text(), text);
    else if (const auto* group = qobject_cast<const QGroupBox*>(widget))
        QCOMPARE(group->title(), text);
    QVERIFY(Child<QRadioButton>("RadioFromCursor")->isChecked());
    Box(0)->setFocus();
    for (const char* next : {"EditDirectory", "EditFile", "EditComents", "ButtonFind",
                             "RadioFromCursor", "EditLabel"}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), QLatin1String(next));
    }
}

void FormFindTest::textContainsFoldsOnlyAToZ_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("value");
    QTest::addColumn<bool>("contains");
    const struct {
        const char* Tag;
        const char* Text;
        const char* Value;
        bool Contains;
    } rows[] = {
        {"inside", "cd", "ABCDE", true},
        {"whole value", "readme.txt", "README.TXT", true},
        {"not a contiguous run", "ace", "ABCDE", false},
        {"value shorter than text", "abcdef", "ABC", false},
        {"accent, same case", "\u00e9t\u00e9", "\u00e9t\u00e9.doc", true},
        {"accent, other case", "\u00e9t\u00e9", "\u00c9T\u00c9.DOC", false},
        {"sharp s is not SS", "strasse", "stra\u00dfe", false},
        {"dotless i is not I", "i", "\u0131", false},
        {"per cent is plain", "%", "abc", false},
        {"underscore is plain", "a_b", "axb", false},
        {"signs as they stand", "1[2]", "x1[2]y", true},
        {"at sign is not a backquote", "@", "`", false},
    };
    for (const auto& row : rows)
        QTest::newRow(row.Tag) << QString::fromUtf8(row.Text) << QString::fromUtf8(row.Value)
                               << row.Contains;
}

void FormFindTest::textContainsFoldsOnlyAToZ() {
    QFETCH(QString, text);
    QFETCH(QString, value);
    QTEST(TFormFind::TextContains(text, value), "contains");
}

void FormFindTest::searchAnswersAsTextContains_data() {
    QTest::addColumn<QString>("text");
    const QString texts = QStringLiteral(
        "readme|README.T|%|%_|_|\\|a\\b|'|\"quoted\"|it's \"|\u00e9t\u00e9|\u00c9t\u00e9|"
        "\u00c9T\u00c9|T\u00c9|\u00df|SS|ss|\u0131|\u0130|I|i|x%y|a_b|a%|.TXT|0%_D|e");
    for (const QString& text : texts.split(QLatin1Char('|')))
        QTest::newRow(qPrintable(text)) << text;
}

// From every row: the first hit at or after it in record order, or the row kept.
void FormFindTest::searchAnswersAsTextContains() {
    QFETCH(QString, text);
    Start(RowsOfFiles(TrickyFiles));
    for (qint64 start = 1; start <= TrickyFiles.size(); ++start) {
        qint64 expected = 0;
        for (qint64 row = start; row <= TrickyFiles.size() && !expected; ++row)
            if (TFormFind::TextContains(text, TrickyFiles[row - 1]))
                expected = row;
        Main->TableData.SetRecNo(start);
        Box(2)->clear(); // back to "Find"
        Type(Box(2), text);
        Messages.Shown.clear();
        ClickFind();
        const QByteArray where = "from row " + QByteArray::number(start);
        QVERIFY2(MainRow() == (expected ? expected : start), where);
        QVERIFY2(Messages.Texts() == (expected ? QStringList() : QStringList{NotFound}), where);
    }
}

void FormFindTest::findWalksTheHitsDownwards_data() {
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<int>("start");
    QTest::addColumn<bool>("entireScope");
    QTest::addColumn<QString>("text");
    // The main window's row after each click; 0 means "Word not Found!" with the row kept.
    QTest::addColumn<QList<int>>("rows");
    const QStringList hits = {"x", "x", "x", "x", "hit", "x", "x", "hit", "x", "hit"};
    QTest::newRow("from cursor: the current row first, then every hit below")
        << hits << 5 << false << "HIT" << QList<int>{5, 8, 10, 0, 0};
    QTest::newRow("from cursor above the hits")
        << hits << 2 << false << "hit" << QList<int>{5, 8, 10, 0};
    QTest::newRow("from cursor below the last hit restores the row")
        << hits << 9 << false << "hit" << QList<int>{10, 0};
    QTest::newRow("from cursor off the end restores the row")
        << QStringList{"hit", "x", "x", "x"} << 3 << false << "hit" << QList<int>{0, 0};
    QTest::newRow("a hit on the last row, then Find Next")
        << QStringList{"x", "x", "hit"} << 1 << false << "hit" << QList<int>{3, 0, 0};
    const QStringList first = {"hit", "x", "hit", "x"};
    QTest::newRow("entire scope: row 1 by Find, never by Find Next")
        << first << 4 << true << "hit" << QList<int>{1, 3, 3};
    QTest::newRow("entire scope, only row 1 hits")
        << QStringList{"hit", "x", "x"} << 2 << true << "hit" << QList<int>{1, 0, 0};
    QTest::newRow("empty table") << QStringList{} << 0 << false << "hit" << QList<int>{0, 0};
    QTest::newRow("all boxes empty") << hits << 3 << false << "" << QList<int>{0};
}

void FormFindTest::findWalksTheHitsDownwards() {
    QFETCH(QStringList, files);
    QFETCH(int, start);
    QFETCH(bool, entireScope);
    QFETCH(QString, text);
    QFETCH(QList<int>, rows);
    Start(RowsOfFiles(files));
    if (start > 0)
        Main->TableData.SetRecNo(start);
    if (entireScope)
        QTest::mouseClick(Child<QRadioButton>("RadioEntireScope"), Qt::LeftButton);
    Type(Box(2), text);
    qint64 shown = start;
    bool hit = false;
    for (const int expected : rows) {
        Messages.Shown.clear();
        ClickFind();
        hit = hit || expected > 0;
        shown = expected ? expected : shown;
        QCOMPARE(MainRow(), shown);
        QCOMPARE(Messages.Texts(), expected ? QStringList() : QStringList{NotFound});
        // A failed search leaves the caption as it was.
        QCOMPARE(Button()->text(), hit ? QStringLiteral("Find Next") : QStringLiteral("Find"));
    }
    QVERIFY(!Find->TableToFind.Active());
}

void FormFindTest::onlyTheFirstFilledBoxIsSearched_data() {
    QTest::addColumn<QStringList>("texts"); // label, folder, file, comment
    QTest::addColumn<int>("row");
    // Row n: label "CDn", folder "D:\DIRn\", file "name n", comment "comment n".
    QTest::newRow("label before file") << QStringList{"CD3", "", "name 2", ""} << 3;
    QTest::newRow("label before everything") << QStringList{"cd4", "DIR2", "name 3", "ent 1"} << 4;
    QTest::newRow("folder before file and comment")
        << QStringList{"", "dir\\2", "name 3", "ent 4"} << 0; // no folder holds "dir\2"
    QTest::newRow("file before comment") << QStringList{"", "", "NAME 4", "ent 2"} << 4;
    QTest::newRow("a label no row has") << QStringList{"CD9", "", "name 1", ""} << 0;
}

void FormFindTest::onlyTheFirstFilledBoxIsSearched() {
    QFETCH(QStringList, texts);
    QFETCH(int, row);
    Start(RowsOfFiles({"name 1", "name 2", "name 3", "name 4"}));
    for (int field = 0; field < texts.size(); ++field)
        Type(Box(field), texts[field]);
    ClickFind();
    QCOMPARE(MainRow(), row ? row : 1);
    QCOMPARE(Messages.Texts(), row ? QStringList() : QStringList{NotFound});
}

void FormFindTest::typingInAnyBoxAfterAHitMeansFindAgain_data() {
    QTest::addColumn<int>("field");
    for (int field = 0; field < BoxNames.size(); ++field)
        QTest::newRow(qPrintable(BoxNames[field])) << field;
}

// The option is no edit: it keeps "Find Next". Enter in any box clicks the button.
void FormFindTest::typingInAnyBoxAfterAHitMeansFindAgain() {
    QFETCH(int, field);
    Start(RowsOfFiles({"ab", "abc", "abcd"}));
    Type(Box(2), QStringLiteral("ab"));
    ClickFind();
    QTest::mouseClick(Child<QRadioButton>("RadioEntireScope"), Qt::LeftButton);
    QTest::keyClick(Box(field), Qt::Key_Return); // "Find Next" over the entire scope: row 2
    QCOMPARE(MainRow(), 2);
    QCOMPARE(Button()->text(), QStringLiteral("Find Next"));
    QTest::mouseClick(Child<QRadioButton>("RadioFromCursor"), Qt::LeftButton);
    if (field == 2) {
        Type(Box(field), QStringLiteral("c")); // "abc": still found on row 2 itself
    } else {
        Type(Box(field), QStringLiteral("x"));
        QTest::keyClick(Box(field), Qt::Key_Backspace); // emptied again: the file is searched
    }
    QCOMPARE(Button()->text(), QStringLiteral("Find"));
    QTest::keyClick(Box(field), Qt::Key_Enter);
    QCOMPARE(MainRow(), 2);
    QCOMPARE(Messages.Texts(), QStringList());
}

void FormFindTest::modifiedMainRowIsPostedBeforeTheSearch_data() {
    QTest::addColumn<QString>("comment");
    QTest::addColumn<bool>("refused");
    QTest::newRow("posted, then found") << "typed" << false;
    QTest::newRow("refused: the error, no search") << RefusedComment << true;
}

void FormFindTest::modifiedMainRowIsPostedBeforeTheSearch() {
    QFETCH(QString, comment);
    QFETCH(bool, refused);
    Start(RowsOfFiles({"a", "b", "c"}), true);
    Main->TableData.SetRecNo(2);
    auto* box = Main->findChild<QLineEdit*>(QStringLiteral("DBEditComents"));
    box->selectAll();
    Type(box, comment);
    Type(Box(3), comment);
    ClickFind();
    QCOMPARE(Main->TableData.RecNo(), 2);
    QCOMPARE(Main->TableData.FieldText(3), comment);
    QCOMPARE(Main->TableData.State(), refused ? TCursorState::Edit : TCursorState::Browse);
    QCOMPARE(Button()->text(), refused ? QStringLiteral("Find") : QStringLiteral("Find Next"));
    QCOMPARE(Messages.Shown.size(), refused ? 1 : 0);
    if (refused)
        QVERIFY2(Messages.Shown[0].Kind == TBoxKind::Error &&
                     Messages.Shown[0].Text.contains(QStringLiteral("refused")),
                 qPrintable(Messages.Shown[0].Text));
    QVERIFY(!Find->TableToFind.Active());
}

// As while the insert-data window is shown: the main window disabled, its cursor closed.
void FormFindTest::closedMainCursorFailsAndChangesNothing() {
    Start(RowsOfFiles({"hit", "hit"}));
    Type(Box(2), QStringLiteral("hit"));
    ClickFind();
    Main->setEnabled(false);
    Main->TableData.Close();
    ClickFind();
    QCOMPARE(Messages.Texts(),
             QStringList{"TableData: Cannot perform this operation on a closed dataset."});
    QCOMPARE(Messages.Shown[0].Kind, TBoxKind::Error);
    QVERIFY(!Main->TableData.Active());
    QVERIFY(!Find->TableToFind.Active());
    QCOMPARE(Button()->text(), QStringLiteral("Find Next"));
}

// Texts far past what a pattern of the engine may hold: the search answers, and the main
// window goes on browsing the row it showed.
void FormFindTest::anyTextTheBoxesTakeIsSearched_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("32,767 letters") << QString(32767, QLatin1Char('a'));
    QTest::newRow("25,000 per cent signs") << QString(25000, QLatin1Char('%'));
    QTest::newRow("16,700 CJK characters") << QString(16700, QChar(0x6587));
}

void FormFindTest::anyTextTheBoxesTakeIsSearched() {
    QFETCH(QString, text);
    Start(RowsOfFiles({"a", "b", "c"}));
    Main->TableData.SetRecNo(2);
    Box(2)->setText(text);
    QCOMPARE(Box(2)->text(), text);
    ClickFind();
    QCOMPARE(Messages.Texts(), QStringList{NotFound});
    QCOMPARE(MainRow(), 2);
    const auto* navigator = Main->findChild<QWidget*>(QStringLiteral("DBNavigatorData"));
    QVERIFY(navigator->findChild<QWidget*>(QStringLiteral("nbEdit"))->isEnabled());
    QVERIFY(!navigator->findChild<QWidget*>(QStringLiteral("nbPost"))->isEnabled());
}

// Another program deletes the row found just as the main cursor opens to show it.
void FormFindTest::aFoundRowDeletedMeanwhileIsNeverShown_data() {
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QString>("shown"); // empty: "Word not Found!" on the row it showed
    QTest::newRow("a later hit") << QStringList{"a", "hit", "x", "hit"} << "hit";
    QTest::newRow("the only hit") << QStringList{"a", "hit", "x"} << "";
}

void FormFindTest::aFoundRowDeletedMeanwhileIsNeverShown() {
    QFETCH(QStringList, files);
    QFETCH(QString, shown);
    Start(RowsOfFiles(files));
    bool deleted = false;
    QObject::connect(&Main->DataSourceData, &TDataSource::DataChange, [&] {
        if (!deleted && Find->TableToFind.Active() && Main->TableData.Active()) {
            deleted = true;
            sqlite3* other = nullptr;
            sqlite3_open(Fixture->Path.toUtf8().constData(), &other);
            sqlite3_exec(other, "DELETE FROM records WHERE rowid = 2", nullptr, nullptr, nullptr);
            sqlite3_close(other);
        }
    });
    Type(Box(2), QStringLiteral("hit"));
    ClickFind();
    QVERIFY(deleted);
    QCOMPARE(Messages.Texts(), shown.isEmpty() ? QStringList{NotFound} : QStringList());
    QCOMPARE(Main->TableData.FieldText(FileColumn), shown.isEmpty() ? QStringLiteral("a") : shown);
    QVERIFY(MainRow() > 0);
}

void FormFindTest::hourGlassShowsOnlyWhileSearching() {
    Start(RowsOfFiles({"a", "hit"}));
    QList<int> shapes;
    QObject::connect(&Find->DataSourceToFind, &TDataSource::DataChange, [&shapes] {
        const QCursor* cursor = QApplication::overrideCursor();
        shapes.append(cursor ? int(cursor->shape()) : -1);
    });
    Type(Box(2), QStringLiteral("hit"));
    ClickFind();
    ClickFind(); // not found: cleanup() sees that no hour-glass is left
    QCOMPARE(Messages.Texts(), QStringList{NotFound});
    QVERIFY(shapes.size() >= 2);
    QCOMPARE(shapes, QList<int>(shapes.size(), int(Qt::WaitCursor)));
}

void FormFindTest::showsBesideAUsableMainWindowAndHidesOnClose() {
    Start(RowsOfFiles({"a", "b", "c"}));
    QVERIFY(Find->isVisible() && !Find->isModal() && Main->isEnabled());
    QCOMPARE(Find->frameGeometry().center(), Main->frameGeometry().center());
    auto* grid = Main->findChild<TRecordGrid*>(QStringLiteral("DBGridData"));
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Down);
    QCOMPARE(MainRow(), 2);
    Type(Box(0), QStringLiteral("cd"));
    ClickFind();
    Find->move(Find->pos() + QPoint(40, 30));
    const QPoint place = Find->pos();
    QVERIFY(!Find->close());
    QVERIFY(!Find->isVisible());
    QTest::keyClick(Main.get(), Qt::Key_F, Qt::ControlModifier);
    QVERIFY(QTest::qWaitForWindowExposed(Find.get()));
    QCOMPARE(Find->pos(), place);
    QCOMPARE(Box(0)->text(), QStringLiteral("cd"));
    QCOMPARE(Button()->text(), QStringLiteral("Find Next"));
    ClickFind();
    QCOMPARE(MainRow(), 3);
}

int main(int argc, char* argv[]) {
    TScriptedMessages messages;
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    FormFindTest test(messages);
    return QTest::qExec(&test, argc, argv);
}

#include "FormFindTest.moc"
