// The cursor's search through the engine: where it starts, that the text is never a pattern,
// which letters match in either case, and record numbers in a table with gaps.

#include "catalog/CatalogUpgrade.h"
#include "support/TableFixture.h"

#include <QScopeGuard>
#include <QTest>
#include <cstring>
#include <sqlite3.h>

namespace {
constexpr int File = 2;

// Row n holds file files[n - 1]; the other fields are plain numbered values.
QStringList FileRow(int row) {
    static const QStringList files = {
        "README.TXT",        "100%_done.txt",     "a\\b.txt",  "it's.txt",
        "\u00c9t\u00e9.doc", "\u00e9t\u00e9.doc", "readme.md", "x",
    };
    QStringList values = TTableFixture::RowValues(row);
    values[File] = files[row - 1];
    return values;
}
constexpr int FileRows = 8;
// Empty rows before those, enough that "Find" from the first asks the search index.
constexpr int RowsBefore = 5000;

// Another program deleting rowid `Gone` as the engine hands that row to the search of a
// connection opened meanwhile, before the cursor looks at the table again.
struct TDeleteWhenFound {
    static inline const TTableFixture* Table = nullptr;
    static inline qint64 Gone = 0;
    static int Watch(sqlite3* connection, const char**, const sqlite3_api_routines*) {
        return sqlite3_trace_v2(
            connection, SQLITE_TRACE_ROW,
            [](unsigned, void*, void* row, void*) {
                auto* query = static_cast<sqlite3_stmt*>(row);
                // The search's rows: a match's rowid, or each rowid with 1 when it matches.
                if (Gone && std::strstr(sqlite3_sql(query), "contains_folded") &&
                    sqlite3_column_int64(query, 0) == Gone &&
                    (sqlite3_column_count(query) == 1 || sqlite3_column_int(query, 1) == 1))
                    Table->ExecuteElsewhere(QStringLiteral("DELETE FROM records WHERE rowid = %1")
                                                .arg(std::exchange(Gone, 0)));
                return 0;
            },
            nullptr);
    }
};
} // namespace

class TableSearchTest : public QObject {
    Q_OBJECT

private slots:
    void findsTheFirstRowFromTheCurrentOne_data();
    void findsTheFirstRowFromTheCurrentOne();
    void recordNumbersSkipDeletedRows();
    void anyTextAnEditBoxTakesIsFound_data();
    void anyTextAnEditBoxTakesIsFound();
    void rowDeletedWhileFoundIsPassedOver_data();
    void rowDeletedWhileFoundIsPassedOver();
};

void TableSearchTest::findsTheFirstRowFromTheCurrentOne_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("found"); // 0: none, the cursor stays
    QTest::addColumn<bool>("far");  // after RowsBefore empty rows, in an indexed file
    QTest::newRow("the current row itself") << 1 << "readme" << 1 << false;
    QTest::newRow("a row below") << 2 << "README" << 7 << false;
    QTest::newRow("nothing below") << 8 << "readme" << 0 << false;
    QTest::newRow("per cent is plain") << 1 << "%" << 2 << false;
    QTest::newRow("per cent below its row") << 3 << "%" << 0 << false;
    QTest::newRow("underscore is plain") << 3 << "_" << 0 << false;
    QTest::newRow("backslash is plain") << 1 << "\\" << 3 << false;
    QTest::newRow("quote") << 1 << "'s." << 4 << false;
    QTest::newRow("accents in the same case") << 1 << "\u00e9t\u00e9" << 6 << false;
    QTest::newRow("accents never fold") << 1 << "\u00c9T\u00c9" << 0 << false;
    QTest::newRow("the last row") << 8 << "X" << 8 << false;
    // From the first of many empty rows, the index answers; the rule still decides.
    QTest::newRow("far: found") << 1 << "readme" << 1 << true;
    QTest::newRow("far: per cent") << 1 << "%" << 2 << true;
    QTest::newRow("far: a quote") << 1 << "t's." << 4 << true;
    QTest::newRow("far: accents in the same case") << 1 << "\u00e9t\u00e9" << 6 << true;
    QTest::newRow("far: accents never fold") << 1 << "\u00c9T\u00c9" << 0 << true;
    QTest::newRow("far: nowhere") << 1 << "zqxj" << 0 << true;
}

