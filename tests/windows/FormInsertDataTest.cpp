// The insert-data window as a user meets it, over drives of the fake file system and table
// files in temporary folders: its layout, both ways of selecting files, the scan's report and
// its stop, the lock on the window while a scan runs, and "Insert Data" all rows or none.

#include "windows/FormInsertData.h"
#include "CatalogFixture.h"
#include "ScriptedMessages.h"
#include "StoredLayout.h"
#include "support/FakeFileSystem.h"
#include "support/WithoutFileRights.h"
#include "support/WriterProcess.h"
#include "widgets/pickers/DriveSelector.h"
#include "widgets/pickers/FileList.h"
#include "widgets/pickers/FilterSelector.h"
#include "widgets/records/RecordGrid.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <memory>
#include <optional>
#include <sqlite3.h>

namespace {
const QString Title = QStringLiteral("Insert Data - Zandrel - By Qorvin\u00ae");

// Runs SQL on a table file through a connection of its own, as another program would.
void ExecuteOn(const QString& path, const QString& sql) {
    sqlite3* connection = nullptr;
    QVERIFY(sqlite3_open(path.toUtf8().constData(), &connection) == SQLITE_OK);
    const int result =
        sqlite3_exec(connection, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    sqlite3_close(connection);
    QCOMPARE(result, SQLITE_OK);
}

// Every row of a table file, each as its four fields.
QList<QStringList> RowsOf(const QString& path) {
    TTableCursor reader(QStringLiteral("Reader"));
    reader.SetTableName(path);
    reader.Open();
    QList<QStringList> rows;
    for (; !reader.Eof(); reader.Next()) {
        QStringList row;
        for (int field = 0; field < reader.FieldCount(); ++field)
            row.append(reader.FieldText(field));
        rows.append(row);
    }
    return rows;
}

QStringList Column(const QList<QStringList>& rows, int field) {
    QStringList values;
    for (const QStringList& row : rows)
        values.append(row[field]);
    return values;
}

constexpr int Directory = 1;
constexpr int File = 2;
} // namespace

class FormInsertDataTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ShortenBusyTimeout(); }
    void init();
    void cleanup();

    void layoutMatchesTheStoredWindow_data();
    void layoutMatchesTheStoredWindow();
    void tabOrderFollowsTheStoredOrder();
    void showingEmptiesStagingAndLocksTheMainWindow_data();
    void showingEmptiesStagingAndLocksTheMainWindow();
    void anotherRunningCopyKeepsItsStagingRows();
    void bothModesStoreTheSameFolderForm_data();
    void bothModesStoreTheSameFolderForm();
    void fileListSelectsWithoutAScan_data();
    void fileListSelectsWithoutAScan();
    void aTreeWithNoMatchInsertsNothing();
    void anUnreadableFolderIsNamedAtTheEnd();
    void subDirectoriesGreysTheFileList();
    void aTypedLabelHoldsUntilTheDriveChanges();
    void byteTotalsPast32BitsUseTheLocaleSeparators_data();
    void byteTotalsPast32BitsUseTheLocaleSeparators();
    void aRunningScanLeavesOnlyStop();
    void closingOrEscapeDuringAScanStopsIt_data();
    void closingOrEscapeDuringAScanStopsIt();
    void escapeAfterAScanKeepsTheWindowAndItsRows_data();
    void escapeAfterAScanKeepsTheWindowAndItsRows();
    void aPendingStagingCommentIsPostedFirst_data();
    void aPendingStagingCommentIsPostedFirst();
    void anErrorInsideAScanLeavesTheWindowUsable_data();
    void anErrorInsideAScanLeavesTheWindowUsable();
    void aScanCommitsInBatchesNotPerFile();
    void insertDataAppendsEveryRowAndReturns_data();
    void insertDataAppendsEveryRowAndReturns();
    void aRefusingCatalogGetsNoRowOrAllOfThem_data();
    void aRefusingCatalogGetsNoRowOrAllOfThem();

