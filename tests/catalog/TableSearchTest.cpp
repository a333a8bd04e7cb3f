// The cursor's search through the engine: where it starts, that the text is never a pattern,
// which letters match in either case, and record numbers in a table with gaps.

#include "support/TableFixture.h"

#include <QTest>

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
} // namespace

class TableSearchTest : public QObject {
    Q_OBJECT

private slots:
    void findsTheFirstRowFromTheCurrentOne_data();
    void findsTheFirstRowFromTheCurrentOne();
    void recordNumbersSkipDeletedRows();
    void tooLongATextIsRefusedByName();
};

void TableSearchTest::findsTheFirstRowFromTheCurrentOne_data() {
    QTest::addColumn<int>("from");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("found"); // 0: none, the cursor stays
    QTest::newRow("the current row itself") << 1 << "readme" << 1;
    QTest::newRow("a row below") << 2 << "README" << 7;
    QTest::newRow("nothing below") << 8 << "readme" << 0;
    QTest::newRow("per cent is plain") << 1 << "%" << 2;
    QTest::newRow("per cent below its row") << 3 << "%" << 0;
    QTest::newRow("underscore is plain") << 3 << "_" << 0;
    QTest::newRow("backslash is plain") << 1 << "\\" << 3;
    QTest::newRow("quote") << 1 << "'s." << 4;
    QTest::newRow("accents in the same case") << 1 << "\u00e9t\u00e9" << 6;
    QTest::newRow("accents never fold") << 1 << "\u00c9T\u00c9" << 0;
    QTest::newRow("the last row") << 8 << "X" << 8;
}

void TableSearchTest::findsTheFirstRowFromTheCurrentOne() {
    QFETCH(int, from);
    QFETCH(QString, text);
    QFETCH(int, found);
    TTableFixture table(FileRows, FileRow);
    TTableCursor cursor(QStringLiteral("TableToFind"));
    cursor.SetTableName(table.Path);
    cursor.Open();
    cursor.SetRecNo(from);
    QCOMPARE(cursor.FindContaining(File, text), found > 0);
    QCOMPARE(cursor.RecNo(), qint64(found ? found : from));
    QCOMPARE(cursor.Eof(), false);
    QCOMPARE(cursor.Bof(), (found ? found : from) == 1);
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

void TableSearchTest::tooLongATextIsRefusedByName() {
    TTableFixture table(1);
    TTableCursor cursor(QStringLiteral("TableToFind"));
    cursor.SetTableName(table.Path);
    cursor.Open();
    const QString error =
        ErrorOf([&] { cursor.FindContaining(File, QString(60000, QLatin1Char('a'))); });
    QVERIFY2(error.startsWith(QStringLiteral("The text to find is too long")), qPrintable(error));
    QVERIFY(error.contains(table.Path));
    QCOMPARE(cursor.RecNo(), 1);
}

QTEST_GUILESS_MAIN(TableSearchTest)
#include "TableSearchTest.moc"
