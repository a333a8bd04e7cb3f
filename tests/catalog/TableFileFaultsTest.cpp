// Bad table files and failing writes: each fails with a message naming the file, and no
// file is created, changed or left half-written.

#include "catalog/DataError.h"
#include "support/TableFixture.h"
#include "support/WithoutFileRights.h"
#include "support/WriterProcess.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <cstdio>
#include <functional>
#include <sqlite3.h>
#include <sys/mount.h>

namespace {

QByteArray Checksum(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256);
}

QString OpenError(const QString& path) {
    TTableCursor cursor(QStringLiteral("TableData"));
    cursor.SetTableName(path);
    try {
        cursor.Open();
    } catch (const TDataError& error) {
        if (cursor.Active())
            return QStringLiteral("cursor left open");
        return error.Text;
    }
    return {};
}

void ExecuteSql(const QString& path, const char* sql) {
    sqlite3* connection = nullptr;
    sqlite3_open(path.toUtf8().constData(), &connection);
    sqlite3_exec(connection, sql, nullptr, nullptr, nullptr);
    sqlite3_close(connection);
}

// A small in-memory file system mounted for one test and taken away after it.
class TScratchMount {
public:
    explicit TScratchMount(const char* options) {
        Mounted =
            mount("tmpfs", QFile::encodeName(Folder.path()).constData(), "tmpfs", 0, options) == 0;
    }
    ~TScratchMount() {
        if (Mounted)
            umount2(QFile::encodeName(Folder.path()).constData(), MNT_DETACH);
    }
    TScratchMount(const TScratchMount&) = delete;
    TScratchMount& operator=(const TScratchMount&) = delete;
    bool MakeReadOnly() const {
        return mount(nullptr, QFile::encodeName(Folder.path()).constData(), nullptr,
                     MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }
    QString FilePath(const QString& name) const { return Folder.filePath(name); }

    QTemporaryDir Folder;
    bool Mounted = false;
};

// Opens a table file that holds `rows` rows, made elsewhere and copied to `path`.
void CopyTable(int rows, const QString& path) {
    TTableFixture made(rows);
    QFile::copy(made.Path, path);
}

// Fills what is left of the scratch disk.
void FillDisk(const TScratchMount& disk) {
    QFile filler(disk.FilePath(QStringLiteral("filler")));
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return;
    const QByteArray block(4096, 'f');
    while (filler.write(block) == block.size()) {
    }
}

// The number the query `sql` answers on the file, read by a connection of its own.
qint64 NumberIn(const QString& path, const char* sql) {
    sqlite3* connection = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &connection, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* query = nullptr;
    sqlite3_prepare_v2(connection, sql, -1, &query, nullptr);
    const qint64 number = sqlite3_step(query) == SQLITE_ROW ? sqlite3_column_int64(query, 0) : -1;
    sqlite3_finalize(query);
    sqlite3_close(connection);
    return number;
}

} // namespace

class TableFileFaultsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { ShortenBusyTimeout(); }
    void missingFolderOrFileCreatesNothing();
    void foreignFileIsRefusedAndLeftUnchanged_data();
    void foreignFileIsRefusedAndLeftUnchanged();
    void readOnlyFileBrowsesButRefusesPost();
    void secondProgramWritingMakesPostBusyAndKeepsTheEdit();
    void killedBulkWriterLeavesAllRowsOrNone();
    void fullDiskAbandonsTheWholeBulk();
    void fullDiskAppendSaysSoAndTheFileOpensAgain();
    void movedOrDeletedFileIsNotWritten_data();
    void movedOrDeletedFileIsNotWritten();
    void damagedOrRebuiltTableSaysSoOnEveryLook_data();
    void damagedOrRebuiltTableSaysSoOnEveryLook();
    void unwritablePlacesOpenForBrowsing_data();
    void unwritablePlacesOpenForBrowsing();
};