private:
    std::unique_ptr<TFakeFileSystem> Files;
    QString DriveD;
    std::unique_ptr<TSourcedCatalog> Catalog;
    std::unique_ptr<TTableFixture> Staging;
    std::unique_ptr<QWidget> MainWindow;
    std::unique_ptr<TFormInsertData> Form;
    TScriptedMessages Messages;

    void MakeFile(const QString& drivePath, int size);
    void Start(const QString& folder = QStringLiteral("D:\\"));
    template <typename T = QWidget> T* Child(const char* name) const {
        T* child = Form->findChild<T*>(QLatin1String(name));
        if (!child)
            qFatal("no child named %s", name);
        return child;
    }
    void Click(const char* button) { QTest::mouseClick(Child(button), Qt::LeftButton); }
    void SelectAllFiles();
    void Scan() {
        if (!Child<QCheckBox>("CheckBoxSubDir")->isChecked())
            Click("CheckBoxSubDir");
        Click("ButtonSelectData");
    }
    QString Counter() const { return Child<QLabel>("StatusPanel2")->text(); }
    // Runs `action` once, at the `visit`-th time the running scan lets events through.
    void DuringScan(int visit, const std::function<void()>& action);
    std::unique_ptr<QTimer> Probe;
};

// D: holds 5 files of 31 bytes in all: a.txt, B.TXT; DOCS\c.txt, DOCS\d.doc; DOCS\OLD\e.txt.
void FormInsertDataTest::init() {
    Messages.Shown.clear();
    Files = std::make_unique<TFakeFileSystem>();
    DriveD = Files->AddDrive(u'D', TDriveType::CdRom, QStringLiteral("MY DISC"));
    Files->AddDrive(u'C', TDriveType::Fixed, QStringLiteral("SYSTEM"));
    QDir(DriveD).mkpath(QStringLiteral("DOCS/OLD"));
    QDir(DriveD).mkpath(QStringLiteral("EMPTY"));
    MakeFile(QStringLiteral("a.txt"), 1);
    MakeFile(QStringLiteral("B.TXT"), 2);
    MakeFile(QStringLiteral("DOCS/c.txt"), 4);
    MakeFile(QStringLiteral("DOCS/d.doc"), 8);
    MakeFile(QStringLiteral("DOCS/OLD/e.txt"), 16);
    Catalog = std::make_unique<TSourcedCatalog>(3);
    Catalog->Cursor.Open();
    Staging = std::make_unique<TTableFixture>(2); // left over from an earlier run
    MainWindow = std::make_unique<QWidget>();
}

void FormInsertDataTest::cleanup() {
    Probe.reset();
    Form.reset();
    MainWindow.reset();
    Staging.reset();
    Catalog.reset();
    Files.reset();
    QVERIFY(!QApplication::overrideCursor());
    QLocale::setDefault(QLocale::c());
}

void FormInsertDataTest::MakeFile(const QString& path, int size) {
    QFile file(DriveD + QLatin1Char('/') + path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.resize(size));
}

void FormInsertDataTest::Start(const QString& folder) {
    Files->SetCurrentFolder(folder);
    Form = std::make_unique<TFormInsertData>(Messages, *Files, Staging->Path, *MainWindow,
                                             Catalog->Cursor);
    Form->show();
    QVERIFY(QTest::qWaitForWindowExposed(Form.get()));
}

void FormInsertDataTest::DuringScan(int visit, const std::function<void()>& action) {
    Probe = std::make_unique<QTimer>();
    Probe->setInterval(0);
    connect(Probe.get(), &QTimer::timeout, this, [this, visit, action, visits = 0]() mutable {
        if (!Form->TreeScannerSelect.SearchInProgress() || ++visits < visit)
            return;
        Probe->stop();
        action();
    });
    Probe->start();
}

void FormInsertDataTest::SelectAllFiles() {
    auto* list = Child<TFileList>("FileListBoxDirectory");
    list->setFocus();
    QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
}

void FormInsertDataTest::layoutMatchesTheStoredWindow_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("place"); // width or height 0: not fixed by the layout
    QTest::addColumn<QString>("text");
    QTest::newRow("folders") << "DirectoryListBoxDirectory" << QRect(8, 8, 225, 145) << "";
    QTest::newRow("files") << "FileListBoxDirectory" << QRect(240, 8, 329, 145) << "";
    QTest::newRow("drives") << "DriveComboBoxDirectory" << QRect(8, 160, 161, 0) << "";
    QTest::newRow("filter") << "FilterComboBoxDirectory" << QRect(240, 160, 161, 0) << "";
    QTest::newRow("select") << "ButtonSelectData" << QRect(584, 16, 89, 25) << "Select Data";
    QTest::newRow("sub") << "CheckBoxSubDir" << QRect(586, 48, 0, 17) << "Sub-Diretories";
    QTest::newRow("label") << "LabelLabel" << QRect(584, 72, 0, 0) << "Label";
    QTest::newRow("edit") << "EditLabel" << QRect(584, 88, 89, 0) << "MY DISC";
    QTest::newRow("insert") << "ButtonInsertData" << QRect(584, 120, 89, 25) << "Insert Data";
    QTest::newRow("back") << "ButtonBack" << QRect(584, 152, 89, 25) << "Back";
    QTest::newRow("navigator") << "DBNavigatorSelectedData" << QRect(8, 8, 670, 25) << "";
    QTest::newRow("top panel") << "PanelDirectory" << QRect(0, 0, 0, 189) << "";
    QTest::newRow("bottom panel") << "PanelBottom" << QRect(0, 0, 0, 41) << "";
    QTest::newRow("status bar") << "StatusBar" << QRect(0, 0, 0, 19) << "";
}

