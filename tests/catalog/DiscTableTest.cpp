// The table of discs a catalogue keeps: whoever writes (another program through SQLite, this
// program's cursors), after every step it holds what counting the rows gives, and the discs
// listed are those, also from a file that never got the table.

#include "catalog/CatalogUpgrade.h"
#include "catalog/DiscCatalog.h"
#include "support/TableFixture.h"

#include <QRandomGenerator>
#include <QTest>
#include <tuple>

namespace {
using TCounted = std::vector<std::tuple<QByteArray, QByteArray, qint64>>;

// The rows of `sql`: two texts and a number each, in order.
TCounted Query(sqlite3* connection, const char* sql) {
    TCounted rows;
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(connection, sql, -1, &statement, nullptr) != SQLITE_OK)
        qFatal("%s: %s", sql, sqlite3_errmsg(connection));
    while (sqlite3_step(statement) == SQLITE_ROW)
        rows.emplace_back(
            QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0))),
            QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(statement, 1))),
            sqlite3_column_int64(statement, 2));
    sqlite3_finalize(statement);
    return rows;
}

// The discs as the kept tables hold them and as counting the rows gives them.
const char* const KeptDiscs = "SELECT Label, Files, Folders FROM discs ORDER BY Label";
const char* const CountedDiscs =
    "SELECT coalesce(Label, '') AS disc, count(*), count(DISTINCT coalesce(Directory, '')) "
    "FROM records GROUP BY disc ORDER BY disc";
const char* const KeptFolders =
    "SELECT Label, Directory, Files FROM disc_folders ORDER BY Label, Directory";
const char* const CountedFolders =
    "SELECT coalesce(Label, '') AS disc, coalesce(Directory, '') AS folder, count(*) "
    "FROM records GROUP BY disc, folder ORDER BY disc, folder";

// A label, a folder or a file name from a few, NULL and empty among them.
QString Pick(QRandomGenerator& random, const char* const (&values)[5]) {
    const char* value = values[random.bounded(5)];
    return value ? QStringLiteral("'%1'").arg(QLatin1String(value)) : QStringLiteral("NULL");
}
const char* const Labels[5] = {"DISC_ONE", "DISC_TWO", "", nullptr, "D3"};
const char* const Folders[5] = {"D:\\", "D:\\DOCS\\", "E:\\", nullptr, ""};
const char* const Files[5] = {"a.txt", "b.txt", "", nullptr, "c.doc"};
} // namespace

class DiscTableTest : public QObject {
    Q_OBJECT

private slots:
    void theTableFollowsEveryWriter_data();
    void theTableFollowsEveryWriter();
};

void DiscTableTest::theTableFollowsEveryWriter_data() {
    QTest::addColumn<int>("rowsBefore"); // rows the file held when it was prepared
    QTest::newRow("prepared empty") << 0;
    QTest::newRow("prepared over 500 rows") << 500;
}

void DiscTableTest::theTableFollowsEveryWriter() {
    QFETCH(int, rowsBefore);
    TTableFixture table(rowsBefore, TTableFixture::DiscRowValues);
    QRandomGenerator random(uint(rowsBefore) + 7);
    table.ExecuteElsewhere(
        QStringLiteral("UPDATE records SET Label = NULL WHERE rowid % 7 = 0;"
                       "UPDATE records SET Directory = NULL WHERE rowid % 11 = 0"));
    sqlite3* connection = nullptr;
    sqlite3_open(table.Path.toUtf8().constData(), &connection);
    const auto listed = [&] {
        std::vector<TDisc> discs = TDiscCatalog(table.Path).Discs();
        std::sort(discs.begin(), discs.end(), [](const TDisc& a, const TDisc& b) {
            return a.Label.toUtf8() < b.Label.toUtf8();
        });
        return discs;
    };
    const auto counted = [&] {
        std::vector<TDisc> discs;
        for (const auto& [label, files, folders] : Query(connection, CountedDiscs))
            discs.push_back({QString::fromUtf8(label), files.toLongLong(), folders});
        return discs;
    };
    const auto same = [](const std::vector<TDisc>& a, const std::vector<TDisc>& b) {
        return std::equal(
            a.begin(), a.end(), b.begin(), b.end(), [](const TDisc& x, const TDisc& y) {
                return x.Label == y.Label && x.Files == y.Files && x.Folders == y.Folders;
            });
    };
    // Before the file has the table, the discs are counted through its rows.
    QVERIFY(same(listed(), counted()));
    QVERIFY(UpgradeCatalog(table.Path, [](qint64, qint64) { return true; }));

    TTableCursor cursor(QStringLiteral("TableData"));
    cursor.SetTableName(table.Path);
    cursor.Open();
    TTableFixture staging;
    for (int step = 0; step < 400; ++step) {
        const QString label = Pick(random, Labels);
        const QString folder = Pick(random, Folders);
        QString sql;
        switch (random.bounded(7)) {
        case 0:
            sql = QStringLiteral("INSERT INTO records VALUES (%1, %2, %3, '')")
                      .arg(label, folder, Pick(random, Files));
            break;
        case 1:
            sql = QStringLiteral("DELETE FROM records WHERE rowid IN (SELECT rowid FROM records "
                                 "ORDER BY random() LIMIT %1)")
                      .arg(random.bounded(1, 4));
            break;
        case 2:
            sql = QStringLiteral("UPDATE records SET Label = %1 WHERE rowid IN (SELECT rowid "
                                 "FROM records ORDER BY random() LIMIT 2)")
                      .arg(label);
            break;
        case 3:
            sql = QStringLiteral("UPDATE records SET Directory = %1, Coments = 'seen' WHERE rowid "
                                 "= (SELECT rowid FROM records ORDER BY random() LIMIT 1)")
                      .arg(folder);
            break;
        case 4:
            cursor.AppendRecord({label.mid(1).chopped(1), folder.mid(1).chopped(1), "x", ""});
            break;
        case 5: // a staging table appended whole, its labels cut to the field's size
            staging.ExecuteElsewhere(
                QStringLiteral("DELETE FROM records; INSERT INTO records VALUES (%1, %2, 'x', ''), "
                               "('%3', %2, 'y', ''), (%1, NULL, 'z', '')")
                    .arg(label, folder, QString(random.bounded(30, 36), u'L')));
            cursor.AppendRowsOf(staging.Path);
            break;
        default:
            if (cursor.RecordCount() > 0) {
                cursor.SetRecNo(random.bounded(cursor.RecordCount()) + 1);
                if (random.bounded(2)) {
                    cursor.Delete();
                } else {
                    cursor.Edit();
                    cursor.SetFieldText(0, label.mid(1).chopped(1));
                    cursor.Post();
                }
            }
        }
        if (!sql.isEmpty())
            QCOMPARE(sqlite3_exec(connection, sql.toUtf8().constData(), nullptr, nullptr, nullptr),
                     SQLITE_OK);
        QCOMPARE(Query(connection, KeptDiscs), Query(connection, CountedDiscs));
        QCOMPARE(Query(connection, KeptFolders), Query(connection, CountedFolders));
    }
    QVERIFY(same(listed(), counted()));
    sqlite3_close(connection);
}

QTEST_GUILESS_MAIN(DiscTableTest)
#include "DiscTableTest.moc"
