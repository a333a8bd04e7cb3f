// The search of every disc: its answers are exactly those of the folding rule from every
// starting row, through the search index and through every row; a long list is counted in
// slices and read back in blocks; another program's writes are seen by the next search; and
// searching leaves no file behind.

#include "catalog/CatalogUpgrade.h"
#include "catalog/SearchResults.h"
#include "support/TableFixture.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QTest>

namespace {

// Values a search could take for a pattern, a quote or a fold of the wrong letters, and long
// ones whose every run of three letters is in a value that does not hold them.
const QStringList TrickyValues =
    QStringLiteral("README.TXT|100%_done.txt|a\\b.txt|it's \"quoted\".txt|\u00c9t\u00e9.doc|"
                   "\u00e9t\u00e9.doc|readme.md|x%y|stra\u00dfe|STRASSE|\u0131i\u0130I||a_b|ab|%|"
                   "ABCDEFGHIJKLMNOPQRSTUVWXYZ012345|abcdefghijkl|jklmnopqrstu")
        .split(QLatin1Char('|'));

// Row n holds tricky values in three fields, each from another place in the list.
QStringList TrickyRow(int row) {
    const auto value = [row](int shift) {
        return TrickyValues[(row - 1 + shift) % TrickyValues.size()];
    };
    return {value(0), QStringLiteral("D:\\DIR%1\\").arg(row), value(5), value(11)};
}

bool Holds(const QString& value, const QString& text) {
    const auto folded = [](QString folding) {
        for (QChar& character : folding)
            if (character >= u'a' && character <= u'z')
                character = character.toUpper();
        return folding;
    };
    return folded(value).contains(folded(text));
}

// The rowids of rows 1 to `rows` (rowid = row) that the rule says match, from `fromRowId` on.
using TRows = QStringList (*)(int row);
QList<qint64> Expected(TRows values, int rows, const QString& text, int field,
                       qint64 fromRowId = 1) {
    QList<qint64> expected;
    for (int row = int(std::max<qint64>(fromRowId, 1)); row <= rows; ++row) {
        const QStringList fields = values(row);
        const bool any = std::any_of(fields.begin(), fields.end(),
                                     [&](const QString& value) { return Holds(value, text); });
        if (field == AllFields ? any : Holds(fields[field], text))
            expected.append(row);
    }
    return expected;
}

QList<qint64> RowIdsOf(const std::vector<TFoundRow>& rows) {
    QList<qint64> rowIds;
    for (const TFoundRow& row : rows)
        rowIds.append(row.RowId);
    return rowIds;
}

// Every match, counted in slices as short as the clock allows.
QList<qint64> AllMatches(TSearchResults& results, const QString& text, int field) {
    results.Start(text, field);
    while (!results.Counted())
        results.CountOn(QDeadlineTimer(0));
    QList<qint64> rowIds;
    for (qint64 index = 0; index < results.Count(); ++index)
        rowIds.append(results.Row(index).RowId);
    return rowIds;
}

void AddIndex(const QString& path) {
    QVERIFY(UpgradeCatalog(path, [](qint64, qint64) { return true; }));
}

QMap<QString, QByteArray> FolderContents(const QString& folder) {
    QMap<QString, QByteArray> contents;
    for (const QFileInfo& entry : QDir(folder).entryInfoList(QDir::Files | QDir::Hidden)) {
        QFile file(entry.filePath());
        contents[entry.fileName()] =
            file.open(QIODevice::ReadOnly)
                ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
                : QByteArray();
    }
    return contents;
}

} // namespace

class CatalogSearchTest : public QObject {
    Q_OBJECT

private slots:
    void answersAsTheRuleFromEveryRow_data();
    void answersAsTheRuleFromEveryRow();
    void aLongListIsCountedInSlicesAndReadInBlocks_data();
    void aLongListIsCountedInSlicesAndReadInBlocks();
    void anotherProgramsWritesAreSeenByTheNextSearch_data();
    void anotherProgramsWritesAreSeenByTheNextSearch();
    void searchingLeavesNoFileBehind_data();
    void searchingLeavesNoFileBehind();
};

void CatalogSearchTest::answersAsTheRuleFromEveryRow_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("indexed");
    const QString texts = QStringLiteral(
        "readme|README.T|%|%_|_|\\|a\\b|'|\"quoted\"|it's \"|\u00e9t\u00e9|\u00c9t\u00e9|"
        "\u00c9T\u00c9|T\u00c9|\u00df|SS|ss|strasse|stra\u00dfe|\u0131|\u0130|\u0131i\u0130|I|i|"
        "x%y|a_b|a%|.TXT|0%_D|e|abcdefghijklmnopqrstu|ghijklmnop|dir1\\");
    for (const QString& text : texts.split(QLatin1Char('|')))
        for (const bool indexed : {false, true})
            QTest::addRow("%s %s", qPrintable(text), indexed ? "indexed" : "every row")
                << text << indexed;
}