void FormInsertDataTest::layoutMatchesTheStoredWindow() {
    QFETCH(QString, name);
    QFETCH(QRect, place);
    QFETCH(QString, text);
    Start();
    const QWidget* widget = Child(name.toLatin1().constData());
    CheckStoredLayout(widget, place, text, place.topLeft() != QPoint(0, 0));
    if (QTest::currentTestFailed())
        return;
    if (const auto* box = qobject_cast<const QLineEdit*>(widget))
        QCOMPARE(box->toolTip(), QStringLiteral("Opcional"));
    // Its caption fits the platform's font, which is wider than the stored one.
    if (name == QLatin1String("CheckBoxSubDir"))
        QVERIFY(widget->width() >= std::max(87, widget->sizeHint().width()) &&
                widget->geometry().right() < Form->width());
    QCOMPARE(Form->windowTitle(), Title);
    // The grid fills what the panels leave, with the main grid's columns.
    const auto* grid = Child<TRecordGrid>("DBGridSelectedData");
    QCOMPARE(grid->y(), 189);
    QCOMPARE(grid->geometry().bottom() + 1, Child("PanelBottom")->y());
    QCOMPARE(grid->ColumnCount(), 4);
    QCOMPARE(Child<QLabel>("StatusPanel2")->width(), 150);
}

void FormInsertDataTest::tabOrderFollowsTheStoredOrder() {
    Start();
    const QStringList order = {"DirectoryListBoxDirectory",
                               "FileListBoxDirectory",
                               "DriveComboBoxDirectory",
                               "FilterComboBoxDirectory",
                               "ButtonSelectData",
                               "CheckBoxSubDir",
                               "EditLabel",
                               "ButtonInsertData",
                               "ButtonBack",
                               "DBGridSelectedData"}; // where Tab moves between columns
    Child(order[0].toLatin1().constData())->setFocus();
    QStringList reached = {QApplication::focusWidget()->objectName()};
    for (int step = 1; step < order.size(); ++step) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        reached.append(QApplication::focusWidget()->objectName());
    }
    QCOMPARE(reached, order);
}

void FormInsertDataTest::showingEmptiesStagingAndLocksTheMainWindow_data() {
    QTest::addColumn<QString>("label");
    QTest::addColumn<bool>("ready");
    QTest::addColumn<QString>("shown");
    QTest::newRow("label") << "MY DISC" << true << "MY DISC";
    QTest::newRow("long label") << "A LONG DISC LABEL" << true << "";
    QTest::newRow("no disc") << "MY DISC" << false << "";
}

void FormInsertDataTest::showingEmptiesStagingAndLocksTheMainWindow() {
    QFETCH(QString, label);
    QFETCH(bool, ready);
    QFETCH(QString, shown);
    Files->SetLabel(u'D', label);
    Start(QStringLiteral("D:\\"));
    Files->SetReady(u'D', ready);
    Form->hide();
    Form->show();
    QCOMPARE(Child<QLineEdit>("EditLabel")->text(), shown);
    QCOMPARE(Form->TableSelectedData.RecordCount(), 0);
    QCOMPARE(Counter(), QStringLiteral("Data 0 of 0"));
    QVERIFY(!MainWindow->isEnabled());
    QVERIFY(!Catalog->Cursor.Active());
    Click("ButtonBack");
    QVERIFY(!Form->isVisible());
    QVERIFY(MainWindow->isEnabled());
    QVERIFY(Catalog->Cursor.Active());
    QVERIFY(!Form->TableSelectedData.Active());
    QVERIFY(RowsOf(Staging->Path).isEmpty());
    QVERIFY(Messages.Shown.isEmpty());
}

