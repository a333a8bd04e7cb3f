// The search of every disc at ten million rows, each figure beside its reference in the same
// run: the first page of results after a keystroke, up to the model holding the texts the table
// paints (beside the same search at 10,000 rows, and beside plain SQLite reading those rows
// through the same index; the paint itself is an information line), "Find" of a text that is not
// there (beside plain SQLite's LIKE), the index's size and build (beside the table, and beside
// the engine's own rebuild), "Insert Data" into an indexed catalogue (beside INSERT ... SELECT)
// and the search window's peak memory over a million matches.

#include "BenchCatalog.h"
#include "BenchReport.h"
#include "catalog/CatalogUpgrade.h"
#include "catalog/TableCursor.h"
#include "widgets/MessageService.h"
#include "windows/FormSearch.h"
#include "windows/SearchModel.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>
#include <cstdio>
#include <sqlite3.h>

namespace {

constexpr int Rounds = 15;
constexpr int FirstPage = 100;
// The rows "Insert Data" appends: twenty discs of 5,000 files.
constexpr int InsertedDiscs = 20;
constexpr qint64 InsertedRows = InsertedDiscs * 5000;
// 1 hit in 10,000 rows; none at all.
const QString Rare = QStringLiteral("readme");
const char* const Absent = "zqxj";

class TPrintedMessages : public TMessageService {
protected:
    bool Show(const TBoxRequest& request) override {
        std::fprintf(stderr, "box: %s\n", qPrintable(request.Text));
        return true;
    }
};

void OrExit(bool good, const QString& what) {
    if (!good) {
        std::fprintf(stderr, "%s\n", qPrintable(what));
        std::exit(1);
    }
}

sqlite3* Open(const QString& path) {
    sqlite3* connection = nullptr;
    OrExit(sqlite3_open(path.toUtf8().constData(), &connection) == SQLITE_OK, path);
    return connection;
}

void Execute(sqlite3* connection, const QByteArray& sql) {
    char* error = nullptr;
    OrExit(sqlite3_exec(connection, sql.constData(), nullptr, nullptr, &error) == SQLITE_OK,
           QString::fromUtf8(sql + ": " + (error ? error : "?")));
}

qint64 Value(sqlite3* connection, const QByteArray& sql) {
    sqlite3_stmt* query = nullptr;
    sqlite3_prepare_v2(connection, sql.constData(), -1, &query, nullptr);
    OrExit(sqlite3_step(query) == SQLITE_ROW, QString::fromUtf8(sql));
    const qint64 value = sqlite3_column_int64(query, 0);
    sqlite3_finalize(query);
    return value;
}

QString Scratch(const char* name) {
    return QString::fromStdString(BenchScratchFolder()) + QLatin1Char('/') + QLatin1String(name);
}

// A copy of the cached catalogue with the program's search index; returns the seconds the
// index took.
double IndexedCopy(const QString& cached, const QString& copy) {
    CopyOfCatalog(cached, copy);
    bool built = false;
    const double seconds =
        SecondsOf([&] { built = UpgradeCatalog(copy, [](qint64, qint64) { return true; }); });
    OrExit(built, QStringLiteral("no index in ") + copy);
    return seconds;
}

// The search window on one catalogue, "readm" typed; Key() types the last "e".
struct TSearchWindow {
    explicit TSearchWindow(const QString& path)
        : Form(Messages, path, nullptr) {
        Form.Show();
        QApplication::processEvents();
        Edit = Form.findChild<QLineEdit*>(QStringLiteral("EditText"));
        Grid = Form.findChild<QTableView*>(QStringLiteral("GridResults"));
    }
    void Ready() {
        Edit->setText(Rare.chopped(1));
        QApplication::processEvents();
    }
    // The keystroke, then the texts of the first page read from the model, as the table
    // reads them to paint.
    void Key() {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_E, Qt::NoModifier, QStringLiteral("e"));
        QApplication::sendEvent(Edit, &press);
        const TSearchModel& model = Form.Results();
        for (int row = 0; row < std::min(FirstPage, model.rowCount()); ++row)
            for (int column = 0; column < model.columnCount(); ++column)
                Texts += model.data(model.index(row, column), Qt::DisplayRole).toString().size();
    }
    // The table painting the rows it shows, on this offscreen platform.
    double Paint() const {
        return SecondsOf([&] { Grid->viewport()->repaint(); });
    }

