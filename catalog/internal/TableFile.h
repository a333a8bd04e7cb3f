#pragma once
// One open table file, shared by every cursor of the process on that file: the connection,
// the declared field sizes, the map from record numbers to rows, and a small cache of row
// blocks so that walking the table does not cost a query per row.
//
// The file is shared with other programs: every cursor call first asks NoticeOtherWriters,
// and every write acts only on the row the cursor read, as it read it.
//
// One idea a source file: TableFileConnection.cpp (opening, the schema, the engine's errors),
// TableFileOtherWriters.cpp (noticing another program's commits), TableFileReads.cpp (the row
// map and the block cache), TableFileSearch.cpp ("Find") and TableFileWrites.cpp (the writes
// and bulk work).

#include "catalog/CatalogRecord.h"
#include "catalog/DataError.h"
#include "catalog/internal/RowMap.h"
#include "catalog/internal/SqliteStatement.h"

#include <QString>
#include <array>
#include <memory>
#include <optional>
#include <sqlite3.h>
#include <vector>

class TTableFile {
public:
    // The open file for `path`, opened now when no cursor has it open. Another file put at
    // the path while cursors still have the one it replaced is refused until they close it.
    static std::shared_ptr<TTableFile> Open(const QString& path);
    // Whether any cursor of this process has `path` open.
    static bool InUse(const QString& path);
    ~TTableFile();
    TTableFile(const TTableFile&) = delete;
    TTableFile& operator=(const TTableFile&) = delete;

    const QString& Path() const { return FilePath; }
    bool ReadOnly() const { return ReadOnlyReason.has_value(); }
    // The first of the four catalog fields that the table lacks, or an empty text.
    QString MissingField() const;
    int FieldSize(int field) const { return FieldSizes[size_t(field)]; }

    // Looks whether another program committed to the file and, if so, reads the rows anew,
    // and the schema too when that changed: a table rebuilt as something this program
    // cannot read fails every call as opening it would.
    void NoticeOtherWriters();
    // Bumped by every change of the rows, ours or another program's, so cursors know when
    // to find their row again.
    quint64 Generation() const { return RowsGeneration; }
    qint64 RowCount() const { return RowMap.Count(); }
    // `recordNumber` within 1..RowCount(). The row stays as it was read for as long as it is
    // kept, whatever is read or written later.
    std::shared_ptr<const TStoredRow> Row(qint64 recordNumber);
    // The record number of `rowId`, or that of the first row after it (RowCount() + 1 when
    // there is none).
    qint64 RecordNumberOf(qint64 rowId);
    // Drops the cached rows, so every cursor reads its row again.
    void ForgetCachedRows();
    // The rowid of the first row from `fromRowId` on whose `field` holds `text`, with the
    // letters a to z matched in either case and every other character as it stands; 0 when
    // no row does. `text` is plain text, never a pattern. The search index answers where the
    // file keeps it whole.
    qint64 FirstRowContaining(int field, const QString& text, qint64 fromRowId);

    // Both return the row as it is stored now.
    TStoredRow InsertRow(const TFieldValues& values);
    // Writes only the fields whose values differ from those of `seen`.
    TStoredRow UpdateRow(const TStoredRow& seen, const TFieldValues& values);
    // UpdateRow and DeleteRow act only on the row `seen` as it was read: a row that is gone
    // or was changed meanwhile is left alone and the call fails.
    void DeleteRow(const TStoredRow& seen);
    void DeleteAllRows();
    // Appends every row of the table file `source`, in its order, each value cut to this
    // table's field size: all rows or none. Returns how many were appended.
    qint64 AppendRowsOf(const QString& source);

    // All rows or none: a bulk that the engine aborted (a full disk) refuses every later
    // write and its commit.
    void BeginBulk();
    void CommitBulk();
    void RollbackBulk();

private:
    explicit TTableFile(QString path);
    void Connect();
    void OpenConnection(const QString& uri, int flags);
    void RegisterSearch();
    void LookForSearchIndex();
    qint64 FirstMatchBetween(int field, const QByteArray& folded, qint64 fromRowId, qint64 toRowId);
    qint64 FirstProposedMatch(int field, const QByteArray& folded, const QByteArray& trigrams,
                              qint64 fromRowId);
    void ReadSchema();
    bool PathNamesOpenedFile() const;
    void RequireOpenedFile() const;
    bool ReadRowsAsMapped(qint64 firstRecord, std::vector<TStoredRow>& read);
    QString DamageFound();
    qint64 SingleValue(const QByteArray& sql) const;
    void ReadRowMap();
    void ListRowIds();
    qint64 RowIdAt(qint64 recordNumber);
    bool SharedHeaderUnchanged();
    qint64 DataVersion();
    void Execute(const char* sql);
    void PrepareOnce(TSqliteStatement& statement, const char* sql);
    void StepWrite(TSqliteStatement& statement);
    void StepOnRowAsSeen(TSqliteStatement& statement, int first, const TStoredRow& seen,
                         const QString& notDone);
    void ReadBlock(qint64 firstRecord);
    template <typename Write> void WriteInTransaction(Write&& write);
    void AbortBulk(const TDataError& cause);
    // The engine's result code in the user's words.
    QString EngineText(int resultCode) const;
    // Both throw a TDataError on this file.
    [[noreturn]] void Fail(int resultCode) const;
    [[noreturn]] void Fail(const QString& what) const;

    // Why nothing is written once the path no longer names the file opened.
    static const QString MovedText;

    struct TBlock {
        qint64 FirstRecord = 0;
        std::shared_ptr<const std::vector<TStoredRow>> Rows;
        qint64 Size() const { return Rows ? qint64(Rows->size()) : 0; }
    };

    QString FilePath;
    // The file the path named when it was opened (device and inode): nothing is written
    // once the path names another file or none.
    quint64 OpenedDevice = 0;
    quint64 OpenedInode = 0;
    sqlite3* Connection = nullptr;
    // Why rows cannot be stored, in the words the user sees; none when they can.
    std::optional<TDataError> ReadOnlyReason;
    // A file on a medium nobody can write never changes: no other writer to look for.
    bool Immutable = false;
    // The file whose shared log index tells cheaply whether anybody committed; null when
    // the file keeps no write-ahead log.
    sqlite3_file* LogFile = nullptr;
    // The header as six words (the index is page-aligned), read afresh on every look.
    const volatile quint64* SharedHeader = nullptr;
    std::array<int, CatalogFieldCount> FieldSizes{};
    std::array<bool, CatalogFieldCount> FieldPresent{};
    // The file keeps its whole search index: "Find" asks it instead of reading every row.
    bool SearchIndexed = false;
    qint64 SchemaVersion = 0;
    // False while another program's schema cannot be read: every look fails until it can.
    bool SchemaSound = true;
    // What the engine found wrong with the file, kept until the rows are read anew.
    QString Damage;
    TRowMap RowMap;
    quint64 RowsGeneration = 0;
    qint64 LastDataVersion = 0;
    std::array<quint64, 6> SeenSharedHeader{};

    enum class TBulk { None, Open, Aborted };
    TBulk Bulk = TBulk::None;
    std::optional<TDataError> BulkAbortCause;

    std::array<TBlock, 4> Blocks;
    size_t NextBlock = 0;

    TSqliteStatement DataVersionQuery;
    TSqliteStatement BlockQuery;
    TSqliteStatement BackwardBlockQuery;
    TSqliteStatement InsertStatement;
    TSqliteStatement DeleteStatement;
    // "Find" and "Find Next" in the nearest rows, in each field (AllFields first).
    std::array<TSqliteStatement, CatalogFieldCount + 1> FindStatements;
};
