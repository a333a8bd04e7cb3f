// The discs window beside a main cursor, on a catalogue prepared as the program prepares it:
// the list in the user's order following this program's changes at once and another's when
// shown again, each command on the chosen disc with the boxes it shows, and a disc's export
// read back by the import.

#include "windows/FormDiscs.h"
#include "CatalogFixture.h"
#include "ScriptedMessages.h"
#include "ScriptedPrompts.h"
#include "catalog/CatalogUpgrade.h"
#include "windows/CsvTransfer.h"

#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <memory>

namespace {
// Disc TWO first, so that ONE's first row is the second.
const QString Rows =
    QStringLiteral("INSERT INTO records VALUES ('TWO', 'E:\\', 'x.txt', ''),"
                   "('ONE', 'D:\\A\\', '1.txt', 'a, \"quoted\"\nline'),"
                   "('ONE', 'D:\\A\\', '2.txt', ''), ('ONE', 'D:\\B\\', '3.txt', 'tab\there')");
const QStringList Listed = {"ONE 3 2", "TWO 1 1"};
} // namespace

class FormDiscsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ShortenBusyTimeout(); }
    void init();
    void cleanup();

    void theListFollowsTheCatalogue();
    void aCommandActsOnTheChosenDisc_data();
    void aCommandActsOnTheChosenDisc();
    void aDiscExportedIsImportedAsItWas();

private:
    std::unique_ptr<TSourcedCatalog> Catalog;
    std::unique_ptr<QWidget> MainWindow;
    std::unique_ptr<TFormDiscs> Form;
    TScriptedMessages Messages;
    TScriptedPrompts Prompts;

    // Each disc as the grid shows it: "label files folders".
    QStringList Shown() const;
    void Click(const char* name) {
        QTest::mouseClick(Form->findChild<QPushButton*>(QLatin1String(name)), Qt::LeftButton);
    }
};

void FormDiscsTest::init() {
    Messages = {};
    Prompts = {};
    Catalog = std::make_unique<TSourcedCatalog>(0);
    Catalog->Fixture.ExecuteElsewhere(Rows);
    QVERIFY(UpgradeCatalog(Catalog->Fixture.Path, [](qint64, qint64) { return true; }));
    Catalog->Cursor.Open();
    MainWindow = std::make_unique<QWidget>();
    Form = std::make_unique<TFormDiscs>(Messages, Prompts, Catalog->Source, MainWindow.get());
    Form->Show();
    QVERIFY(QTest::qWaitForWindowExposed(Form.get()));
}

void FormDiscsTest::cleanup() {
    Form.reset();
    MainWindow.reset();
    Catalog.reset();
    QVERIFY(Messages.Answers.isEmpty());
    QVERIFY(Prompts.FileNames.isEmpty() && Prompts.Texts.isEmpty());
}

QStringList FormDiscsTest::Shown() const {
    const QAbstractItemModel* model = Form->findChild<QTableView*>("GridDiscs")->model();
    QStringList discs;
    for (int row = 0; row < model->rowCount(); ++row) {
        QStringList cells;
        for (int column = 0; column < model->columnCount(); ++column)
            cells.append(model->index(row, column).data().toString());
        discs.append(cells.join(u' '));
    }
    return discs;
}

void FormDiscsTest::theListFollowsTheCatalogue() {
    QCOMPARE(Form->windowTitle(), QStringLiteral("Discs - Zandrel - By Qorvin\u00ae"));
    // The user's order, not the code units': "beta" before "Gamma".
    Catalog->Fixture.ExecuteElsewhere(
        QStringLiteral("INSERT INTO records VALUES ('Gamma', 'D:\\', 'g', ''), "
                       "('beta', 'D:\\', 'b', '')"));
    QCOMPARE(Shown(), Listed);
    Form->hide();
    Form->Show();
    QCOMPARE(Shown(), QStringList({"beta 1 1", "Gamma 1 1", "ONE 3 2", "TWO 1 1"}));
    // This program's own change shows at once.
    QVERIFY(Catalog->Cursor.GoToRowId(1));
    Catalog->Cursor.Delete();
    QCOMPARE(Shown(), QStringList({"beta 1 1", "Gamma 1 1", "ONE 3 2"}));
}

