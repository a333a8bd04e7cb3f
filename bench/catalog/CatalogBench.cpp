// The table cursor on a generated 1,000,000-row catalog, each figure beside the same work
// done with plain SQLite calls in the same process.

#include "BenchReport.h"
#include "catalog/TableCursor.h"
#include "catalog/TableFileMaker.h"

#include <QCoreApplication>
#include <QDir>
#include <sqlite3.h>
#include <string>

namespace {

constexpr int CatalogRows = 1000000;
constexpr int AppendedRows = 100000;
constexpr int Distance = 500000;

// The catalog's rows as a user's would look: a label per disc, a few folders, a file name.
std::array<std::string, 4> RowValues(int row) {
    return {"CD" + std::to_string(row / 2000), "D:\\SETUP\\DISK" + std::to_string(row % 40) + "\\",
            "file" + std::to_string(row) + ".txt", row % 10 ? "" : "a comment on this file"};
}

class TConnection {
public:
    explicit TConnection(const QString& path) {
        sqlite3_open_v2(path.toUtf8().constData(), &Handle, SQLITE_OPEN_READWRITE, nullptr);
    }
    ~TConnection() { sqlite3_close(Handle); }
    TConnection(const TConnection&) = delete;
    TConnection& operator=(const TConnection&) = delete;
    TConnection(TConnection&&) = delete;
    TConnection& operator=(TConnection&&) = delete;
    void Execute(const char* sql) const { sqlite3_exec(Handle, sql, nullptr, nullptr, nullptr); }
    sqlite3_stmt* Prepare(const char* sql) const {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(Handle, sql, -1, &statement, nullptr);
        return statement;
    }
    qint64 Single(const char* sql) {
        sqlite3_stmt* statement = Prepare(sql);
        sqlite3_step(statement);
        const qint64 value = sqlite3_column_int64(statement, 0);
        sqlite3_finalize(statement);
        return value;
    }
    sqlite3* Handle = nullptr;
};

// The reference way to append: one prepared INSERT stepped in one transaction.
// Seconds to move the cursor by `distance` and read the row reached.
double TimedMove(TTableCursor& cursor, qint64 distance, qint64& sink) {
    return SecondsOf([&] {
        cursor.MoveBy(distance);
        sink += cursor.FieldText(2).size();
    });
}

void PlainAppend(const QString& path, int rows) {
    TConnection connection(path);
    connection.Execute("PRAGMA synchronous=FULL");
    connection.Execute("BEGIN IMMEDIATE");
    sqlite3_stmt* insert = connection.Prepare(
        "INSERT INTO records (Label, Directory, File, Coments) VALUES (?,?,?,?)");
    for (int row = 0; row < rows; ++row) {
        const auto values = RowValues(row);
        for (int field = 0; field < 4; ++field)
            sqlite3_bind_text(insert, field + 1, values[size_t(field)].c_str(),
                              int(values[size_t(field)].size()), SQLITE_STATIC);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    connection.Execute("COMMIT");
}

void CursorAppend(const QString& path, int rows) {
    TTableCursor cursor(QStringLiteral("TableToExportData"));
    cursor.SetTableName(path);
    cursor.Open();
    TBulkTransaction transaction(cursor);
    for (int row = 0; row < rows; ++row) {
        const auto values = RowValues(row);
        cursor.AppendRecord({QString::fromStdString(values[0]), QString::fromStdString(values[1]),
                             QString::fromStdString(values[2]), QString::fromStdString(values[3])});
    }
    transaction.Commit();
}

QString NewTable(const QString& name) {
    QString path = QDir(QString::fromStdString(BenchScratchFolder())).filePath(name);
    MakeTableFile(path);
    return path;
}

// Reading a row's text the way the program needs it: as text it can show.
qint64 TouchRow(sqlite3_stmt* statement, int firstColumn) {
    qint64 characters = 0;
    for (int field = 0; field < 4; ++field)
        characters += QString::fromUtf8(reinterpret_cast<const char*>(
                                            sqlite3_column_text(statement, firstColumn + field)),
                                        sqlite3_column_bytes(statement, firstColumn + field))
                          .size();
    return characters;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    const QString catalog = NewTable(QStringLiteral("GeneralData.db"));
    PlainAppend(catalog, CatalogRows);

    // Open, count, go to the last row and ask its number.
    qint64 sink = 0;
    const double openOurs = BestSecondsOf(3, [&] {
        TTableCursor cursor(QStringLiteral("TableData"));
        cursor.SetTableName(catalog);
        cursor.Open();
        sink += cursor.RecordCount();
        cursor.Last();
        sink += cursor.RecNo() + cursor.FieldText(2).size();
    });
    const double openRef = BestSecondsOf(3, [&] {
        TConnection connection(catalog);
        const qint64 count = connection.Single("SELECT count(*) FROM records");
        sqlite3_stmt* last = connection.Prepare(
            "SELECT Label, Directory, File, Coments FROM records ORDER BY rowid DESC LIMIT 1");
        sqlite3_step(last);
        sink += count + TouchRow(last, 0);
        sqlite3_finalize(last);
    });
    PrintBench("open_count_last_recno", openOurs, openRef, "ratio<=2");

    // Walk the whole table reading all four fields, best of three (the machine is shared);
    // the memory is measured on the first walk of each.
    const auto walkOurs = [&] {
        TTableCursor cursor(QStringLiteral("TableData"));
        cursor.SetTableName(catalog);
        cursor.Open();
        for (cursor.First(); !cursor.Eof(); cursor.Next())
            for (int field = 0; field < 4; ++field)
                sink += cursor.FieldText(field).size();
    };
    const auto walkRef = [&] {
        TConnection connection(catalog);
        sqlite3_stmt* all = connection.Prepare(
            "SELECT Label, Directory, File, Coments FROM records ORDER BY rowid");
        while (sqlite3_step(all) == SQLITE_ROW)
            sink += TouchRow(all, 0);
        sqlite3_finalize(all);
    };
    TPeakMemory walkMemory;
    walkMemory.Start();
    walkOurs();
    const double walkOursMB = walkMemory.PeakAboveStartMB();
    walkMemory.Start();
    walkRef();
    const double walkRefMB = walkMemory.PeakAboveStartMB();
    const double walkOursSeconds = BestSecondsOf(3, walkOurs);
    const double walkRefSeconds = BestSecondsOf(3, walkRef);
    PrintBench("walk_first_to_eof", walkOursSeconds, walkRefSeconds, "ratio<=2");
    PrintBench("walk_peak_memory_mb", walkOursMB, walkRefMB, "ours<=20MB");

    // Move half the table forwards and back, reading the row reached.
    {
        TTableCursor cursor(QStringLiteral("TableData"));
        cursor.SetTableName(catalog);
        cursor.Open();
        TConnection connection(catalog);
        sqlite3_stmt* offset = connection.Prepare(
            "SELECT rowid, Label, Directory, File, Coments FROM records WHERE rowid > ? "
            "ORDER BY rowid LIMIT 1 OFFSET ?");
        const auto plainMove = [&](qint64 fromRowId, qint64 distance) {
            sqlite3_bind_int64(offset, 1, distance > 0 ? fromRowId : 0);
            sqlite3_bind_int64(offset, 2, distance > 0 ? distance - 1 : fromRowId + distance - 1);
            sqlite3_step(offset);
            const qint64 rowId = sqlite3_column_int64(offset, 0);
            sink += TouchRow(offset, 1);
            sqlite3_reset(offset);
            return rowId;
        };
        const double forward = TimedMove(cursor, Distance, sink);
        const double back = TimedMove(cursor, -Distance, sink);
        qint64 rowId = 1;
        const double forwardRef = SecondsOf([&] { rowId = plainMove(rowId, Distance); });
        const double backRef = SecondsOf([&] { plainMove(rowId, -Distance); });
        sqlite3_finalize(offset);
        PrintBench("move_by_plus_500000_seconds", forward, forwardRef, "ours<=0.050");
        PrintBench("move_by_minus_500000_seconds", back, backRef, "ours<=0.050");
    }

    // Append 100,000 rows in one transaction, each on a fresh empty table.
    const double appendOurs = SecondsOf([&] { CursorAppend(NewTable("ours.db"), AppendedRows); });
    const double appendRef = SecondsOf([&] { PlainAppend(NewTable("ref.db"), AppendedRows); });
    PrintBench("append_100000_in_one_transaction", appendOurs, appendRef, "ratio<=2");

    // The same once rows in the middle are gone: opening knows only the end rows, and the
    // first move into the middle lists every rowid once (8 bytes a row). For information.
    {
        TConnection connection(catalog);
        connection.Execute("DELETE FROM records WHERE rowid % 1000 = 500");
    }
    const double gapsOurs = BestSecondsOf(3, [&] {
        TTableCursor cursor(QStringLiteral("TableData"));
        cursor.SetTableName(catalog);
        cursor.Open();
        cursor.Last();
        sink += cursor.RecNo() + cursor.RecordCount();
    });
    const double gapsRef = BestSecondsOf(3, [&] {
        TConnection connection(catalog);
        sink += connection.Single("SELECT count(*) FROM records");
    });
    PrintBench("open_count_last_recno_with_gaps", gapsOurs, gapsRef, "information");
    {
        TTableCursor cursor(QStringLiteral("TableData"));
        cursor.SetTableName(catalog);
        cursor.Open();
        const double firstMove = TimedMove(cursor, Distance, sink);
        const double nextMove = TimedMove(cursor, -Distance, sink);
        PrintBench("first_then_next_move_by_500000_with_gaps_seconds", firstMove, nextMove,
                   "information");
    }

    return sink == 42 ? 1 : 0;
}