// Another running copy of the program is cataloguing into the same staging table: this one
// neither shows its window nor empties those rows, until that copy is gone.
void FormInsertDataTest::anotherRunningCopyKeepsItsStagingRows() {
    Files->SetCurrentFolder(QStringLiteral("D:\\"));
    Form = std::make_unique<TFormInsertData>(Messages, *Files, Staging->Path, *MainWindow,
                                             Catalog->Cursor);
    auto other = std::make_unique<TWriterProcess>(QStringList{"claim", Staging->Path});
    QVERIFY(other->WaitUntilReady());
    Form->show();
    QVERIFY(!Form->isVisible());
    QVERIFY(MainWindow->isEnabled());
    QVERIFY(Catalog->Cursor.Active());
    QCOMPARE(RowsOf(Staging->Path).size(), 2);
    QCOMPARE(Messages.Shown.size(), 1);
    QVERIFY2(Messages.Shown[0].Kind == TBoxKind::Error &&
                 Messages.Shown[0].Text.contains(QStringLiteral("Another running copy")) &&
                 Messages.Shown[0].Text.contains(Staging->Path),
             qPrintable(Messages.Shown[0].Text));
    other.reset();
    Form->show();
    QVERIFY(Form->isVisible());
    QVERIFY(RowsOf(Staging->Path).isEmpty());
}

void FormInsertDataTest::bothModesStoreTheSameFolderForm_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QStringList>("files");
    QTest::newRow("root") << "D:\\"
                          << "D:\\" << QStringList{"a.txt", "B.TXT"};
    QTest::newRow("below") << "D:\\DOCS"
                           << "D:\\DOCS\\" << QStringList{"c.txt", "d.doc"};
}

void FormInsertDataTest::bothModesStoreTheSameFolderForm() {
    QFETCH(QString, folder);
    QFETCH(QString, stored);
    QFETCH(QStringList, files);
    Start(folder);
    SelectAllFiles();
    QTest::keyClick(Child("FileListBoxDirectory"), Qt::Key_Return);
    QCOMPARE(Messages.Texts(), QStringList{"2 Data. All Done with Success."});
    Scan();
    const QList<QStringList> rows = RowsOf(Staging->Path);
    QVERIFY(rows.size() > 4);
    for (int row = 0; row < 4; ++row) {
        QCOMPARE(rows[row][0], QStringLiteral("MY DISC"));
        QCOMPARE(rows[row][Directory], stored);
        QCOMPARE(rows[row][File], files[row % 2]);
        QCOMPARE(rows[row][3], QString());
    }
    QCOMPARE(Counter(), QStringLiteral("Data 1 of %1").arg(rows.size()));
    const qint64 bytes = folder == QLatin1String("D:\\") ? 31 : 28;
    QCOMPARE(Messages.Texts().last(), QStringLiteral("%1 Data. All Done with Success. Bytes: %2.")
                                          .arg(rows.size() - 2)
                                          .arg(bytes));
}

void FormInsertDataTest::fileListSelectsWithoutAScan_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<int>("way"); // 0 Enter, 1 double click, 2 the button
    QTest::addColumn<bool>("selectAll");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<int>("rows");
    QTest::newRow("Enter") << "D:\\" << 0 << true << QStringList{"2 Data. All Done with Success."}
                           << 2;
    QTest::newRow("double click") << "D:\\" << 1 << false
                                  << QStringList{"1 Data. All Done with Success."} << 1;
    QTest::newRow("none selected")
        << "D:\\" << 2 << false << QStringList{"0 Data. All Done with Success."} << 0;
    QTest::newRow("no entries") << "D:\\EMPTY" << 2 << false << QStringList{} << 0;
    QTest::newRow("only a name no list shows")
        << "D:\\ODD" << 2 << false
        << QStringList{"0 Data. All Done with Success.\n1 folders or files could not be "
                       "catalogued; the first: Name holds a backslash: D:\\ODD\\back\\slash.txt"}
        << 0;
}

void FormInsertDataTest::fileListSelectsWithoutAScan() {
    QFETCH(QString, folder);
    QFETCH(int, way);
    QFETCH(bool, selectAll);
    QFETCH(QStringList, texts);
    QFETCH(int, rows);
    QVERIFY(QDir(DriveD).mkdir(QStringLiteral("ODD")));
    MakeFile(QStringLiteral("ODD/back\\slash.txt"), 1);
    Start(folder);
    auto* list = Child<TFileList>("FileListBoxDirectory");
    if (selectAll)
        SelectAllFiles();
    if (way == 0)
        QTest::keyClick(list, Qt::Key_Return);
    else if (way == 1)
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {},
                           list->visualRect(list->model()->index(1, 0)).center());
    else
        Click("ButtonSelectData");
    QCOMPARE(Messages.Texts(), texts);
    QCOMPARE(RowsOf(Staging->Path).size(), rows);
    QVERIFY(Form->TableSelectedData.Active());
    QVERIFY(!Form->TableToExportSelect.Active());
    if (way == 1)
        QCOMPARE(RowsOf(Staging->Path)[0][File], QStringLiteral("B.TXT"));
}