    TPrintedMessages Messages;
    TFormSearch Form;
    QLineEdit* Edit = nullptr;
    QTableView* Grid = nullptr;
    qint64 Texts = 0;
};

// Plain SQLite: the first 100 rows holding "readme", through the index's trigrams.
double FirstPageWithSqlite(sqlite3* connection) {
    return SecondsOf([&] {
        sqlite3_stmt* query = nullptr;
        sqlite3_prepare_v2(
            connection,
            "SELECT rowid, * FROM records WHERE rowid IN (SELECT rowid FROM "
            "records_search WHERE records_search MATCH "
            "'\"rea\" AND \"ead\" AND \"adm\" AND \"dme\"') ORDER BY rowid LIMIT 100",
            -1, &query, nullptr);
        int rows = 0;
        qint64 texts = 0;
        while (sqlite3_step(query) == SQLITE_ROW) {
            ++rows;
            for (int column = 1; column <= 4; ++column)
                texts += sqlite3_column_bytes(query, column);
        }
        sqlite3_finalize(query);
        OrExit(rows == FirstPage && texts > 0, QStringLiteral("plain SQLite's first page"));
    });
}

void FirstPageFigures(const QString& big, const QString& small) {
    TSearchWindow bigWindow(big);
    TSearchWindow smallWindow(small);
    sqlite3* connection = Open(big);
    double onBig = 1e9;
    double onSmall = 1e9;
    double plain = 1e9;
    double bigPaint = 1e9;
    double smallPaint = 1e9;
    for (int round = 0; round < Rounds; ++round) {
        bigWindow.Ready();
        onBig = std::min(onBig, SecondsOf([&] { bigWindow.Key(); }));
        bigPaint = std::min(bigPaint, bigWindow.Paint());
        OrExit(bigWindow.Form.Results().rowCount() >= FirstPage, QStringLiteral("big page"));
        smallWindow.Ready();
        onSmall = std::min(onSmall, SecondsOf([&] { smallWindow.Key(); }));
        smallPaint = std::min(smallPaint, smallWindow.Paint());
        OrExit(smallWindow.Form.Results().rowCount() == 1, QStringLiteral("small page"));
        plain = std::min(plain, FirstPageWithSqlite(connection));
    }
    sqlite3_close(connection);
    PrintBench("search_first_page_10m_vs_10k_rows_s", onBig, onSmall, "ratio<=2");
    PrintBench("search_first_page_10m_rows_vs_sqlite_same_index_s", onBig, plain, "ratio<=1.5");
    // A full page beside the one row "readme" has in 10,000.
    PrintBench("search_first_page_paint_10m_vs_10k_rows_s", bigPaint, smallPaint, "information");
}

void FindFigure(const QString& big) {
    TTableCursor cursor(QStringLiteral("TableData"));
    cursor.SetTableName(big);
    cursor.Open();
    sqlite3* connection = Open(big);
    const QByteArray like =
        QByteArray("SELECT count(*) FROM records WHERE File LIKE '%") + Absent + "%'";
    double ours = 1e9;
    double plain = 1e9;
    for (int round = 0; round < 3; ++round) {
        cursor.First();
        ours = std::min(ours, SecondsOf([&] {
                            OrExit(!cursor.FindContaining(2, QString::fromLatin1(Absent)),
                                   QStringLiteral("found the absent text"));
                        }));
        plain = std::min(plain, SecondsOf([&] { OrExit(Value(connection, like) == 0, like); }));
    }
    sqlite3_close(connection);
    PrintBench("find_absent_text_10m_rows_vs_sqlite_like_s", ours, plain, "ratio<=0.02");
}