void FormDiscsTest::aCommandActsOnTheChosenDisc_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<QString>("whileAsking"); // SQL another program runs meanwhile
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QStringList>("discs");
    QTest::addColumn<qint64>("goneTo"); // 0: the main window was not asked

    const QString mergeQuestion =
        QStringLiteral("The catalogue already holds a disc TWO: put both under that label?");
    const QString deleteQuestion = QStringLiteral("Delete the 3 rows of disc ONE?");
    QTest::newRow("go to") << "ButtonGoTo" << QStringList() << QList<bool>() << QString()
                           << QStringList() << Listed << qint64(2);
    QTest::newRow("rename") << "ButtonRename" << QStringList{"THREE"} << QList<bool>() << QString()
                            << QStringList() << QStringList{"THREE 3 2", "TWO 1 1"} << qint64(0);
    QTest::newRow("rename cancelled") << "ButtonRename" << QStringList() << QList<bool>()
                                      << QString() << QStringList() << Listed << qint64(0);
    QTest::newRow("rename onto a disc, confirmed")
        << "ButtonRename" << QStringList{"TWO"} << QList<bool>{true} << QString()
        << QStringList{mergeQuestion} << QStringList{"TWO 4 3"} << qint64(0);
    QTest::newRow("rename onto a disc, refused")
        << "ButtonRename" << QStringList{"TWO"} << QList<bool>{false} << QString()
        << QStringList{mergeQuestion} << Listed << qint64(0);
    QTest::newRow("delete") << "ButtonDelete" << QStringList() << QList<bool>{true} << QString()
                            << QStringList{deleteQuestion} << QStringList{"TWO 1 1"} << qint64(0);
    QTest::newRow("delete refused")
        << "ButtonDelete" << QStringList() << QList<bool>{false} << QString()
        << QStringList{deleteQuestion} << Listed << qint64(0);
    QTest::newRow("delete while another program adds to the disc")
        << "ButtonDelete" << QStringList() << QList<bool>{true}
        << "INSERT INTO records VALUES ('ONE', 'D:\\C\\', '4.txt', '')"
        << QStringList{deleteQuestion,
                       "The disc ONE holds 4 rows now, not 3: another program or window changed "
                       "it. Nothing was changed.\nFile: %1."}
        << QStringList{"ONE 4 3", "TWO 1 1"} << qint64(0);
}

void FormDiscsTest::aCommandActsOnTheChosenDisc() {
    QFETCH(QString, button);
    QFETCH(QStringList, typed);
    QFETCH(QList<bool>, answers);
    QFETCH(QString, whileAsking);
    QFETCH(QStringList, boxes);
    QFETCH(QStringList, discs);
    QFETCH(qint64, goneTo);

    QSignalSpy goTo(Form.get(), &TFormDiscs::GoToRowRequested);
    Prompts.Texts = typed;
    Messages.Answers = answers;
    if (!whileAsking.isEmpty())
        Messages.WhileAsking = [&] {
            Catalog->Fixture.ExecuteElsewhere(whileAsking);
        };
    Click(qPrintable(button));
    for (QString& box : boxes)
        box = box.arg(Catalog->Fixture.Path);
    QCOMPARE(Messages.Texts(), boxes);
    QCOMPARE(Shown(), discs);
    QCOMPARE(goTo.size(), goneTo ? 1 : 0);
    if (goneTo)
        QCOMPARE(goTo.constFirst().constFirst().toLongLong(), goneTo);
}

void FormDiscsTest::aDiscExportedIsImportedAsItWas() {
    TCsvTransfer transfer(Messages, Prompts, Catalog->Source, MainWindow.get());
    connect(Form.get(), &TFormDiscs::ExportRequested, &transfer, &TCsvTransfer::ExportDisc);
    const QString csv = Catalog->Fixture.Folder.filePath(QStringLiteral("ONE.csv"));
    Prompts.FileNames = {csv, csv};
    Click("ButtonExport");
    QFile file(csv);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), QByteArray("Label,Directory,File,Coments\r\n"
                                        "ONE,D:\\A\\,1.txt,\"a, \"\"quoted\"\"\nline\"\r\n"
                                        "ONE,D:\\A\\,2.txt,\r\n"
                                        "ONE,D:\\B\\,3.txt,tab\there\r\n"));
    Messages.Answers = {true};
    transfer.Import();
    QCOMPARE(Messages.Texts(), QStringList({"3 rows were exported.\nFile: " + csv,
                                            "3 rows of 4 fields will be added.",
                                            "3 rows were added to the catalogue."}));
    // The main cursor shows the rows added, and the list follows at once.
    QCOMPARE(Catalog->Cursor.RecordCount(), 7);
    QCOMPARE(Shown(), QStringList({"ONE 6 2", "TWO 1 1"}));
    QCOMPARE(Prompts.Asked, QStringList({"Export to a CSV file", "Import a CSV file"}));
}

QTEST_MAIN(FormDiscsTest)
#include "FormDiscsTest.moc"
