#pragma once
// An open view of one table file with a current row, begin and end flags, a record number
// and a record count. Cursors on the same file share one connection and see each other's
// posted rows at once; each keeps only its own position, never a copy of the table.

#include "catalog/CatalogRecord.h"

#include <QString>
#include <QStringList>
#include <array>
#include <memory>
#include <vector>

class TTableFile;

enum class TCursorState { Inactive, Browse, Edit, Insert };

// What a cursor tells its listeners (the data source). The data-change event follows from
// Opened, RecordMoved, RecordsChanged and FieldChanged; the others only update widgets.
enum class TCursorEvent {
    Opened,         // inactive to browse, fields bound
    Closed,         // browse/edit/insert to inactive
    StateChanged,   // browse, edit or insert entered (always followed by its data event)
    RecordMoved,    // First, Last, or a move that moved or set a flag
    RecordsChanged, // Insert, Append, Edit, Post, Cancel, Delete, Refresh
    FieldChanged,   // a field's value was assigned; the field index comes with it
    CollectPending, // bound widgets write their pending text into the fields now
};

// The row a cursor shows, taken as it stands: a stored row as it was read, or the new row
// being inserted.
struct TShownRow {
    std::shared_ptr<const TStoredRow> Row;
    bool New = false;
    bool Empty() const { return !New && Row->RowId == 0; }
};

class TCursorListener {
public:
    virtual ~TCursorListener() = default;
    virtual void CursorNotified(TCursorEvent event, int field) = 0;
};

class TTableCursor {
public:
    // `name` is the component name put before the cursor layer's own error texts.
    explicit TTableCursor(QString name);
    ~TTableCursor();
    TTableCursor(const TTableCursor&) = delete;
    TTableCursor& operator=(const TTableCursor&) = delete;

    const QString& Name() const { return ComponentName; }

    const QString& TableName() const { return FileName; }
    void SetTableName(const QString& path);

    bool Active() const { return CursorState != TCursorState::Inactive; }
    void SetActive(bool active);
    void Open() { SetActive(true); }
    void Close() { SetActive(false); }
    TCursorState State() const { return CursorState; }

    // Deletes every row of the file named by TableName; refused while any cursor of this
    // process is open on that file.
    void EmptyTable();

    void First();
    void Last();
    void Next() { MoveBy(1); }
    void Prior() { MoveBy(-1); }
    int MoveBy(qint64 distance); // returns how many rows it moved, signed
    void SetRecNo(qint64 recordNumber);
    // Moves to the row `rowId` (a search's or another window's answer), as SetRecNo moves;
    // stays and returns false when the table no longer holds that row.
    bool GoToRowId(qint64 rowId);
    // Moves to the first row from the current one on whose `field` holds `text`, with the
    // letters a to z matched in either case and every other character as it stands. Stays
    // and returns false when no row does. The engine reads the rows, not the cursor.
    bool FindContaining(int field, const QString& text);
    bool Bof() const;
    bool Eof() const;

    // 0 on an empty table, -1 while inserting.
    qint64 RecNo() const;
    // A row being inserted is not counted until it is posted.
    qint64 RecordCount() const;

    int FieldCount() const { return CatalogFieldCount; }
    QString FieldName(int field) const {
        return QString::fromLatin1(CatalogFields[size_t(field)].Name);
    }
    int FieldIndex(const QString& name) const;                      // -1 when the table lacks it
    int FieldByName(const QString& name) const;                     // throws "Field '%s' not found"
    int FieldSize(int field) const { return Sizes[size_t(field)]; } // declared, in characters
    bool IsValidChar(int field, QChar character) const;
    QString FieldText(int field) const;
    QString FieldText(const QString& name) const { return FieldText(FieldByName(name)); }
    void SetFieldText(int field, const QString& text);
    void SetFieldText(const QString& name, const QString& text) {
        SetFieldText(FieldByName(name), text);
    }
    bool Modified() const { return RecordModified; }

    bool CanModify() const;
    void Insert();
    void Append();
    void Edit();
    void Post();
    void Cancel();
    void Delete() { Delete(ShownRow()); }
    // The row shown now, without looking for other writers first: what a user confirms
    // deleting, while whatever is read during the question may move the cursor.
    TShownRow ShownRow() const;
    // Deletes exactly `shown` as it was read, or drops it when it is the new row; deletes
    // nothing and fails when another program or window deleted or changed it since.
    void Delete(const TShownRow& shown);
    void Refresh();
    void AppendRecord(const QStringList& values);
    // Appends every row of the table file `source` after the last row, all or none, and
    // stays on the last row; returns how many were appended.
    qint64 AppendRowsOf(const QString& source);

    // Display order for a grid: the rows plus, while inserting, the new row at
    // InsertPosition(). Reading a shown row never moves the cursor.
    qint64 RowCountWithInsert() const;
    qint64 CurrentPosition() const; // 1-based place of the current row in that order
    QString RowText(qint64 position, int field) const;

    void AddListener(TCursorListener* listener);
    void RemoveListener(TCursorListener* listener);

private:
    friend class TBulkTransaction;

    void RequireActive() const;
    const std::shared_ptr<TTableFile>& OpenFile() const;
    [[noreturn]] void Fail(const QString& message) const;
    void Notify(TCursorEvent event, int field = -1);
    void CheckBrowseMode();
    void Synchronise() const;
    void FindRowAgain() const;
    void PositionAt(qint64 recordNumber);
    void SetState(TCursorState state);
    void StartNewRow(bool atEnd);
    void EndEdit();
    qint64 InsertPosition() const;

    QString ComponentName;
    QString FileName;
    std::shared_ptr<TTableFile> File;
    std::array<int, CatalogFieldCount> Sizes{}; // kept from the last open, 0 = no limit
    TCursorState CursorState = TCursorState::Inactive;

    // Position: the row shown, as it was read (its rowid and values), and its place. Found
    // again by rowid whenever the file changed since; posts and deletes act on this row.
    mutable std::shared_ptr<const TStoredRow> Current;
    mutable qint64 RecordNumber = 0;
    mutable quint64 SeenGeneration = 0;
    mutable bool AtBegin = false;
    mutable bool AtEnd = false;

    // The row being edited or inserted. A new row stands before the row it was inserted
    // at, or after the last row.
    QStringList Buffer;
    bool RecordModified = false;
    qint64 InsertBeforeRowId = 0;
    bool SavedBof = false;
    bool SavedEof = false;

    std::vector<TCursorListener*> Listeners;
};

// All rows or none: appends made through cursors on `cursor`'s file between construction
// and Commit() are one transaction; destroying it uncommitted rolls them back.
class TBulkTransaction {
public:
    explicit TBulkTransaction(TTableCursor& cursor);
    ~TBulkTransaction();
    TBulkTransaction(const TBulkTransaction&) = delete;
    TBulkTransaction& operator=(const TBulkTransaction&) = delete;
    void Commit();

private:
    std::shared_ptr<TTableFile> File;
    bool Done = false;
};
