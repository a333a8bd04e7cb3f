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

qint64 StoredRows(const QString& path) {
    sqlite3* connection = nullptr;
    sqlite3_open_v2(path.toUtf8().constData(), &connection, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt* count = nullptr;
    sqlite3_prepare_v2(connection, "SELECT count(*) FROM records", -1, &count, nullptr);
    const qint64 rows = sqlite3_step(count) == SQLITE_ROW ? sqlite3_column_int64(count, 0) : -1;
    sqlite3_finalize(count);
    sqlite3_close(connection);
    return rows;
}

} // namespace

class TableFileFaultsTest : public QObject {
    Q_OBJECT

private slots:
    void missingFolderOrFileCreatesNothing();
    void foreignFileIsRefusedAndLeftUnchanged_data();
    void foreignFileIsRefusedAndLeftUnchanged();
    void readOnlyFileBrowsesButRefusesPost();
    void secondProgramWritingMakesPostBusyAndKeepsTheEdit();
    void killedBulkWriterLeavesAllRowsOrNone();
    void fullDiskAbandonsTheWholeBulk();
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
    QTemporaryDir folder;
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
    QCOMPARE(StoredRows(path), 3);
    cursor.Last();
    QCOMPARE(cursor.RecNo(), 3);
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