void TableSearchTest::findsTheFirstRowFromTheCurrentOne() {
    QFETCH(int, from);
    QFETCH(QString, text);
    QFETCH(int, found);
    QFETCH(bool, far);
    TTableFixture table(FileRows, FileRow);
    const int before = far ? RowsBefore : 0;
    if (far) {
        table.ExecuteElsewhere(
            QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE "
                           "i < %1) INSERT INTO records (rowid, Label, Directory, File, Coments) "
                           "SELECT -i, '', '', '', '' FROM n")
                .arg(before));
        QVERIFY(UpgradeCatalog(table.Path, [](qint64, qint64) { return true; }));
    }
    TTableCursor cursor(QStringLiteral("TableToFind"));
    cursor.SetTableName(table.Path);
    cursor.Open();
    cursor.SetRecNo(from);
    QCOMPARE(cursor.FindContaining(File, text), found > 0);
    QCOMPARE(cursor.RecNo(), qint64(found ? found + before : from));
    QCOMPARE(cursor.Eof(), false);
    QCOMPARE(cursor.Bof(), (found ? found + before : from) == 1);
}

// Rowids 1..8 with 1, 2 and 5 deleted: record 3 is rowid 6.
void TableSearchTest::recordNumbersSkipDeletedRows() {
    TTableFixture table(FileRows, FileRow);
    TTableCursor cursor(QStringLiteral("TableToFind"));
    cursor.SetTableName(table.Path);
    cursor.Open();
    for (const int record : {5, 2, 1}) {
        cursor.SetRecNo(record);
        cursor.Delete();
    }
    // A fresh cursor knows only the two end rows of the table, not every rowid.
    cursor.Close();
    cursor.Open();
    QVERIFY(cursor.FindContaining(File, QStringLiteral("\u00e9t\u00e9")));
    QCOMPARE(cursor.RecNo(), 3);
    QCOMPARE(cursor.FieldText(File), QStringLiteral("\u00e9t\u00e9.doc"));
    cursor.Next();
    QVERIFY(cursor.FindContaining(File, QStringLiteral("readme")));
    QCOMPARE(cursor.RecNo(), 4);
    QCOMPARE(cursor.FieldText(File), QStringLiteral("readme.md"));
}

// Any text an edit box takes (32,767 characters) is searched by the same rule.
void TableSearchTest::anyTextAnEditBoxTakesIsFound_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("32,767 letters") << QString(32767, u'a');
    QTest::newRow("25,000 per cents") << QString(25000, u'%');
    QTest::newRow("16,700 CJK characters") << QString(16700, QChar(0x6587));
}

void TableSearchTest::anyTextAnEditBoxTakesIsFound() {
    QFETCH(QString, text);
    TTableFixture table(1);
    // Written by another program, which no field size holds back.
    table.ExecuteElsewhere(
        QStringLiteral("INSERT INTO records VALUES ('', '', '%1.', '')").arg(text.toUpper()));
    TTableCursor cursor(QStringLiteral("TableToFind"));
    cursor.SetTableName(table.Path);
    cursor.Open();
    QVERIFY(cursor.FindContaining(File, text));
    QCOMPARE(cursor.RecNo(), 2);
}

// The search goes on after a row that another program deletes as it is found.
void TableSearchTest::rowDeletedWhileFoundIsPassedOver_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<qint64>("gone");
    QTest::addColumn<int>("found"); // 0: none, the cursor stays
    QTest::newRow("the next match") << 1 << qint64(1) << 6;
    QTest::newRow("no other match") << 2 << qint64(7) << 0;
}

void TableSearchTest::rowDeletedWhileFoundIsPassedOver() {
    QFETCH(int, from);
    QFETCH(qint64, gone);
    QFETCH(int, found);
    TTableFixture table(FileRows, FileRow);
    const auto watch = reinterpret_cast<void (*)()>(TDeleteWhenFound::Watch);
    sqlite3_auto_extension(watch);
    const auto stopWatching = qScopeGuard([watch] { sqlite3_cancel_auto_extension(watch); });
    TTableCursor cursor(QStringLiteral("TableToFind"));
    cursor.SetTableName(table.Path);
    cursor.Open();
    cursor.SetRecNo(from);
    TDeleteWhenFound::Table = &table;
    TDeleteWhenFound::Gone = gone;
    QCOMPARE(cursor.FindContaining(File, QStringLiteral("readme")), found > 0);
    QCOMPARE(cursor.RecordCount(), FileRows - 1);
    QCOMPARE(cursor.RecNo(), qint64(found ? found : from));
    if (found)
        QCOMPARE(cursor.FieldText(File), QStringLiteral("readme.md"));
}

QTEST_GUILESS_MAIN(TableSearchTest)
#include "TableSearchTest.moc"
