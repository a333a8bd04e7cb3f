// Catalogue rows out to CSV and back: what an export writes, byte for byte; that an import
// of an export gives back the very rows; what an import cannot read is counted and named,
// never cut; a file that is not UTF-8 is refused; a cancelled export leaves no file.

#include "catalog/CatalogSearch.h"
#include "catalog/CsvExport.h"
#include "catalog/CsvImport.h"
#include "support/TableFixture.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {
bool Always(qint64, qint64) {
    return true;
}

// Every row of a table file as its four values stored, joined by '|'.
QList<QByteArray> StoredRows(const QString& path) {
    QList<QByteArray> rows;
    sqlite3* connection = nullptr;
    sqlite3_open(path.toUtf8().constData(), &connection);
    sqlite3_stmt* query = nullptr;
    sqlite3_prepare_v2(connection, "SELECT * FROM records ORDER BY rowid", -1, &query, nullptr);
    while (sqlite3_step(query) == SQLITE_ROW) {
        QByteArrayList values;
        for (int field = 0; field < 4; ++field)
            values.append(QByteArray(static_cast<const char*>(sqlite3_column_blob(query, field)),
                                     sqlite3_column_bytes(query, field)));
        rows.append(values.join('|'));
    }
    sqlite3_finalize(query);
    sqlite3_close(connection);
    return rows;
}

QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(no file)");
}

void Write(const QString& path, const QByteArray& contents) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QCOMPARE(file.write(contents), contents.size());
}

// Values no spreadsheet may change: separators, quotes, every kind of line break, tabs,
// blanks at the ends, accents and a character beyond 16 bits.
QStringList TrickyValues(int row) {
    static const QStringList values = {
        QStringLiteral("a,b"),
        QStringLiteral("say \"hi\""),
        QStringLiteral("one\r\ntwo"),
        QStringLiteral("one\ntwo"),
        QStringLiteral("lone\rcr"),
        QStringLiteral("tab\there"),
        QStringLiteral("\""),
        QString(),
        QStringLiteral(" spaced "),
        QStringLiteral("d\u00e9j\u00e0 \U0001F4BF"),
        QStringLiteral("semi;colon|pipe"),
    };
    QStringList row4;
    for (int field = 0; field < 4; ++field)
        row4.append(values[(row * 3 + field) % values.size()]);
    row4[0] = row % 2 ? QStringLiteral("DISC, ONE") : QStringLiteral("DISC \"TWO\"");
    return row4;
}
} // namespace

class CsvTest : public QObject {
    Q_OBJECT

private slots:
    void anExportIsCommaSeparatedUtf8();
    void importingAnExportGivesBackTheSameRows_data();
    void importingAnExportGivesBackTheSameRows();
    void importCountsAndNamesWhatItCannotRead_data();
    void importCountsAndNamesWhatItCannotRead();
    void aFileThatIsNotUtf8IsRefusedNamingItsLine();
    void aCancelledExportLeavesNoFile();
};

void CsvTest::anExportIsCommaSeparatedUtf8() {
    TTableFixture table;
    // Another program stored bytes that are not UTF-8, a NULL and a number.
    table.ExecuteElsewhere(
        QStringLiteral("INSERT INTO records VALUES ('CD, ONE', 'D:\\a\"b\\', 'x\ny', '');"
                       "INSERT INTO records VALUES ('B', CAST(X'FF41' AS TEXT), 7, NULL);"));
    const QString csv = table.Folder.filePath(QStringLiteral("out.csv"));
    const TExportResult result = ExportRows(table.Path, TExportRows::Catalogue(), csv, Always);
    QVERIFY(result.Complete);
    QCOMPARE(result.Rows, 2);
    QCOMPARE(result.NotText, 1);
    QCOMPARE(result.FirstNotTextRow, 2);
    QCOMPARE(Contents(csv), QByteArray("Label,Directory,File,Coments\r\n"
                                       "\"CD, ONE\",\"D:\\a\"\"b\\\",\"x\ny\",\r\n"
                                       "B,\xEF\xBF\xBD"
                                       "A,7,\r\n"));
}