void TableFileFaultsTest::missingFolderOrFileCreatesNothing() {
    QTemporaryDir folder;
    const QString inMissingFolder = folder.filePath(QStringLiteral("Data/GeneralData.db"));
    const QString missingFile = folder.filePath(QStringLiteral("GeneralData.db"));
    for (const QString& path : {inMissingFolder, missingFile}) {
        const QString error = OpenError(path);
        QCOMPARE(error, QStringLiteral("Table does not exist.\nFile: %1").arg(path));
    }
    QVERIFY(!QFileInfo::exists(folder.filePath(QStringLiteral("Data"))));
    QCOMPARE(QDir(folder.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
}

void TableFileFaultsTest::foreignFileIsRefusedAndLeftUnchanged_data() {
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QByteArray>("sql");
    QTest::addColumn<QString>("expected");
    QTest::newRow("not a database") << QByteArray("This is a plain text file, not a table.\n")
                                    << QByteArray() << QStringLiteral("not a table file");
    QTest::newRow("empty database") << QByteArray() << QByteArray("CREATE TABLE other (x);")
                                    << QStringLiteral("no table 'records'");
    QTest::newRow("field missing")
        << QByteArray()
        << QByteArray("CREATE TABLE records (Label VARCHAR(32), Directory VARCHAR(4096), "
                      "File VARCHAR(255)); INSERT INTO records VALUES ('a', 'b', 'c');")
        << QStringLiteral("TableData: Field 'Coments' not found");
    const QByteArray fields("Label VARCHAR(32), Directory VARCHAR(4096), File VARCHAR(255), "
                            "Coments VARCHAR(1024)");
    QTest::newRow("a view") << QByteArray()
                            << "CREATE TABLE rows (" + fields +
                                   "); INSERT INTO rows VALUES ('a', 'b', 'c', 'd');"
                                   "CREATE VIEW records AS SELECT * FROM rows;"
                            << QStringLiteral("is a view, not a table");
    QTest::newRow("own rowid column")
        << QByteArray() << "CREATE TABLE records (rowid TEXT, " + fields + ");"
        << QStringLiteral("column of its own named 'rowid'");
    QTest::newRow("without row numbers")
        << QByteArray()
        << QByteArray("CREATE TABLE records (Label VARCHAR(32) PRIMARY KEY, Directory "
                      "VARCHAR(4096), File VARCHAR(255), Coments VARCHAR(1024)) WITHOUT ROWID;")
        << QStringLiteral("has no row numbers");
}

void TableFileFaultsTest::foreignFileIsRefusedAndLeftUnchanged() {
    QFETCH(QByteArray, content);
    QFETCH(QByteArray, sql);
    QTemporaryDir folder(ScratchFolderTemplate());
    const QString path = folder.filePath(QStringLiteral("GeneralData.db"));
    if (sql.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    } else {
        ExecuteSql(path, sql.constData());
    }
    const QByteArray before = Checksum(path);

    const QString error = OpenError(path);
    QFETCH(QString, expected);
    QVERIFY2(error.contains(expected), qPrintable(error));
    if (!error.startsWith(QLatin1String("TableData:")))
        QVERIFY2(error.contains(path), qPrintable(error));
    QCOMPARE(Checksum(path), before);
}

void TableFileFaultsTest::readOnlyFileBrowsesButRefusesPost() {
    TTableFixture table(2);
    QFile::setPermissions(table.Path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    TTableCursor cursor(QStringLiteral("TableData"));
    cursor.SetTableName(table.Path);
    cursor.Open();
    QVERIFY(!cursor.CanModify());
    cursor.Next();
    QCOMPARE(cursor.FieldText(0), QStringLiteral("L2"));

    cursor.Edit();
    cursor.SetFieldText(3, QStringLiteral("not stored"));
    QString error;
    try {
        cursor.Post();
    } catch (const TDataError& failure) {
        error = failure.Text;
    }
    QVERIFY2(error.contains(QLatin1String("read-only")) && error.contains(table.Path),
             qPrintable(error));
    QCOMPARE(cursor.State(), TCursorState::Edit);
    QCOMPARE(cursor.FieldText(3), QStringLiteral("not stored"));
    QFile::setPermissions(table.Path, QFile::ReadOwner | QFile::WriteOwner);
}

void TableFileFaultsTest::secondProgramWritingMakesPostBusyAndKeepsTheEdit() {
    TTableFixture table(1);
    TTableCursor cursor(QStringLiteral("TableData"));
    cursor.SetTableName(table.Path);
    cursor.Open();
    cursor.Edit();
    cursor.SetFieldText(3, QStringLiteral("mine"));

    TWriterProcess writer({QStringLiteral("hold"), table.Path});
    QVERIFY(writer.WaitUntilReady());
    QString error;
    try {
        cursor.Post();
    } catch (const TDataError& failure) {
        error = failure.Text;
    }
    QVERIFY2(error.contains(QLatin1String("busy")) && error.contains(table.Path),
             qPrintable(error));
    QCOMPARE(cursor.State(), TCursorState::Edit);

    writer.Kill(); // its transaction dies with it
    cursor.Post();
    QCOMPARE(cursor.RecordCount(), 1);
    QCOMPARE(cursor.FieldText(3), QStringLiteral("mine"));
}

void TableFileFaultsTest::killedBulkWriterLeavesAllRowsOrNone() {
    constexpr int Rows = 200000;
    TTableFixture table(3);
    {
        TWriterProcess writer({QStringLiteral("bulk"), table.Path, QString::number(Rows)});
        QVERIFY(writer.WaitUntilReady()); // half of its rows are written, none committed
    }
    TTableCursor cursor(QStringLiteral("TableData"));
    cursor.SetTableName(table.Path);
    cursor.Open();
    const qint64 count = cursor.RecordCount();
    QVERIFY2(count == 3 || count == 3 + Rows, qPrintable(QString::number(count)));
    cursor.Last();
    QCOMPARE(cursor.RecNo(), count);
    cursor.Close();

    sqlite3* connection = nullptr;
    sqlite3_open(table.Path.toUtf8().constData(), &connection);
    sqlite3_stmt* check = nullptr;
    sqlite3_prepare_v2(connection, "PRAGMA integrity_check", -1, &check, nullptr);
    QCOMPARE(sqlite3_step(check), SQLITE_ROW);
    QCOMPARE(QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(check, 0))),
             QByteArray("ok"));
    sqlite3_finalize(check);
    sqlite3_close(connection);
}

// A full disk in the middle of a bulk append: nothing of it is kept, later appends and the
// commit are refused, and the cursors count the rows the file holds.
void TableFileFaultsTest::fullDiskAbandonsTheWholeBulk() {
    TScratchMount disk("size=256k");
    if (!disk.Mounted)
        QSKIP("This machine does not let the test mount a small file system to fill.");
    const QString path = disk.FilePath(QStringLiteral("GeneralData.db"));
    CopyTable(3, path);
    TTableCursor cursor(QStringLiteral("TableToExportData"));
    cursor.SetTableName(path);
    cursor.Open();
    const QString comment(1000, QLatin1Char('x'));
    const QStringList values{QStringLiteral("CD"), QStringLiteral("D:\\"), QStringLiteral("f"),
                             comment};
    {
        TBulkTransaction bulk(cursor);
        QString full;
        for (int row = 0; row < 10000 && full.isEmpty(); ++row)
            full = ErrorOf([&] { cursor.AppendRecord(values); });
        QVERIFY2(full.contains(QLatin1String("disk is full")) && full.contains(path),
                 qPrintable(full));
        QCOMPARE(cursor.RecordCount(), 3);
        const QString later = ErrorOf([&] { cursor.AppendRecord(values); });
        QVERIFY2(later.contains(QLatin1String("not stored")), qPrintable(later));
        const QString commit = ErrorOf([&] { bulk.Commit(); });
        QVERIFY2(commit.contains(QLatin1String("Nothing of this bulk work was stored")),
                 qPrintable(commit));
        QCOMPARE(cursor.RecordCount(), 3);
    }
    QCOMPARE(NumberIn(path, "SELECT count(*) FROM records"), 3);
    cursor.Last();
    QCOMPARE(cursor.RecNo(), 3);
}

// "Insert Data" on a disk that fills up as the engine's log index grows, which the engine
// reports as an I/O error (another program's work, rolled back, left the log itself long
// enough): the user is told the disk is full, and a new cursor opens and browses at once.
void TableFileFaultsTest::fullDiskAppendSaysSoAndTheFileOpensAgain() {
    TScratchMount disk("size=16m");
    if (!disk.Mounted)
        QSKIP("This machine does not let the test mount a small file system to fill.");
    const QString path = disk.FilePath(QStringLiteral("GeneralData.db"));
    // Small pages, so the index outgrows its first part after a few thousand of them.
    ExecuteSql(path, "PRAGMA page_size = 512; PRAGMA journal_mode = WAL; CREATE TABLE records "
                     "(Label VARCHAR(32), Directory VARCHAR(4096), File VARCHAR(255), Coments "
                     "VARCHAR(1024)); INSERT INTO records VALUES ('L1', '', '', ''), "
                     "('L2', '', '', ''), ('L3', '', '', '')");
    const QString rows = QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 "
                                        "FROM n WHERE i < 200000) INSERT INTO records SELECT "
                                        "'CD', 'D:\\', 'file' || i, '' FROM n;");
    TTableFixture staging;
    staging.ExecuteElsewhere(rows);
    sqlite3* other = nullptr;
    sqlite3_open(path.toUtf8().constData(), &other);
    int keepLog = 1;
    sqlite3_file_control(other, "main", SQLITE_FCNTL_PERSIST_WAL, &keepLog);
    sqlite3_exec(other, qPrintable("PRAGMA cache_size = 10; BEGIN; " + rows + rows + "ROLLBACK"),
                 nullptr, nullptr, nullptr);
    sqlite3_close(other);
    TTableCursor cursor(QStringLiteral("TableToExportData"));
    cursor.SetTableName(path);
    cursor.Open();
    FillDisk(disk);
    const QString error = ErrorOf([&] { cursor.AppendRowsOf(staging.Path); });
    QVERIFY2(error.startsWith(QLatin1String("The disk is full")) && error.contains(path),
             qPrintable(error));
    TTableCursor fresh(QStringLiteral("TableData"));
    fresh.SetTableName(path);
    fresh.Open();
    fresh.Last();
    QCOMPARE(fresh.RecNo(), 3);
    QCOMPARE(fresh.FieldText(0), QStringLiteral("L3"));
}

