#pragma once
// One open table file, shared by every cursor of the process on that file: the connection,
// the declared field sizes, the map from record numbers to rows, and a small cache of row
// blocks so that walking the table does not cost a query per row.

#include "catalog/CatalogRecord.h"
#include "catalog/RowMap.h"
#include "catalog/SqliteStatement.h"

#include <QString>
#include <array>
#include <memory>
#include <sqlite3.h>
#include <vector>

using TFieldValues = std::array<QString, CatalogFieldCount>;

class TTableFile {
public:
    // The open file for `path`, opened now when no cursor has it open.
    static std::shared_ptr<TTableFile> Open(const QString& path);
    // Whether any cursor of this process has `path` open.
    static bool InUse(const QString& path);
    ~TTableFile();
    TTableFile(const TTableFile&) = delete;
    TTableFile& operator=(const TTableFile&) = delete;

    const QString& Path() const { return FilePath; }
    bool ReadOnly() const { return OpenedReadOnly; }
    // The first of the four catalog fields that the table lacks, or an empty text.
    QString MissingField() const;
    int FieldSize(int field) const { return FieldSizes[size_t(field)]; }

    // Bumped by every change of the rows, ours or another program's, so cursors know when
    // to find their row again.
    quint64 Generation() const { return RowsGeneration; }
    qint64 RowCount() const { return RowMap.Count(); }
    // `recordNumber` within 1..RowCount().
    qint64 RowIdAt(qint64 recordNumber);
    // The record number of `rowId`, or that of the first row after it.
    qint64 RecordNumberOf(qint64 rowId);
    // Looks whether another program wrote to the file and, if so, reads the rows anew.
    void NoticeOtherWriters();
    void ForgetCachedRows();

    // `recordNumber` within 1..RowCount().
    const TFieldValues& Row(qint64 recordNumber);

    qint64 InsertRow(const TFieldValues& values);
    void UpdateRow(qint64 rowId, const TFieldValues& values);
    void DeleteRow(qint64 rowId);
    void DeleteAllRows();

    void BeginBulk();
    void CommitBulk();
    void RollbackBulk();

private:
    explicit TTableFile(QString path);
    void Connect();
    void ReadSchema();
    void ReadRowMap();
    void ListRowIds();
    qint64 DataVersion();
    void Execute(const char* sql);
    void PrepareOnce(TSqliteStatement& statement, const char* sql);
    void StepWrite(TSqliteStatement& statement);
    void RowsChanged();
    template <typename Write> void WriteInTransaction(Write&& write);
    [[noreturn]] void Fail(int resultCode) const;

    struct TBlock {
        qint64 FirstRecord = 0;
        std::vector<qint64> RowIds;
        std::vector<TFieldValues> Rows;
    };

    QString FilePath;
    sqlite3* Connection = nullptr;
    bool OpenedReadOnly = false;
    std::array<int, CatalogFieldCount> FieldSizes{};
    std::array<bool, CatalogFieldCount> FieldPresent{};
    TRowMap RowMap;
    quint64 RowsGeneration = 0;
    qint64 LastDataVersion = 0;
    bool InBulk = false;

    std::array<TBlock, 4> Blocks;
    size_t NextBlock = 0;

    TSqliteStatement DataVersionQuery;
    TSqliteStatement BlockQuery;
    TSqliteStatement InsertStatement;
    TSqliteStatement UpdateStatement;
    TSqliteStatement DeleteStatement;
};