void CsvTest::importingAnExportGivesBackTheSameRows_data() {
    QTest::addColumn<int>("kind"); // a TExportRows::TKind
    QTest::newRow("the whole catalogue") << int(TExportRows::TKind::Catalogue);
    QTest::newRow("one disc") << int(TExportRows::TKind::Disc);
    QTest::newRow("rows a search finds") << int(TExportRows::TKind::Matching);
}

void CsvTest::importingAnExportGivesBackTheSameRows() {
    QFETCH(int, kind);
    TTableFixture source(40, TrickyValues);
    TTableFixture target;
    const QString csv = target.Folder.filePath(QStringLiteral("rows.csv"));
    const TExportRows rows =
        kind == int(TExportRows::TKind::Catalogue) ? TExportRows::Catalogue()
        : kind == int(TExportRows::TKind::Disc)
            ? TExportRows::Disc(QStringLiteral("DISC, ONE"))
            : TExportRows::Matching(QStringLiteral("D\u00e9J\u00e0"), AllFields);
    QVERIFY(ExportRows(source.Path, rows, csv, Always).Complete);

    TCsvImport import(csv, target.Path);
    QCOMPARE(import.Fields(), 4);
    QVERIFY(import.HasHeader());
    QCOMPARE(import.UnreadableLines(), 0);
    QVERIFY(import.Append(Always));
    QList<QByteArray> expected = StoredRows(source.Path);
    // The odd rows (from 1) are those of the disc; the search folds a to z only.
    for (qsizetype row = expected.size() - 1; row >= 0; --row)
        if ((kind == int(TExportRows::TKind::Disc) && row % 2 == 1) ||
            (kind == int(TExportRows::TKind::Matching) &&
             !expected[row].contains("d\xC3\xA9j\xC3\xA0")))
            expected.removeAt(row);
    QVERIFY(expected.size() > 1);
    QCOMPARE(import.Rows(), expected.size());
    QCOMPARE(StoredRows(target.Path), expected);
}

void CsvTest::importCountsAndNamesWhatItCannotRead_data() {
    QTest::addColumn<QByteArray>("csv");
    QTest::addColumn<int>("rows");
    QTest::addColumn<int>("fields");
    QTest::addColumn<bool>("header");
    QTest::addColumn<QString>("firstProblem"); // "line: reason", empty for none
    QTest::addColumn<QByteArray>("firstRow");  // as stored, empty when no row is added

    const QByteArray label32(32, 'L');
    QByteArray accented32;
    for (int character = 0; character < 32; ++character)
        accented32 += "\xC3\xA9"; // é: two bytes, one character
    QTest::newRow("comma, header") << QByteArray("Label,Directory,File,Coments\r\n"
                                                 "A,D:\\,a.txt,\r\nB,D:\\X\\,b.txt,hi\r\n")
                                   << 2 << 4 << true << "" << QByteArray("A|D:\\|a.txt|");
    QTest::newRow("semicolon, no header, byte-order mark")
        << QByteArray("\xEF\xBB\xBF"
                      "A;D:\\;a,b.txt;c\nB;D:\\;b.txt;\n")
        << 2 << 4 << false << "" << QByteArray("A|D:\\|a,b.txt|c");
    QTest::newRow("tab, titles for a header")
        << QByteArray("CD Label\tDirectory on CD\tFile on Directory\tComents of File\n"
                      "A\tD:\\\ta;b.txt\t\n")
        << 1 << 4 << true << "" << QByteArray("A|D:\\|a;b.txt|");
    QTest::newRow("pipe, three columns, blank lines")
        << QByteArray("\n\nA|D:\\|a.txt\n\nB|D:\\|b.txt|extra|columns\n\n") << 2 << 3 << false << ""
        << QByteArray("A|D:\\|a.txt|");
    QTest::newRow("a line break inside quotes, then an unclosed quote")
        << QByteArray("A,D:\\,\"two\nlines\",x\nB,D:\\,\"open,y\nC,D:\\,c.txt,z\n") << 2 << 4
        << false << "3: an unclosed quote" << QByteArray("A|D:\\|two\nlines|x");
    QTest::newRow("text after a closing quote")
        << QByteArray("A,\"D:\\\"x,a.txt,\r\n") << 0 << 0 << false
        << "1: text after a closing quote" << QByteArray();
    QTest::newRow("a label longer than its field, never cut")
        << QByteArray(label32 + "L,D:\\,a.txt,\n" + accented32 + ",D:\\,b.txt,\n") << 1 << 4
        << false << "1: a Label longer than the 32 characters its field holds"
        << QByteArray(accented32 + "|D:\\|b.txt|");
}