// Every write to a table file that was moved away, replaced or deleted while open is
// refused; browsing goes on, and the file now at the path opens once the old one is closed.
void TableFileFaultsTest::movedOrDeletedFileIsNotWritten_data() {
    QTest::addColumn<bool>("replaced");
    QTest::newRow("another file moved over it") << true;
    QTest::newRow("deleted") << false;
}

void TableFileFaultsTest::movedOrDeletedFileIsNotWritten() {
    QFETCH(bool, replaced);
    TTableFixture table(3);
    TTableFixture other(1);
    TTableFixture staging(1);
    const QByteArray replacement = Checksum(other.Path);
    TTableCursor cursor(QStringLiteral("TableData"));
    cursor.SetTableName(table.Path);
    cursor.Open();
    if (replaced)
        QVERIFY(std::rename(QFile::encodeName(other.Path).constData(),
                            QFile::encodeName(table.Path).constData()) == 0);
    else
        QVERIFY(QFile::remove(table.Path));

    const std::vector<std::function<void()>> writes = {
        [&] { cursor.AppendRecord({QStringLiteral("lost")}); },
        [&] { cursor.Delete(); },
        [&] { cursor.AppendRowsOf(staging.Path); },
        [&] { TBulkTransaction bulk(cursor); },
    };
    for (const auto& write : writes) {
        const QString error = ErrorOf(write);
        QVERIFY2(error.startsWith(QLatin1String("The table file was moved, replaced or deleted")) &&
                     error.contains(table.Path),
                 qPrintable(error));
    }
    cursor.Last();
    QCOMPARE(cursor.FieldText(0), QStringLiteral("L3"));

    TTableCursor fresh(QStringLiteral("TableData"));
    fresh.SetTableName(table.Path);
    const QString opened = ErrorOf([&] { fresh.Open(); });
    QVERIFY2(opened.startsWith(replaced ? QLatin1String("The table file was replaced")
                                        : QLatin1String("Table does not exist.")) &&
                 opened.contains(table.Path),
             qPrintable(opened));
    cursor.Close();
    if (replaced) {
        QCOMPARE(Checksum(table.Path), replacement);
        fresh.Open();
        QCOMPARE(fresh.RecordCount(), 1);
    }
}

