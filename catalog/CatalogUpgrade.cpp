#include "catalog/CatalogUpgrade.h"

#include "catalog/BusyTimeout.h"
#include "catalog/DataError.h"
#include "catalog/internal/FieldSql.h"
#include "catalog/internal/SqliteStatement.h"
#include "catalog/internal/WriteAccess.h"

#include <QFileInfo>
#include <QUrl>
#include <limits>
#include <memory>

namespace {

// Rows added to the index between two looks at the progress: a few milliseconds of work.
constexpr qint64 IndexChunkRows = 20000;

// The search index: trigrams of the four fields, case folded, pointing at the rows of
// `records` (no copy of the text), without positions or sizes, which a search of plain text
// never needs. The triggers keep it right whoever writes.
QByteArray IndexTable() {
    return "CREATE VIRTUAL TABLE records_search USING fts5(" + FieldList() +
           ", content='records', content_rowid='rowid', tokenize='trigram', detail='none', "
           "columnsize=0)";
}
QByteArray IndexTriggers() {
    const QByteArray addNew = "INSERT INTO records_search (rowid, " + FieldList() +
                              ") VALUES (new.rowid, " + FieldList("new.") + "); ";
    const QByteArray dropOld = "INSERT INTO records_search (records_search, rowid, " + FieldList() +
                               ") VALUES ('delete', old.rowid, " + FieldList("old.") + "); ";
    return "CREATE TRIGGER records_search_insert AFTER INSERT ON records BEGIN " + addNew +
           "END;"
           "CREATE TRIGGER records_search_delete AFTER DELETE ON records BEGIN " +
           dropOld +
           "END;"
           "CREATE TRIGGER records_search_update AFTER UPDATE ON records BEGIN " +
           dropOld + addNew + "END;";
}
// What the file must hold for the index to be right: the table and its three triggers.
const char* const IndexParts =
    "SELECT count(*) FROM sqlite_schema WHERE name IN ('records_search', "
    "'records_search_insert', 'records_search_delete', 'records_search_update')";
constexpr qint64 IndexPartCount = 4;
// An index without all of its triggers may have missed writes: it is made anew.
const char* const DropIndex = "DROP TRIGGER IF EXISTS records_search_insert;"
                              "DROP TRIGGER IF EXISTS records_search_delete;"
                              "DROP TRIGGER IF EXISTS records_search_update;"
                              "DROP TABLE IF EXISTS records_search;";

// One connection to the catalogue file for the work, closed however the work ends.
class TUpgradeConnection {
public:
    TUpgradeConnection(const QString& path, int flags)
        : Path(path) {
        const QString uri =
            QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()).toString(QUrl::FullyEncoded);
        sqlite3* connection = nullptr;
        const int result = sqlite3_open_v2(uri.toUtf8().constData(), &connection,
                                           flags | SQLITE_OPEN_URI, nullptr);
        Connection.reset(connection);
        if (result != SQLITE_OK)
            Fail();
        sqlite3_busy_timeout(connection, BusyTimeout());
    }

    void Execute(const char* sql) {
        if (sqlite3_exec(Connection.get(), sql, nullptr, nullptr, nullptr) != SQLITE_OK)
            Fail();
    }

    qint64 Value(const char* sql) {
        TSqliteStatement query;
        if (query.Prepare(Connection.get(), sql) != SQLITE_OK || query.Step() != SQLITE_ROW)
            Fail();
        return query.ColumnInt64(0);
    }

    sqlite3* Handle() const { return Connection.get(); }

    [[noreturn]] void Fail() const {
        throw TDataError(QStringLiteral("The catalogue cannot be prepared for searching: %1.")
                             .arg(QString::fromUtf8(sqlite3_errmsg(Connection.get()))),
                         TDataError::TSubject::File, Path);
    }

private:
    struct TCloser {
        void operator()(sqlite3* connection) const { sqlite3_close_v2(connection); }
    };
    QString Path;
    std::unique_ptr<sqlite3, TCloser> Connection;
};

// Fills the index from the rows, a chunk at a time in rowid order; false when cancelled.
bool FillIndex(TUpgradeConnection& connection, const TUpgradeProgress& progress) {
    const qint64 total = connection.Value("SELECT count(*) FROM records");
    TSqliteStatement chunkEnd;
    TSqliteStatement fill;
    if (chunkEnd.Prepare(
            connection.Handle(),
            "SELECT count(*), max(rowid) FROM (SELECT rowid FROM records WHERE rowid >= ?1 "
            "ORDER BY rowid LIMIT ?2)") != SQLITE_OK ||
        fill.Prepare(connection.Handle(),
                     ("INSERT INTO records_search (rowid, " + FieldList() + ") SELECT rowid, " +
                      FieldList() + " FROM records WHERE rowid BETWEEN ?1 AND ?2")
                         .constData()) != SQLITE_OK)
        connection.Fail();
    qint64 done = 0;
    qint64 first = std::numeric_limits<qint64>::min();
    for (;;) {
        if (!progress(done, total))
            return false;
        chunkEnd.BindInt64(1, first);
        chunkEnd.BindInt64(2, IndexChunkRows);
        if (chunkEnd.Step() != SQLITE_ROW)
            connection.Fail();
        const bool empty = chunkEnd.ColumnInt64(0) == 0;
        const qint64 last = chunkEnd.ColumnInt64(1);
        chunkEnd.Reset();
        if (empty)
            return true;
        fill.BindInt64(1, first);
        fill.BindInt64(2, last);
        const int result = fill.Step();
        fill.Reset();
        if (result != SQLITE_DONE)
            connection.Fail();
        done += sqlite3_changes64(connection.Handle());
        if (last == std::numeric_limits<qint64>::max())
            return progress(done, total);
        first = last + 1;
    }
}

} // namespace

bool CatalogNeedsUpgrade(const QString& path) {
    // What is not a writable catalogue is left to the cursor, which says what is wrong.
    if (!QFileInfo(path).isFile() || WriteAccessOf(path).ReadOnlyReason)
        return false;
    TUpgradeConnection connection(path, SQLITE_OPEN_READONLY);
    return connection.Value("SELECT count(*) FROM sqlite_schema WHERE type = 'table' AND "
                            "name = 'records'") == 1 &&
           connection.Value(IndexParts) != IndexPartCount;
}

bool UpgradeCatalog(const QString& path, const TUpgradeProgress& progress) {
    TUpgradeConnection connection(path, SQLITE_OPEN_READWRITE);
    connection.Execute("BEGIN IMMEDIATE");
    try {
        if (connection.Value(IndexParts) != IndexPartCount) {
            connection.Execute(DropIndex);
            connection.Execute(IndexTable().constData());
            if (!FillIndex(connection, progress)) {
                connection.Execute("ROLLBACK");
                return false;
            }
            connection.Execute(IndexTriggers().constData());
        }
        connection.Execute("COMMIT");
    } catch (...) {
        sqlite3_exec(connection.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    return true;
}
