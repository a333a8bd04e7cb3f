// The search window beside the real main window, driven by keys: the results and the count
// follow every keystroke, a count still going on is dropped by the next key, and Enter makes
// the chosen row the main window's, or says why it cannot; Export asks for the rows shown.

#include "windows/FormSearch.h"
#include "ScriptedMessages.h"
#include "app/FormZandrel.h"
#include "catalog/CatalogUpgrade.h"
#include "support/TableFixture.h"
#include "windows/SearchModel.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <memory>

namespace {
// 3,000 rows: "file1" is in 1,111 file names, "file12" in 111, "file123" in 11.
constexpr int Rows = 3000;
} // namespace

class FormSearchTest : public QObject {
    Q_OBJECT
public:
    explicit FormSearchTest(TScriptedMessages& messages)
        : Messages(messages) {}

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English)); }
    void cleanup();

    void resultsFollowEveryKeystroke_data();
    void resultsFollowEveryKeystroke();
    void theNextKeyDropsACountGoingOn();
    void keysGoToTheChosenRow();
    void goingToARowWhileTheCatalogueIsClosedSaysWhy();
    void keepsTextAndFieldWhenHidden();

private:
    TScriptedMessages& Messages;
    std::unique_ptr<TTableFixture> Fixture;
    std::unique_ptr<TFormZandrel> Main;
    std::unique_ptr<TFormSearch> Search;

    void Start(bool indexed = true);
    template <typename T> T* Child(const char* name) const {
        T* child = Search->findChild<T*>(QLatin1String(name));
        if (!child)
            qFatal("no child named %s", name);
        return child;
    }
    QLineEdit* Text() const { return Child<QLineEdit>("EditText"); }
    QPushButton* Export() const { return Child<QPushButton>("ButtonExport"); }
    QString CountLine() const { return Child<QLabel>("LabelCount")->text(); }
    // The file names the results show, and the rowids behind them.
    QStringList Files() const;
};

void FormSearchTest::cleanup() {
    QCOMPARE(Messages.Texts(), QStringList());
    Search.reset();
    Main.reset();
    Fixture.reset();
}