void IndexFigures(const QString& cached, const QString& indexed, double oursSeconds) {
    sqlite3* connection = Open(indexed);
    const qint64 indexBytes =
        Value(connection, "SELECT sum(pgsize) FROM dbstat WHERE name LIKE 'records_search%'");
    const qint64 tableBytes = Value(connection, "SELECT sum(pgsize) FROM dbstat WHERE name = "
                                                "'records'");
    sqlite3_stmt* query = nullptr;
    sqlite3_prepare_v2(connection, "SELECT sql FROM sqlite_schema WHERE name = 'records_search'",
                       -1, &query, nullptr);
    OrExit(sqlite3_step(query) == SQLITE_ROW, QStringLiteral("no index table"));
    const QByteArray create = reinterpret_cast<const char*>(sqlite3_column_text(query, 0));
    sqlite3_finalize(query);
    sqlite3_close(connection);
    PrintBench("search_index_bytes_vs_table_bytes_10m_rows", double(indexBytes), double(tableBytes),
               "ratio<=1.0");

    const QString reference = CopyOfCatalog(cached, Scratch("rebuilt.db"));
    connection = Open(reference);
    const double plainSeconds = SecondsOf([&] {
        Execute(connection, "BEGIN;" + create +
                                ";INSERT INTO records_search(records_search) VALUES('rebuild');"
                                "COMMIT");
    });
    sqlite3_close(connection);
    QFile::remove(reference);
    PrintBench("search_index_build_10m_rows_vs_sqlite_rebuild_s", oursSeconds, plainSeconds,
               "ratio<=1.3");
}

// "Insert Data" appends the staging file's rows to the catalogue in one statement; plain
// SQLite does the same from the attached file.
void InsertFigure(const QString& indexedMillion) {
    const QString staging = Scratch("staging.db");
    CopyOfCatalog(CachedCatalog(InsertedDiscs, 5000), staging);
    const QString before = Scratch("insert-before.db");
    CopyOfCatalog(indexedMillion, before);
    const QString target = Scratch("insert.db");
    double ours = 1e9;
    double plain = 1e9;
    for (int round = 0; round < 3; ++round) {
        CopyOfCatalog(before, target);
        ours = std::min(ours, SecondsOf([&] {
                            TTableCursor cursor(QStringLiteral("TableToExportData"));
                            cursor.SetTableName(target);
                            cursor.Open();
                            OrExit(cursor.AppendRowsOf(staging) == InsertedRows,
                                   QStringLiteral("rows appended"));
                        }));
        CopyOfCatalog(before, target);
        plain =
            std::min(plain, SecondsOf([&] {
                         sqlite3* connection = Open(target);
                         Execute(connection, "PRAGMA synchronous=FULL;ATTACH '" + staging.toUtf8() +
                                                 "' AS staging;BEGIN IMMEDIATE;INSERT INTO "
                                                 "records SELECT * FROM staging.records;"
                                                 "COMMIT");
                         sqlite3_close(connection);
                     }));
    }
    PrintBench("insert_data_100000_rows_into_indexed_1m_vs_sqlite_insert_select_s", ours, plain,
               "ratio<=2");
}

// The window idle, then showing every row of the million (each label holds "DISC_"),
// counted to the end and scrolled through.
void MemoryFigure(const QString& indexedMillion) {
    TSearchWindow window(indexedMillion);
    TPeakMemory memory;
    memory.Start();
    window.Edit->setText(QStringLiteral("DISC_"));
    while (window.Form.Results().rowCount() < 1000000)
        QApplication::processEvents();
    for (const int row : {999999, 500000, 250000, 750000, 0}) {
        window.Grid->scrollTo(window.Form.Results().index(row, 0));
        window.Grid->viewport()->repaint();
    }
    PrintBench("search_window_peak_memory_1m_matches_mb", memory.PeakAboveStartMB(), 0,
               "ours<=30MB");
}

} // namespace

int main(int argc, char* argv[]) {
    UseOffscreenPlatform();
    QApplication application(argc, argv);
    // The table of discs is made beforehand: the figures are the search index's alone.
    const QString tenMillion = CachedPreparedCatalog(2000, 5000, false);
    const QString big = Scratch("big.db");
    const double buildSeconds = IndexedCopy(tenMillion, big);
    IndexFigures(tenMillion, big, buildSeconds);
    const QString small = Scratch("small.db");
    IndexedCopy(CachedPreparedCatalog(2, 5000, false), small);
    FirstPageFigures(big, small);
    FindFigure(big);
    QFile::remove(big);
    const QString million = Scratch("million.db");
    IndexedCopy(CachedPreparedCatalog(200, 5000, false), million);
    InsertFigure(million);
    MemoryFigure(million);
    return 0;
}
