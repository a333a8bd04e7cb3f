// "Find" through the real main and find windows, each figure beside what plain SQLite takes for
// the same answer on the same file, or beside the same search on a small catalog.

#include "BenchReport.h"
#include "app/FormZandrel.h"
#include "catalog/TableFileMaker.h"
#include "widgets/MessageService.h"
#include "widgets/records/RecordGrid.h"
#include "windows/FormFind.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <cstdio>
#include <sqlite3.h>

namespace {

// Counts the boxes: "Word not Found!" is expected where nothing matches; anything else is
// printed, since it would mean the figure measured a failure.
class TCountedMessages : public TMessageService {
public:
    int NotFound = 0;

protected:
    bool Show(const TBoxRequest& request) override {
        if (request.Text == QLatin1String("Word not Found!"))
            ++NotFound;
        else
            std::fprintf(stderr, "box: %s\n", qPrintable(request.Text));
        return true;
    }
};

constexpr int BigRows = 1000000;
constexpr int SmallRows = 1000;
// Every row whose number is a multiple of this holds a file named "hit...".
constexpr int HitEvery = 1000;
constexpr int Rounds = 15;
constexpr int FindNexts = 10;

void Execute(sqlite3* db, const std::string& sql) {
    char* error = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "%s: %s\n", sql.c_str(), error);
        sqlite3_free(error);
    }
}

// A catalog of `rows` rows in this run's scratch folder; returns its path.
QString FilledCatalog(const char* name, int rows) {
    QString path = QDir(QString::fromStdString(BenchScratchFolder())).filePath(QLatin1String(name));
    MakeTableFile(path);
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    Execute(db,
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                std::to_string(rows) +
                ") INSERT INTO records SELECT 'CD' || (i / 2000), 'D:\\SETUP\\DISK' || (i % 40) "
                "|| '\\', CASE WHEN i % " +
                std::to_string(HitEvery) +
                " = 0 THEN 'hit' ELSE 'file' END || i || '.txt', '' FROM n");
    sqlite3_close(db);
    return path;
}

// The program's windows on one catalog, the find window set to search file names.
struct TWindows {
    explicit TWindows(const QString& path)
        : Main(Messages, path)
        , Find(Messages, Main.DataSourceData, &Main) {
        Main.show();
        Find.Show();
        QApplication::processEvents();
        Grid = Main.findChild<TRecordGrid*>(QStringLiteral("DBGridData"));
        FileBox = Find.findChild<QLineEdit*>(QStringLiteral("EditFile"));
        Button = Find.findChild<QPushButton*>(QStringLiteral("ButtonFind"));
    }

    // A click on the button as the user's: the cursors, the data source and the grid's
    // place follow at once. The grid paints later, as the event loop gets to it; `painted`
    // paints it now (bench_grid measures the paint on its own).
    void Click(bool painted = false) const {
        Button->click();
        if (painted)
            Grid->viewport()->repaint();
    }
    // Puts the main window on `row`, with only the rows around it read, as after a move
    // there; the button back to "Find".
    void Ready(const QString& text, qint64 row) {
        Main.TableData.SetRecNo(row);
        Main.TableData.Refresh();
        FileBox->clear();
        FileBox->setText(text);
    }

    TCountedMessages Messages;
    TFormZandrel Main;
    TFormFind Find;
    TRecordGrid* Grid = nullptr;
    QLineEdit* FileBox = nullptr;
    QPushButton* Button = nullptr;
};

// Plain SQLite on its own connection: how many file names hold `text`.
double CountMatches(const QString& path, const char* text) {
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    const std::string sql =
        std::string("SELECT count(*) FROM records WHERE File LIKE '%") + text + "%'";
    qint64 count = -1;
    const double seconds = SecondsOf([&] {
        sqlite3_stmt* query = nullptr;
        sqlite3_prepare_v2(db, sql.c_str(), -1, &query, nullptr);
        if (sqlite3_step(query) == SQLITE_ROW)
            count = sqlite3_column_int64(query, 0);
        sqlite3_finalize(query);
    });
    sqlite3_close(db);
    if (count != 0)
        std::fprintf(stderr, "plain SQLite counted %lld rows holding %s\n", count, text);
    return seconds;
}

