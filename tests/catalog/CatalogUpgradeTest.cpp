// The search index a catalogue keeps: made for an old file in one transaction, kept right by
// every writer, and nothing changed by a build that is cancelled.

#include "catalog/CatalogUpgrade.h"
#include "support/TableFixture.h"

#include <QCryptographicHash>
#include <QFile>
#include <QTest>
#include <sqlite3.h>

namespace {
// Runs `sql` as another program would; returns the engine's result code.
int ExecuteOn(const QString& path, const char* sql) {
    sqlite3* connection = nullptr;
    sqlite3_open(path.toUtf8().constData(), &connection);
    const int result = sqlite3_exec(connection, sql, nullptr, nullptr, nullptr);
    sqlite3_close(connection);
    return result;
}

QByteArray Checksum(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly)
               ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
               : QByteArray();
}

bool Always(qint64, qint64) {
    return true;
}
} // namespace

class CatalogUpgradeTest : public QObject {
    Q_OBJECT

private slots:
    void theIndexIsMadeOnceAndEveryWriterKeepsItRight();
    void aCancelledBuildLeavesTheFileAsItWas_data();
    void aCancelledBuildLeavesTheFileAsItWas();
    void filesThatAreNoWritableCatalogueAreLeftAlone();
};

void CatalogUpgradeTest::theIndexIsMadeOnceAndEveryWriterKeepsItRight() {
    TTableFixture table(300, TTableFixture::DiscRowValues);
    QVERIFY(CatalogNeedsUpgrade(table.Path));
    QVERIFY(UpgradeCatalog(table.Path, Always));
    QVERIFY(!CatalogNeedsUpgrade(table.Path));

    // Another program, then this program's cursor, insert, change and delete rows.
    QCOMPARE(ExecuteOn(table.Path, "INSERT INTO records VALUES ('NEW', 'E:\\', 'other.txt', '');"
                                   "UPDATE records SET File = 'moved.txt' WHERE rowid = 3;"
                                   "DELETE FROM records WHERE rowid = 4;"),
             SQLITE_OK);
    TTableCursor cursor(QStringLiteral("TableData"));
    cursor.SetTableName(table.Path);
    cursor.Open();
    cursor.AppendRecord({"MINE", "F:\\", "mine.txt", "typed"});
    cursor.First();
    cursor.Edit();
    cursor.SetFieldText(3, QStringLiteral("commented"));
    cursor.Post();
    cursor.Next();
    cursor.Delete();
    cursor.Close();
    QCOMPARE(ExecuteOn(table.Path, "INSERT INTO records_search (records_search, rank) "
                                   "VALUES ('integrity-check', 1)"),
             SQLITE_OK);
    // A trigger lost to another tool means writes were missed: the index is made anew.
    QCOMPARE(ExecuteOn(table.Path, "DROP TRIGGER records_search_update"), SQLITE_OK);
    QVERIFY(CatalogNeedsUpgrade(table.Path));
    QVERIFY(UpgradeCatalog(table.Path, Always));
    QVERIFY(!CatalogNeedsUpgrade(table.Path));
}

void CatalogUpgradeTest::aCancelledBuildLeavesTheFileAsItWas_data() {
    QTest::addColumn<int>("cancelAt"); // the progress call that answers "cancel"
    QTest::newRow("before any row") << 1;
    QTest::newRow("half-way") << 2;
}

void CatalogUpgradeTest::aCancelledBuildLeavesTheFileAsItWas() {
    QFETCH(int, cancelAt);
    TTableFixture table(30000);
    const QByteArray before = Checksum(table.Path);
    int calls = 0;
    qint64 seenDone = -1;
    const bool done = UpgradeCatalog(table.Path, [&](qint64 rows, qint64 total) {
        seenDone = rows;
        return ++calls < cancelAt && total == 2 * 30000; // both parts of every row
    });
    QVERIFY(!done);
    QCOMPARE(seenDone > 0, cancelAt > 1);
    QCOMPARE(Checksum(table.Path), before);
    QVERIFY(CatalogNeedsUpgrade(table.Path));
}

void CatalogUpgradeTest::filesThatAreNoWritableCatalogueAreLeftAlone() {
    TTableFixture readOnly(3);
    QFile::setPermissions(readOnly.Path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    TTableFixture foreign;
    QCOMPARE(ExecuteOn(foreign.Path, "DROP TABLE records; CREATE TABLE other (x)"), SQLITE_OK);
    for (const QString& path : {readOnly.Path, foreign.Path, foreign.Path + QStringLiteral("x")})
        QVERIFY2(!CatalogNeedsUpgrade(path), qPrintable(path));
    QFile::setPermissions(readOnly.Path, QFile::ReadOwner | QFile::WriteOwner);
}

QTEST_GUILESS_MAIN(CatalogUpgradeTest)
#include "CatalogUpgradeTest.moc"