// Another program damages the table or rebuilds it as something this program cannot read,
// while a cursor has it open: every look says so with the engine's words and the file.
void TableFileFaultsTest::damagedOrRebuiltTableSaysSoOnEveryLook_data() {
    QTest::addColumn<QString>("sql"); // empty: a page of rows is zeroed
    QTest::addColumn<QString>("expected");
    QTest::newRow("a page of rows zeroed") << QString() << "database disk image is malformed";
    QTest::newRow("its count index missing rows")
        << "CREATE TABLE spare (x); CREATE INDEX spare_count ON spare (0); INSERT INTO spare "
           "VALUES (1), (2); PRAGMA writable_schema = ON; UPDATE sqlite_schema SET rootpage = "
           "(SELECT rootpage FROM sqlite_schema WHERE name = 'spare_count') WHERE name = "
           "'records_count'; PRAGMA writable_schema = OFF; PRAGMA schema_version = 100"
        << "is never used";
    QTest::newRow("rebuilt as a view")
        << "ALTER TABLE records RENAME TO rows; CREATE VIEW records AS SELECT * FROM rows"
        << "is a view, not a table";
    QTest::newRow("a field dropped") << "ALTER TABLE records DROP COLUMN Coments"
                                     << "Field 'Coments' not found";
}

void TableFileFaultsTest::damagedOrRebuiltTableSaysSoOnEveryLook() {
    QFETCH(QString, sql);
    QFETCH(QString, expected);
    TTableFixture table(3000);
    TTableCursor cursor(QStringLiteral("TableData"));
    cursor.SetTableName(table.Path);
    cursor.Open();
    if (sql.isEmpty()) {
        const qint64 page = NumberIn(table.Path, "SELECT pageno FROM dbstat WHERE name = "
                                                 "'records' AND pagetype = 'leaf' LIMIT 1 "
                                                 "OFFSET 10");
        QFile file(table.Path);
        QVERIFY(file.open(QIODevice::ReadWrite) && file.seek((page - 1) * 4096));
        file.write(QByteArray(4096, '\0'));
    } else {
        table.ExecuteElsewhere(sql);
    }
    for (int look = 0; look < 2; ++look) {
        const QString error = ErrorOf([&] {
            for (cursor.First(); !cursor.Eof(); cursor.Next()) {
            }
        });
        QVERIFY2(error.contains(expected) && error.contains(table.Path), qPrintable(error));
    }
}