// Plain SQLite finding the next `count` rowids of hits after `fromRowId`, one query each.
double NextHits(const QString& path, qint64 fromRowId, int count, qint64& lastRowId) {
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    const double seconds = SecondsOf([&] {
        sqlite3_stmt* query = nullptr;
        sqlite3_prepare_v2(db,
                           "SELECT rowid FROM records WHERE rowid > ? AND File LIKE '%hit%' "
                           "ORDER BY rowid LIMIT 1",
                           -1, &query, nullptr);
        lastRowId = fromRowId;
        for (int hit = 0; hit < count; ++hit) {
            sqlite3_bind_int64(query, 1, lastRowId);
            if (sqlite3_step(query) == SQLITE_ROW)
                lastRowId = sqlite3_column_int64(query, 0);
            sqlite3_reset(query);
        }
        sqlite3_finalize(query);
    });
    sqlite3_close(db);
    return seconds;
}

void Check(bool good, const char* what) {
    if (!good)
        std::fprintf(stderr, "wrong answer: %s\n", what);
}

} // namespace

int main(int argc, char* argv[]) {
    UseOffscreenPlatform();
    QApplication application(argc, argv);
    const QString big = FilledCatalog("big.db", BigRows);
    const QString small = FilledCatalog("small.db", SmallRows);

    TWindows bigWindows(big);
    TWindows smallWindows(small);
    // Best times, ours and their references.
    struct {
        double Miss = 1e9;
        double MissReference = 1e9;
        double NearBig = 1e9;
        double NearSmall = 1e9;
        double NearBigAfterMiss = 1e9;
        double NearSmallAfterMiss = 1e9;
        double Nexts = 1e9;
        double NextsReference = 1e9;
        double NextsPainted = 1e9;
    } best;
    // Ten rows above a hit, in the middle of the big catalog and at the end of the small; in
    // both the two rows are read in one block.
    const auto nearHits = [&](double& onBig, double& onSmall) {
        const qint64 bigStart = BigRows / 2 - 10;
        bigWindows.Ready(QStringLiteral("hit"), bigStart);
        onBig = std::min(onBig, SecondsOf([&] { bigWindows.Click(); }));
        Check(bigWindows.Main.TableData.RecNo() == bigStart + 10, "near hit, big");
        smallWindows.Ready(QStringLiteral("hit"), SmallRows - 10);
        onSmall = std::min(onSmall, SecondsOf([&] { smallWindows.Click(); }));
        Check(smallWindows.Main.TableData.RecNo() == SmallRows, "near hit, small");
    };
    // Ours and the reference take turns, so a slow spell of the machine falls on both.
    for (int round = 0; round < Rounds; ++round) {
        nearHits(best.NearBig, best.NearSmall);

        bigWindows.Ready(QStringLiteral("nomatch"), 1);
        const int notFound = bigWindows.Messages.NotFound;
        best.Miss = std::min(best.Miss, SecondsOf([&] { bigWindows.Click(); }));
        Check(bigWindows.Messages.NotFound == notFound + 1, "a miss was found");
        best.MissReference = std::min(best.MissReference, CountMatches(big, "nomatch"));
        // The engine's page cache now holds the end of the big file, none of its middle.
        nearHits(best.NearBigAfterMiss, best.NearSmallAfterMiss);

        bigWindows.Ready(QStringLiteral("hit"), 1);
        bigWindows.Click(); // "Find": row 1000; then "Find Next" ten times
        best.Nexts = std::min(best.Nexts, SecondsOf([&] {
                                  for (int next = 0; next < FindNexts; ++next)
                                      bigWindows.Click();
                              }));
        bigWindows.Ready(QStringLiteral("hit"), 1);
        bigWindows.Click(true);
        best.NextsPainted = std::min(best.NextsPainted, SecondsOf([&] {
                                         for (int next = 0; next < FindNexts; ++next)
                                             bigWindows.Click(true);
                                     }));
        qint64 lastRowId = 0;
        best.NextsReference =
            std::min(best.NextsReference, NextHits(big, HitEvery, FindNexts, lastRowId));
        Check(bigWindows.Main.TableData.RecNo() == lastRowId, "ten Find Next");
        Check(lastRowId == qint64(HitEvery) * (FindNexts + 1), "ten plain SQLite hits");
    }
    PrintBench("find_miss_1m_rows_s", best.Miss, best.MissReference, "ratio<=1.5");
    PrintBench("find_hit_10_rows_below_1m_vs_1k_s", best.NearBig, best.NearSmall, "ratio<=1.5");
    PrintBench("find_hit_10_rows_below_1m_vs_1k_after_a_miss_s", best.NearBigAfterMiss,
               best.NearSmallAfterMiss, "information");
    PrintBench("find_next_10_times_hit_every_1000_s", best.Nexts, best.NextsReference, "ratio<=2");
    PrintBench("find_next_10_times_grid_painted_each_s", best.NextsPainted, best.NextsReference,
               "information");
    return 0;
}