void FormSearchTest::Start(bool indexed) {
    Messages.Shown.clear();
    Fixture = std::make_unique<TTableFixture>(Rows, TTableFixture::DiscRowValues);
    if (indexed)
        QVERIFY(UpgradeCatalog(Fixture->Path, [](qint64, qint64) { return true; }));
    Main = std::make_unique<TFormZandrel>(Messages, Fixture->Path);
    Search = std::make_unique<TFormSearch>(Messages, Fixture->Path, Main.get());
    QObject::connect(Main.get(), &TFormZandrel::SearchRequested, Search.get(), &TFormSearch::Show);
    QObject::connect(Search.get(), &TFormSearch::GoToRowRequested, Main.get(),
                     &TFormZandrel::GoToRow);
    Main->show();
    QVERIFY(QTest::qWaitForWindowExposed(Main.get()));
    QTest::keyClick(Main.get(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(QTest::qWaitForWindowExposed(Search.get()));
    QCOMPARE(Search->windowTitle(), QStringLiteral("Search - Zandrel - By Qorvin\u00ae"));
    QVERIFY(!Search->isModal());
}

QStringList FormSearchTest::Files() const {
    const QAbstractItemModel* model = Child<QTableView>("GridResults")->model();
    QStringList files;
    for (int row = 0; row < model->rowCount(); ++row)
        files.append(model->index(row, 2).data().toString());
    return files;
}

void FormSearchTest::resultsFollowEveryKeystroke_data() {
    QTest::addColumn<bool>("indexed");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("countLines"); // after each key, once counted
    for (const bool indexed : {false, true}) {
        const char* how = indexed ? "indexed" : "every row";
        QTest::addRow("file names, %s", how)
            << indexed << "File on Directory"
            << "e12310"
            << QStringList{"3,000 rows", "1,111 rows", "111 rows", "11 rows", "1 row", "No rows"};
        QTest::addRow("all fields, %s", how)
            << indexed << "All fields"
            << "CD29" << QStringList{"3,000 rows", "3,000 rows", "1,110 rows", "110 rows"};
    }
}

// Each key shows the first page at once and the count when the slices reach the end; the
// file names shown are those holding the text, in record order.
void FormSearchTest::resultsFollowEveryKeystroke() {
    QFETCH(bool, indexed);
    QFETCH(QString, field);
    QFETCH(QString, text);
    QFETCH(QStringList, countLines);
    Start(indexed);
    Child<QComboBox>("ComboBoxField")->setCurrentText(field);
    const int column = field == QLatin1String("All fields") ? -1 : 2;
    for (int typed = 1; typed <= text.size(); ++typed) {
        QTest::keyClick(Text(), text[typed - 1].toLatin1());
        const QString sofar = text.left(typed);
        QStringList expected;
        for (int row = 1; row <= Rows; ++row) {
            const QStringList values = TTableFixture::DiscRowValues(row);
            if (column < 0 ? !values.filter(sofar, Qt::CaseInsensitive).isEmpty()
                           : values[column].contains(sofar, Qt::CaseInsensitive))
                expected.append(values[2]);
        }
        QVERIFY(Files().size() <= TSearchResults::FirstPageRows);
        QCOMPARE(Files(), expected.mid(0, Files().size()));
        QTRY_COMPARE(CountLine(), countLines[typed - 1]);
        QCOMPARE(Files(), expected);
        QCOMPARE(Export()->isEnabled(), !expected.isEmpty());
    }
    // Export asks for the rows of the search shown, when there are any.
    QSignalSpy exports(Search.get(), &TFormSearch::ExportRequested);
    QTest::mouseClick(Export(), Qt::LeftButton);
    if (countLines.last() == QLatin1String("No rows"))
        QCOMPARE(exports.count(), 0);
    else
        QCOMPARE(exports, (QList<QVariantList>{{text, column}}));
}

// Unindexed, every row is read: a key while the count goes on starts the next search at once.
void FormSearchTest::theNextKeyDropsACountGoingOn() {
    Start(false);
    QTest::keyClick(Text(), 'f');
    QCOMPARE(qint64(Files().size()), TSearchResults::FirstPageRows);
    QCOMPARE(CountLine(), QStringLiteral("Searching..."));
    // The dropped count adds nothing to the next search's results, then or later.
    QList<int> shown;
    const QMetaObject::Connection watch =
        connect(&Search->Results(), &TSearchModel::CountChanged, this,
                [this, &shown] { shown.append(int(Files().size())); });
    QTest::keyClick(Text(), '9');
    QTRY_COMPARE(CountLine(), QStringLiteral("No rows"));
    QTest::qWait(50);
    disconnect(watch);
    QCOMPARE(shown, QList<int>(shown.size(), 0));
}

// Down from the text box to the results, Down again, Enter: the main window shows that row;
// Enter in the text box goes to the first result.
void FormSearchTest::keysGoToTheChosenRow() {
    Start();
    QTest::keyClicks(Text(), QStringLiteral("file29"));
    QTest::keyClick(Text(), Qt::Key_Enter);
    QCOMPARE(Main->TableData.RecNo(), 29);
    QTRY_VERIFY(Main->isActiveWindow());
    Search->activateWindow();
    QTRY_VERIFY(Search->isActiveWindow());
    QTest::keyClick(Text(), Qt::Key_Down);
    auto* grid = Child<QTableView>("GridResults");
    QVERIFY(grid->hasFocus());
    QTest::keyClick(grid, Qt::Key_Down);
    QTest::keyClick(grid, Qt::Key_Return);
    QCOMPARE(Main->TableData.RecNo(), 290);
    QCOMPARE(Main->TableData.FieldText(2), QStringLiteral("file290.txt"));
}

void FormSearchTest::goingToARowWhileTheCatalogueIsClosedSaysWhy() {
    Start();
    QTest::keyClicks(Text(), QStringLiteral("file7"));
    // As the insert-data window leaves it.
    Main->TableData.Close();
    Main->setEnabled(false);
    QVERIFY(Search->isEnabled());
    QTest::keyClick(Text(), Qt::Key_Enter);
    QCOMPARE(Files().value(0), QStringLiteral("file7.txt"));
    QCOMPARE(Messages.Shown.size(), 1);
    QVERIFY(Messages.Shown[0].Text.contains(QLatin1String("insert-data window")));
    Messages.Shown.clear();
}

void FormSearchTest::keepsTextAndFieldWhenHidden() {
    Start();
    Child<QComboBox>("ComboBoxField")->setCurrentText(QStringLiteral("CD Label"));
    QTest::keyClicks(Text(), QStringLiteral("cd29"));
    QTRY_COMPARE(CountLine(), QStringLiteral("110 rows"));
    QVERIFY(!Search->close() && !Search->isVisible());
    // Another program adds a match meanwhile.
    Fixture->ExecuteElsewhere(QStringLiteral("INSERT INTO records VALUES ('CD29', '', '', '')"));
    Main->activateWindow();
    QTRY_VERIFY(Main->isActiveWindow());
    QTest::keyClick(Main.get(), Qt::Key_F, Qt::ControlModifier | Qt::ShiftModifier);
    QVERIFY(QTest::qWaitForWindowExposed(Search.get()));
    QCOMPARE(Text()->text(), QStringLiteral("cd29"));
    QCOMPARE(Child<QComboBox>("ComboBoxField")->currentText(), QStringLiteral("CD Label"));
    QTRY_COMPARE(CountLine(), QStringLiteral("111 rows"));
}

int main(int argc, char* argv[]) {
    TScriptedMessages messages;
    QApplication application(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    FormSearchTest test(messages);
    return QTest::qExec(&test, argc, argv);
}

#include "FormSearchTest.moc"