void FormInsertDataTest::aTreeWithNoMatchInsertsNothing() {
    Start();
    Child<TFilterSelector>("FilterComboBoxDirectory")->SetFilter(QStringLiteral("Pictures|*.jpg"));
    Scan();
    QCOMPARE(Messages.Texts(), QStringList{"No Data Inserted."});
    QVERIFY(RowsOf(Staging->Path).isEmpty());
    QCOMPARE(Counter(), QStringLiteral("Data 0 of 0"));
}

// A folder the scan cannot read is counted and named at the end, not passed over.
void FormInsertDataTest::anUnreadableFolderIsNamedAtTheEnd() {
    TWithoutFileRights withoutRights;
    if (!withoutRights.Effective())
        QSKIP("permissions do not apply here");
    QVERIFY(QFile::setPermissions(DriveD + QStringLiteral("/DOCS/OLD"), {}));
    Start();
    Scan();
    QFile::setPermissions(DriveD + QStringLiteral("/DOCS/OLD"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QCOMPARE(Messages.Texts(),
             QStringList{QStringLiteral("4 Data. All Done with Success. Bytes: 15.\n1 folders or "
                                        "files could not be catalogued; the first: File access "
                                        "denied: D:\\DOCS\\OLD")});
}

void FormInsertDataTest::subDirectoriesGreysTheFileList() {
    Start();
    auto* list = Child("FileListBoxDirectory");
    SelectAllFiles();
    Click("CheckBoxSubDir");
    QVERIFY(!list->isEnabled());
    Click("ButtonSelectData"); // the whole tree, not the two selected
    QCOMPARE(RowsOf(Staging->Path).size(), 5);
    QVERIFY(!list->isEnabled());
    Click("CheckBoxSubDir");
    QVERIFY(list->isEnabled());
}

void FormInsertDataTest::aTypedLabelHoldsUntilTheDriveChanges() {
    Start();
    auto* label = Child<QLineEdit>("EditLabel");
    label->selectAll();
    QTest::keyClicks(label, QStringLiteral("MINE"));
    SelectAllFiles();
    Click("ButtonSelectData");
    Click("ButtonSelectData");
    QCOMPARE(Column(RowsOf(Staging->Path), 0), QStringList(4, QStringLiteral("MINE")));
    auto* drives = Child<TDriveSelector>("DriveComboBoxDirectory");
    drives->setFocus();
    QTest::keyClick(drives, Qt::Key_Up); // C: lists before D:
    QCOMPARE(drives->ChosenDrive(), QChar(u'C'));
    QCOMPARE(label->text(), QStringLiteral("SYSTEM"));
}

void FormInsertDataTest::byteTotalsPast32BitsUseTheLocaleSeparators_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    QTest::newRow("comma") << QLocale(QLocale::English, QLocale::UnitedStates)
                           << "6 Data. All Done with Success. Bytes: 5,000,000,031.";
    QTest::newRow("full stop") << QLocale(QLocale::German, QLocale::Germany)
                               << "6 Data. All Done with Success. Bytes: 5.000.000.031.";
}

void FormInsertDataTest::byteTotalsPast32BitsUseTheLocaleSeparators() {
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QLocale::setDefault(locale);
    QFile sparse(DriveD + QStringLiteral("/DOCS/OLD/big.iso"));
    QVERIFY(sparse.open(QIODevice::WriteOnly));
    QVERIFY(sparse.resize(5'000'000'000));
    sparse.close();
    Start();
    Scan();
    QCOMPARE(Messages.Texts(), QStringList{text});
}

void FormInsertDataTest::aRunningScanLeavesOnlyStop() {
    for (int folder = 0; folder < 40; ++folder) {
        QDir(DriveD).mkpath(QStringLiteral("MANY/F%1").arg(folder, 2, 10, QLatin1Char('0')));
        MakeFile(QStringLiteral("MANY/F%1/x.bin").arg(folder, 2, 10, QLatin1Char('0')), 100);
    }
    Start();
    const QStringList locked = {
        "DirectoryListBoxDirectory", "FileListBoxDirectory", "DriveComboBoxDirectory",
        "FilterComboBoxDirectory",   "CheckBoxSubDir",       "EditLabel",
        "ButtonInsertData",          "ButtonBack",           "DBGridSelectedData",
        "DBNavigatorSelectedData"};
    QStringList enabledDuringScan;
    QString caption;
    bool waitCursor = false;
    // On the third folder: look at the window, then stop the scan as the user does.
    DuringScan(3, [&] {
        for (const QString& name : locked)
            if (Child(name.toLatin1().constData())->isEnabled())
                enabledDuringScan.append(name);
        caption = Child<QPushButton>("ButtonSelectData")->text();
        waitCursor = QApplication::overrideCursor() &&
                     QApplication::overrideCursor()->shape() == Qt::WaitCursor;
        Click("ButtonSelectData");
    });
    Scan();
    QVERIFY(waitCursor);
    QVERIFY2(enabledDuringScan.isEmpty(), qPrintable(enabledDuringScan.join(u' ')));
    QCOMPARE(caption, QStringLiteral("Stop"));
    // What the stopped scan wrote is kept and reported.
    const QList<QStringList> rows = RowsOf(Staging->Path);
    QVERIFY(!rows.isEmpty());
    QVERIFY(rows.size() < 45);
    qint64 bytes = 0;
    for (const QStringList& row : rows)
        bytes += QFileInfo(Files->RealPath(row[Directory] + row[File])).size();
    QCOMPARE(Messages.Texts(), QStringList{QStringLiteral("%1 Data. All Done with Success. "
                                                          "Bytes: %2.")
                                               .arg(rows.size())
                                               .arg(bytes)});
    QCOMPARE(Child<QPushButton>("ButtonSelectData")->text(), QStringLiteral("Select Data"));
    for (const QString& name : locked)
        QCOMPARE(Child(name.toLatin1().constData())->isEnabled(),
                 name != QLatin1String("FileListBoxDirectory"));
    QVERIFY(!QApplication::overrideCursor());
}

// Closing stops the scan and leaves without a word; Escape only stops it, as "Stop" does.
void FormInsertDataTest::closingOrEscapeDuringAScanStopsIt_data() {
    QTest::addColumn<bool>("escape");
    QTest::newRow("title-bar close") << false;
    QTest::newRow("Escape") << true;
}

void FormInsertDataTest::closingOrEscapeDuringAScanStopsIt() {
    QFETCH(bool, escape);
    Start();
    bool visibleAfterClose = false;
    DuringScan(3, [&] {
        if (escape)
            QTest::keyClick(Child("ButtonSelectData"), Qt::Key_Escape);
        else
            Form->close();
        visibleAfterClose = Form->isVisible();
    });
    Scan();
    QVERIFY(visibleAfterClose); // the scan ends before the window hides
    QVERIFY(!Form->TreeScannerSelect.SearchInProgress());
    QCOMPARE(Form->isVisible(), escape);
    QCOMPARE(MainWindow->isEnabled(), !escape);
    const qsizetype kept = RowsOf(Staging->Path).size();
    QVERIFY(escape ? kept > 0 && kept < 5 : kept == 0);
    QCOMPARE(Messages.Texts(),
             escape ? QStringList{QStringLiteral("%1 Data. All Done with Success. Bytes: %2.")
                                      .arg(kept)
                                      .arg(kept == 2 ? 3 : 15)}
                    : QStringList());
}

void FormInsertDataTest::escapeAfterAScanKeepsTheWindowAndItsRows_data() {
    QTest::addColumn<QString>("widget");
    for (const char* name :
         {"DirectoryListBoxDirectory", "FileListBoxDirectory", "DriveComboBoxDirectory",
          "FilterComboBoxDirectory", "ButtonSelectData", "CheckBoxSubDir", "EditLabel",
          "ButtonInsertData", "ButtonBack", "DBNavigatorSelectedData"})
        QTest::newRow(name) << name;
}

void FormInsertDataTest::escapeAfterAScanKeepsTheWindowAndItsRows() {
    QFETCH(QString, widget);
    Start();
    SelectAllFiles();
    Click("ButtonSelectData");
    QWidget* target = Child(widget.toLatin1().constData());
    target->setFocus();
    QTest::keyClick(target, Qt::Key_Escape);
    QVERIFY(Form->isVisible());
    QCOMPARE(Form->TableSelectedData.RecordCount(), 2);
}

// A comment typed in the staging grid and not yet posted goes in before the command; a
// comment the table refuses stops the command with the error.
void FormInsertDataTest::aPendingStagingCommentIsPostedFirst_data() {
    QTest::addColumn<QString>("button");
    QTest::addColumn<QString>("comment");
    for (const char* button : {"ButtonInsertData", "ButtonSelectData"})
        QTest::addRow("%s", button) << button << "kept";
    // "Back" empties the staging table after the post: only a refused post shows.
    for (const char* button : {"ButtonInsertData", "ButtonSelectData", "ButtonBack"})
        QTest::addRow("%s, refused", button) << button << RefusedComment;
}

void FormInsertDataTest::aPendingStagingCommentIsPostedFirst() {
    QFETCH(QString, button);
    QFETCH(QString, comment);
    Staging = std::make_unique<TTableFixture>(0, TTableFixture::RowValues, true);
    Start();
    SelectAllFiles();
    Click("ButtonSelectData");
    Messages.Shown.clear();
    auto* grid = Child<TRecordGrid>("DBGridSelectedData");
    grid->setFocus();
    for (int column = 0; column < 3; ++column)
        QTest::keyClick(grid, Qt::Key_Right);
    QTest::keyClicks(grid, comment);
    Click(button.toLatin1().constData());
    const bool refused = comment == RefusedComment;
    QCOMPARE(Messages.Shown.size(), 1);
    QCOMPARE(Messages.Shown[0].Kind, refused ? TBoxKind::Error : TBoxKind::Information);
    if (refused) {
        QVERIFY(Form->isVisible());
        QCOMPARE(Form->TableSelectedData.State(), TCursorState::Edit);
        QCOMPARE(RowsOf(Staging->Path).size(), 2);
        QCOMPARE(RowsOf(Catalog->Fixture.Path).size(), 3);
    } else if (button == QLatin1String("ButtonInsertData")) {
        QCOMPARE(RowsOf(Catalog->Fixture.Path)[3][3], comment);
    } else {
        QCOMPARE(RowsOf(Staging->Path)[0][3], comment);
    }
}

// With batches of two rows the four rows before e.txt were committed, and the error says so.
void FormInsertDataTest::anErrorInsideAScanLeavesTheWindowUsable_data() {
    QTest::addColumn<int>("batchRows");
    QTest::addColumn<QString>("kept");
    QTest::newRow("nothing committed yet") << 20000 << "";
    QTest::newRow("earlier batches kept") << 2 << "4 rows were kept; table error: e.txt refused";
}

void FormInsertDataTest::anErrorInsideAScanLeavesTheWindowUsable() {
    QFETCH(int, batchRows);
    QFETCH(QString, kept);
    ExecuteOn(Staging->Path, QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON records "
                                            "WHEN NEW.File = 'e.txt' BEGIN "
                                            "SELECT RAISE(ABORT, 'e.txt refused'); END"));
    Start();
    Form->ScanBatchRows = batchRows;
    Scan();
    QCOMPARE(Messages.Shown.size(), 1);
    QCOMPARE(Messages.Shown[0].Kind, TBoxKind::Error);
    QVERIFY2(Messages.Shown[0].Text.contains(QStringLiteral("e.txt refused")) &&
                 Messages.Shown[0].Text.startsWith(kept),
             qPrintable(Messages.Shown[0].Text));
    const QStringList keptRows =
        kept.isEmpty() ? QStringList() : QStringList{"a.txt", "B.TXT", "c.txt", "d.doc"};
    QCOMPARE(Column(RowsOf(Staging->Path), File), keptRows);
    QCOMPARE(Child<QPushButton>("ButtonSelectData")->text(), QStringLiteral("Select Data"));
    QVERIFY(Child("ButtonInsertData")->isEnabled());
    QVERIFY(Child("DBGridSelectedData")->isEnabled());
    QVERIFY(Form->TableSelectedData.Active());
    QVERIFY(!Form->TableToExportSelect.Active());
    QVERIFY(!Form->TreeScannerSelect.SearchInProgress());
    // The next scan runs whole, and no row of the failed one is left twice.
    QVERIFY(QFile::remove(DriveD + QStringLiteral("/DOCS/OLD/e.txt")));
    Click("ButtonSelectData");
    QCOMPARE(Messages.Texts().last(), QStringLiteral("4 Data. All Done with Success. Bytes: 15."));
    QCOMPARE(Column(RowsOf(Staging->Path), File),
             keptRows + QStringList({"a.txt", "B.TXT", "c.txt", "d.doc"}));
}

// Another connection sees no row while the scan is under way: its rows are not committed one
// by one (a commit per file makes a large disc take minutes).
void FormInsertDataTest::aScanCommitsInBatchesNotPerFile() {
    Start();
    qint64 seenDuringScan = -1;
    DuringScan(3, [&] {
        sqlite3* other = nullptr;
        sqlite3_open(Staging->Path.toUtf8().constData(), &other);
        sqlite3_stmt* count = nullptr;
        sqlite3_prepare_v2(other, "SELECT count(*) FROM records", -1, &count, nullptr);
        if (sqlite3_step(count) == SQLITE_ROW)
            seenDuringScan = sqlite3_column_int64(count, 0);
        sqlite3_finalize(count);
        sqlite3_close(other);
    });
    Scan();
    QCOMPARE(seenDuringScan, 0);
    QCOMPARE(RowsOf(Staging->Path).size(), 5);
}

void FormInsertDataTest::insertDataAppendsEveryRowAndReturns_data() {
    QTest::addColumn<bool>("select");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("rows");
    QTest::newRow("two rows") << true << "2 Data Inserted. All Done with Success." << 5;
    QTest::newRow("empty staging") << false << "0 Data Inserted. All Done with Success." << 3;
}

void FormInsertDataTest::insertDataAppendsEveryRowAndReturns() {
    QFETCH(bool, select);
    QFETCH(QString, text);
    QFETCH(int, rows);
    Start();
    if (select) {
        SelectAllFiles();
        Click("ButtonSelectData");
        Messages.Shown.clear();
    }
    Click("ButtonInsertData");
    QCOMPARE(Messages.Texts(), QStringList{text});
    QVERIFY(!Form->isVisible());
    QVERIFY(MainWindow->isEnabled());
    QVERIFY(Catalog->Cursor.Active());
    QCOMPARE(Catalog->Cursor.RecordCount(), rows);
    const QList<QStringList> catalog = RowsOf(Catalog->Fixture.Path);
    if (select)
        QCOMPARE(catalog.last(), (QStringList{"MY DISC", "D:\\", "B.TXT", ""}));
    QVERIFY(RowsOf(Staging->Path).isEmpty());
}

void FormInsertDataTest::aRefusingCatalogGetsNoRowOrAllOfThem_data() {
    QTest::addColumn<int>("cause"); // 0 read-only file, 1 busy file, 2 a row refused
    QTest::newRow("read-only catalog") << 0;
    QTest::newRow("busy catalog") << 1;
    QTest::newRow("row refused part-way") << 2;
}

void FormInsertDataTest::aRefusingCatalogGetsNoRowOrAllOfThem() {
    QFETCH(int, cause);
    const QString catalog = Catalog->Fixture.Path;
    std::optional<TWithoutFileRights> withoutRights(std::in_place);
    if (cause == 0 && !withoutRights->Effective())
        QSKIP("permissions do not apply here");
    Start();
    Scan();
    Messages.Shown.clear();
    sqlite3* holder = nullptr;
    if (cause == 0)
        QVERIFY(QFile::setPermissions(catalog, QFile::ReadOwner | QFile::ReadGroup));
    if (cause == 1) {
        QVERIFY(sqlite3_open(catalog.toUtf8().constData(), &holder) == SQLITE_OK);
        QCOMPARE(sqlite3_exec(holder, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr), SQLITE_OK);
    }
    if (cause == 2)
        ExecuteOn(catalog, QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON records "
                                          "WHEN NEW.File = 'd.doc' BEGIN "
                                          "SELECT RAISE(ABORT, 'd.doc refused'); END"));
    Click("ButtonInsertData");
    QCOMPARE(Messages.Shown.size(), 1);
    QCOMPARE(Messages.Shown[0].Kind, TBoxKind::Error);
    const QString expected = cause == 2 ? QStringLiteral("d.doc refused") : catalog;
    QVERIFY2(Messages.Shown[0].Text.contains(expected), qPrintable(Messages.Shown[0].Text));
    QCOMPARE(RowsOf(catalog).size(), 3);
    QVERIFY(Form->isVisible());
    QVERIFY(Form->TableSelectedData.Active());
    QCOMPARE(Form->TableSelectedData.RecordCount(), 5);
    QVERIFY(!Form->TableToExportData.Active());
    // The cause gone, a second press appends each row once.
    withoutRights.reset();
    if (cause == 0)
        QVERIFY(QFile::setPermissions(catalog, QFile::ReadOwner | QFile::WriteOwner));
    if (cause == 1) {
        sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close(holder);
    }
    if (cause == 2)
        ExecuteOn(catalog, QStringLiteral("DROP TRIGGER refuse"));
    Click("ButtonInsertData");
    QCOMPARE(Messages.Texts().last(), QStringLiteral("5 Data Inserted. All Done with Success."));
    QCOMPARE(Column(RowsOf(catalog), File),
             (QStringList{"file1.txt", "file2.txt", "file3.txt", "a.txt", "B.TXT", "c.txt", "d.doc",
                          "e.txt"}));
    QVERIFY(!Form->isVisible());
}

QTEST_MAIN(FormInsertDataTest)
#include "FormInsertDataTest.moc"