void CsvTest::importCountsAndNamesWhatItCannotRead() {
    QFETCH(QByteArray, csv);
    QFETCH(int, rows);
    QFETCH(int, fields);
    QFETCH(bool, header);
    QFETCH(QString, firstProblem);
    QFETCH(QByteArray, firstRow);
    TTableFixture target;
    const QString path = target.Folder.filePath(QStringLiteral("in.csv"));
    Write(path, csv);
    TCsvImport import(path, target.Path);
    QCOMPARE(import.Rows(), rows);
    QCOMPARE(import.Fields(), fields);
    QCOMPARE(import.HasHeader(), header);
    QCOMPARE(import.UnreadableLines(), firstProblem.isEmpty() ? 0 : 1);
    if (!firstProblem.isEmpty())
        QCOMPARE(
            QStringLiteral("%1: %2").arg(import.FirstUnreadableLine()).arg(import.FirstProblem()),
            firstProblem);
    QVERIFY(import.Append(Always));
    const QList<QByteArray> stored = StoredRows(target.Path);
    QCOMPARE(stored.size(), rows);
    QCOMPARE(stored.value(0), firstRow);
}

void CsvTest::aFileThatIsNotUtf8IsRefusedNamingItsLine() {
    TTableFixture target(2);
    const QString path = target.Folder.filePath(QStringLiteral("latin1.csv"));
    Write(path, "A,D:\\,a.txt,\r\nB,\"D:\\\r\nX\\\",caf\xE9.txt,\r\n");
    const QString error = ErrorOf([&] { TCsvImport(path, target.Path); });
    QCOMPARE(error, QStringLiteral("Line 3 of the CSV file is not UTF-8 text: nothing was "
                                   "imported. Save the file as UTF-8, then import it again.\n"
                                   "File: ") +
                        path);
    QCOMPARE(StoredRows(target.Path).size(), 2);
}

void CsvTest::aCancelledExportLeavesNoFile() {
    TTableFixture table(50000);
    QDir folder(table.Folder.path());
    const QString csv = folder.filePath(QStringLiteral("out.csv"));
    const QStringList before = folder.entryList(QDir::Files);
    int looks = 0;
    const auto cancelSecond = [&](qint64, qint64 total) {
        return total == 50000 && ++looks < 2;
    };
    QVERIFY(!ExportRows(table.Path, TExportRows::Catalogue(), csv, cancelSecond).Complete);
    QCOMPARE(folder.entryList(QDir::Files), before);
    // A file the export would have replaced stays as it was.
    Write(csv, "kept");
    looks = 0;
    QVERIFY(!ExportRows(table.Path, TExportRows::Catalogue(), csv, cancelSecond).Complete);
    QCOMPARE(Contents(csv), QByteArray("kept"));
    QCOMPARE(folder.entryList(QDir::Files).size(), before.size() + 1);
}

QTEST_GUILESS_MAIN(CsvTest)
#include "CsvTest.moc"