// A table where rows cannot be stored opens for browsing, and a post says why it failed.
void TableFileFaultsTest::unwritablePlacesOpenForBrowsing_data() {
    QTest::addColumn<QString>("place");
    QTest::addColumn<QString>("reason");
    QTest::newRow("read-only mount") << QStringLiteral("mount") << QStringLiteral("medium");
    QTest::newRow("folder the user cannot write")
        << QStringLiteral("folder") << QStringLiteral("folder holding the table");
    QTest::newRow("log files of another user")
        << QStringLiteral("log") << QStringLiteral("log file belongs to another user");
}

void TableFileFaultsTest::unwritablePlacesOpenForBrowsing() {
    QFETCH(QString, place);
    QFETCH(QString, reason);
    TScratchMount disk("size=1m");
    if (!disk.Mounted)
        QSKIP("This machine does not let the test mount a file system.");
    const QString path = disk.FilePath(QStringLiteral("GeneralData.db"));
    CopyTable(2, path);
    TWithoutFileRights rights;
    sqlite3* other = nullptr;
    if (place == QLatin1String("mount")) {
        QVERIFY(disk.MakeReadOnly());
    } else if (place == QLatin1String("folder")) {
        QVERIFY(QFile::setPermissions(disk.Folder.path(), QFile::ReadOwner | QFile::ExeOwner));
    } else {
        // Another user's program has the file open, so its log files are there and its own.
        sqlite3_open(path.toUtf8().constData(), &other);
        sqlite3_exec(other, "SELECT count(*) FROM records", nullptr, nullptr, nullptr);
        for (const char* suffix : {"-wal", "-shm"})
            QVERIFY(chown(QFile::encodeName(path + QLatin1String(suffix)).constData(), 65534,
                          65534) == 0);
    }
    if (!rights.Effective())
        QSKIP("This process keeps the right to write any file.");
    const QStringList before = QDir(disk.Folder.path()).entryList(QDir::Files);

    TTableCursor cursor(QStringLiteral("TableData"));
    cursor.SetTableName(path);
    cursor.Open();
    QVERIFY(!cursor.CanModify());
    cursor.Last();
    QCOMPARE(cursor.RecNo(), 2);
    QCOMPARE(cursor.FieldText(0), QStringLiteral("L2"));
    cursor.Edit();
    cursor.SetFieldText(3, QStringLiteral("not stored"));
    const QString error = ErrorOf([&] { cursor.Post(); });
    QVERIFY2(error.contains(reason), qPrintable(error));
    QCOMPARE(cursor.State(), TCursorState::Edit);
    cursor.Close();
    if (place != QLatin1String("log"))
        QCOMPARE(QDir(disk.Folder.path()).entryList(QDir::Files), before);
    sqlite3_close(other);
    QFile::setPermissions(disk.Folder.path(),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
}

QTEST_GUILESS_MAIN(TableFileFaultsTest)
#include "TableFileFaultsTest.moc"
