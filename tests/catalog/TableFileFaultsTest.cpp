// Bad table files and failing writes: each fails with a message naming the file, and no
// file is created, changed or left half-written.

#include "TableFixture.h"
#include "catalog/DataError.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <sqlite3.h>

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

// A second program that writes to `path`; it is killed when this goes out of scope.
class TWriterProcess {
public:
    TWriterProcess(const QStringList& arguments) {
        Process.start(QStringLiteral(TABLE_WRITER), arguments);
        Started = Process.waitForStarted(10000);
    }
    ~TWriterProcess() { Kill(); }
    bool WaitUntilReady() {
        while (Started && !Process.canReadLine())
            if (!Process.waitForReadyRead(30000))
                return false;
        return Started && Process.readLine().trimmed() == "ready";
    }
    void Kill() {
        if (Process.state() != QProcess::NotRunning) {
            Process.kill();
            Process.waitForFinished(10000);
        }
    }

private:
    QProcess Process;
    bool Started = false;
};

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

QTEST_GUILESS_MAIN(TableFileFaultsTest)
#include "TableFileFaultsTest.moc"