void CatalogSearchTest::answersAsTheRuleFromEveryRow() {
    QFETCH(QString, text);
    QFETCH(bool, indexed);
    const int rows = int(TrickyValues.size());
    TTableFixture table(rows, TrickyRow);
    if (indexed)
        AddIndex(table.Path);
    TSearchResults results(table.Path);
    QCOMPARE(results.Search().Indexed(), indexed);
    TTableCursor cursor(QStringLiteral("TableToFind"));
    cursor.SetTableName(table.Path);
    cursor.Open();
    for (const int field : {AllFields, 0, 1, 2, 3}) {
        const QByteArray where = "field " + QByteArray::number(field);
        QVERIFY2(AllMatches(results, text, field) == Expected(TrickyRow, rows, text, field), where);
        for (qint64 from = 1; from <= rows; ++from) {
            const QList<qint64> expected = Expected(TrickyRow, rows, text, field, from);
            const std::vector<TFoundRow> read = results.Search().Read(from, 0, rows);
            QVERIFY2(RowIdsOf(read) == expected, where + " from " + QByteArray::number(from));
            for (const TFoundRow& row : read)
                QCOMPARE(QStringList(row.Values.begin(), row.Values.end()),
                         TrickyRow(int(row.RowId)));
            if (field == AllFields)
                continue;
            // "Find" from the same row: the first of them, or the cursor stays.
            cursor.SetRecNo(from);
            QCOMPARE(cursor.FindContaining(field, text), !expected.isEmpty());
            QCOMPARE(cursor.RecNo(), expected.isEmpty() ? from : expected.first());
        }
    }
}

void CatalogSearchTest::aLongListIsCountedInSlicesAndReadInBlocks_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("field");
    QTest::addColumn<bool>("indexed");
    const struct {
        const char* Text;
        int Field;
    } searches[] = {
        {"cd", 0},         // every row
        {"file1", 2},      // runs of matches with long runs without between them
        {"99", AllFields}, // few, far apart
        {"7\\", 1},        // one in ten
        {"no such text", AllFields},
    };
    for (const auto& search : searches)
        for (const bool indexed : {false, true})
            QTest::addRow("%s %s", search.Text, indexed ? "indexed" : "every row")
                << QString::fromLatin1(search.Text) << search.Field << indexed;
}

// 12,000 rows with rowids 4,001 to 6,000 deleted: reading a match goes from the places the
// count kept, in any order, so blocks are read again after others pushed them out.
void CatalogSearchTest::aLongListIsCountedInSlicesAndReadInBlocks() {
    QFETCH(QString, text);
    QFETCH(int, field);
    QFETCH(bool, indexed);
    constexpr int Rows = 12000;
    TTableFixture table(Rows, TTableFixture::DiscRowValues);
    table.ExecuteElsewhere(QStringLiteral("DELETE FROM records WHERE rowid BETWEEN 4001 AND 6000"));
    if (indexed)
        AddIndex(table.Path);
    QList<qint64> expected = Expected(TTableFixture::DiscRowValues, Rows, text, field);
    expected.removeIf([](qint64 rowId) { return rowId >= 4001 && rowId <= 6000; });

    TSearchResults results(table.Path);
    results.Start(text, field);
    results.CountOn(QDeadlineTimer(QDeadlineTimer::Forever));
    QCOMPARE(results.Count(), std::min<qint64>(expected.size(), TSearchResults::FirstPageRows));
    while (!results.Counted())
        results.CountOn(QDeadlineTimer(0));
    QCOMPARE(results.Count(), qint64(expected.size()));
    // Strides through the list and back, then a run downwards.
    for (const qint64 stride : {qint64(7919), qint64(-1)}) {
        for (qint64 step = 0; step < expected.size(); ++step) {
            const qint64 index =
                stride > 0 ? step * stride % expected.size() : expected.size() - 1 - step;
            const TFoundRow& row = results.Row(index);
            QCOMPARE(row.RowId, expected[index]);
            QCOMPARE(row.Values[2], TTableFixture::DiscRowValues(int(row.RowId))[2]);
        }
    }
}

void CatalogSearchTest::anotherProgramsWritesAreSeenByTheNextSearch_data() {
    QTest::addColumn<bool>("indexed");
    QTest::newRow("every row") << false;
    QTest::newRow("indexed") << true;
}

void CatalogSearchTest::anotherProgramsWritesAreSeenByTheNextSearch() {
    QFETCH(bool, indexed);
    TTableFixture table(30);
    if (indexed)
        AddIndex(table.Path);
    TSearchResults results(table.Path);
    QCOMPARE(AllMatches(results, QStringLiteral("FILE2"), 2),
             (QList<qint64>{2, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29}));
    QVERIFY(!results.Search().Changed());
    table.ExecuteElsewhere(
        QStringLiteral("INSERT INTO records VALUES ('L31', 'D:\\', 'file2b.txt', '');"
                       "UPDATE records SET File = 'other.txt' WHERE rowid = 2;"
                       "UPDATE records SET File = 'file2c.txt' WHERE rowid = 3;"
                       "DELETE FROM records WHERE rowid BETWEEN 21 AND 28;"));
    QVERIFY(results.Search().Changed());
    QCOMPARE(AllMatches(results, QStringLiteral("FILE2"), 2), (QList<qint64>{3, 20, 29, 31}));
    QVERIFY(!results.Search().Changed());
}

void CatalogSearchTest::searchingLeavesNoFileBehind_data() {
    QTest::addColumn<bool>("readOnly");
    QTest::newRow("a file this user may write") << false;
    QTest::newRow("a read-only file") << true;
}

void CatalogSearchTest::searchingLeavesNoFileBehind() {
    QFETCH(bool, readOnly);
    TTableFixture table(50);
    AddIndex(table.Path);
    if (readOnly)
        QFile::setPermissions(table.Path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    const QMap<QString, QByteArray> before = FolderContents(table.Folder.path());
    {
        TSearchResults results(table.Path);
        QCOMPARE(AllMatches(results, QStringLiteral("file4"), AllFields).size(), 11);
        QCOMPARE(results.Row(10).Values[2], QStringLiteral("file49.txt"));
    }
    QCOMPARE(FolderContents(table.Folder.path()), before);
    QFile::setPermissions(table.Path, QFile::ReadOwner | QFile::WriteOwner);
}

QTEST_GUILESS_MAIN(CatalogSearchTest)
#include "CatalogSearchTest.moc"
