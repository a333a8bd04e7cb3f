#include "catalog/TableCursor.h"

#include "catalog/DataError.h"
#include "catalog/internal/TableFile.h"
#include "text/TextCut.h"

#include <algorithm>
#include <limits>

namespace {

// The position of a cursor on an empty table.
const std::shared_ptr<const TStoredRow>& NoRow() {
    static const auto none = std::make_shared<const TStoredRow>();
    return none;
}

} // namespace

TTableCursor::TTableCursor(QString name)
    : ComponentName(std::move(name))
    , Current(NoRow()) {}

TTableCursor::~TTableCursor() = default;

void TTableCursor::Fail(const QString& message) const {
    throw TDataError(ComponentName.isEmpty() ? message
                                             : ComponentName + QStringLiteral(": ") + message);
}

void TTableCursor::RequireActive() const {
    if (!Active())
        Fail(QStringLiteral("Cannot perform this operation on a closed dataset"));
}

const std::shared_ptr<TTableFile>& TTableCursor::OpenFile() const {
    RequireActive();
    return File;
}

void TTableCursor::Notify(TCursorEvent event, int field) {
    const std::vector<TCursorListener*> listeners = Listeners;
    for (TCursorListener* listener : listeners)
        listener->CursorNotified(event, field);
}

void TTableCursor::AddListener(TCursorListener* listener) {
    Listeners.push_back(listener);
}

void TTableCursor::RemoveListener(TCursorListener* listener) {
    std::erase(Listeners, listener);
}

void TTableCursor::SetTableName(const QString& path) {
    if (path == FileName)
        return;
    if (Active())
        Fail(QStringLiteral("Cannot perform this operation on an open dataset"));
    FileName = path;
}

void TTableCursor::SetActive(bool active) {
    if (active == Active())
        return;
    if (!active) {
        CursorState = TCursorState::Inactive;
        File.reset();
        Current = NoRow();
        Buffer.clear();
        RecordModified = false;
        Notify(TCursorEvent::Closed);
        return;
    }
    std::shared_ptr<TTableFile> file = TTableFile::Open(FileName);
    if (const QString missing = file->MissingField(); !missing.isEmpty())
        Fail(QStringLiteral("Field '%1' not found").arg(missing));
    file->NoticeOtherWriters();
    File = std::move(file);
    try {
        PositionAt(File->RowCount() ? 1 : 0);
    } catch (...) {
        File.reset();
        throw;
    }
    for (int field = 0; field < CatalogFieldCount; ++field)
        Sizes[size_t(field)] = File->FieldSize(field);
    AtBegin = true;
    AtEnd = RecordNumber == 0;
    CursorState = TCursorState::Browse;
    Buffer.clear();
    RecordModified = false;
    Notify(TCursorEvent::Opened);
}

void TTableCursor::EmptyTable() {
    if (TTableFile::InUse(FileName))
        throw TDataError(QStringLiteral("The table cannot be emptied while it is open."),
                         TDataError::TSubject::File, FileName);
    TTableFile::Open(FileName)->DeleteAllRows();
}

void TTableCursor::PositionAt(qint64 recordNumber) {
    Current = recordNumber > 0 ? File->Row(recordNumber) : NoRow();
    RecordNumber = recordNumber;
    SeenGeneration = File->Generation();
}

// Every call first looks whether the file changed, by another program or another cursor,
// and if so finds its row again by rowid.
void TTableCursor::Synchronise() const {
    File->NoticeOtherWriters();
    if (SeenGeneration != File->Generation())
        FindRowAgain();
}

// A row being edited or inserted stays the one the user sees: only its place follows. In
// browse the cursor shows its row as it is now, or the next one when it is gone; a flag
// stays only while its row is still the first or the last.
void TTableCursor::FindRowAgain() const {
    const qint64 count = File->RowCount();
    if (CursorState != TCursorState::Browse) {
        RecordNumber = count ? std::min(File->RecordNumberOf(Current->RowId), count) : 0;
    } else if (count == 0) {
        Current = NoRow();
        RecordNumber = 0;
        AtBegin = AtEnd = true;
    } else {
        const qint64 place = Current->RowId ? File->RecordNumberOf(Current->RowId) : 1;
        RecordNumber = std::min(place, count);
        Current = File->Row(RecordNumber);
        AtBegin = AtBegin && RecordNumber == 1;
        AtEnd = AtEnd && RecordNumber == count;
    }
    SeenGeneration = File->Generation();
}

void TTableCursor::CheckBrowseMode() {
    RequireActive();
    Notify(TCursorEvent::CollectPending);
    if (CursorState == TCursorState::Edit || CursorState == TCursorState::Insert) {
        if (RecordModified)
            Post();
        else
            Cancel();
    }
}

void TTableCursor::First() {
    CheckBrowseMode();
    Synchronise();
    const qint64 count = File->RowCount();
    PositionAt(count ? 1 : 0);
    AtBegin = true;
    AtEnd = count == 0;
    Notify(TCursorEvent::RecordMoved);
}

void TTableCursor::Last() {
    CheckBrowseMode();
    Synchronise();
    const qint64 count = File->RowCount();
    PositionAt(count);
    AtBegin = count == 0;
    AtEnd = true;
    Notify(TCursorEvent::RecordMoved);
}

int TTableCursor::MoveBy(qint64 distance) {
    CheckBrowseMode();
    Synchronise();
    if (distance == 0 || (distance > 0 && AtEnd) || (distance < 0 && AtBegin))
        return 0;
    const qint64 count = File->RowCount();
    qint64 target = RecordNumber + distance;
    const bool pastEnd = target > count;
    const bool pastBegin = target < 1;
    target = std::clamp<qint64>(target, std::min<qint64>(1, count), count);
    const qint64 moved = target - RecordNumber;
    PositionAt(target);
    AtBegin = pastBegin;
    AtEnd = pastEnd;
    Notify(TCursorEvent::RecordMoved);
    return int(moved);
}

void TTableCursor::SetRecNo(qint64 recordNumber) {
    CheckBrowseMode();
    Synchronise();
    const qint64 count = File->RowCount();
    const qint64 target = std::clamp<qint64>(recordNumber, 1, std::max<qint64>(1, count));
    if (count > 0 && target != RecordNumber)
        MoveBy(target - RecordNumber);
}

bool TTableCursor::GoToRowId(qint64 rowId) {
    CheckBrowseMode();
    Synchronise();
    const qint64 number = File->RecordNumberOf(rowId);
    if (number > File->RowCount() || File->Row(number)->RowId != rowId)
        return false;
    SetRecNo(number);
    return true;
}

bool TTableCursor::FindContaining(int field, const QString& text) {
    CheckBrowseMode();
    Synchronise();
    if (RecordNumber == 0)
        return false;
    if (text.isEmpty())
        return true;
    // Another program may delete the row found before the map is looked at again: the
    // search goes on after it.
    qint64 found = 0;
    for (qint64 from = Current->RowId; found == 0;) {
        const qint64 rowId = File->FirstRowContaining(field, text, from);
        if (rowId == 0)
            return false;
        Synchronise();
        found = File->RecordNumberOf(rowId);
        if (found > File->RowCount() || File->Row(found)->RowId != rowId) {
            if (rowId == std::numeric_limits<qint64>::max())
                return false;
            found = 0;
            from = rowId + 1;
        }
    }
    if (found != RecordNumber) {
        PositionAt(found);
        AtBegin = AtEnd = false;
        Notify(TCursorEvent::RecordMoved);
    }
    return true;
}

bool TTableCursor::Bof() const {
    if (Active())
        Synchronise();
    return AtBegin;
}

bool TTableCursor::Eof() const {
    if (Active())
        Synchronise();
    return AtEnd;
}

qint64 TTableCursor::RecNo() const {
    RequireActive();
    if (CursorState == TCursorState::Insert)
        return -1;
    Synchronise();
    return RecordNumber;
}

qint64 TTableCursor::RecordCount() const {
    RequireActive();
    Synchronise();
    return File->RowCount();
}

int TTableCursor::FieldIndex(const QString& name) const {
    for (int field = 0; field < CatalogFieldCount; ++field)
        if (name.compare(QLatin1String(CatalogFields[size_t(field)].Name), Qt::CaseInsensitive) ==
            0)
            return field;
    return -1;
}

int TTableCursor::FieldByName(const QString& name) const {
    const int field = FieldIndex(name);
    if (field < 0)
        Fail(QStringLiteral("Field '%1' not found").arg(name));
    return field;
}

bool TTableCursor::IsValidChar(int, QChar character) const {
    // Every field is a single-line text: anything but control characters.
    return character.unicode() >= 0x20 && character.unicode() != 0x7f &&
           character.category() != QChar::Other_Control;
}

QString TTableCursor::FieldText(int field) const {
    RequireActive();
    if (CursorState == TCursorState::Edit || CursorState == TCursorState::Insert)
        return Buffer[field];
    Synchronise();
    return Current->Values[size_t(field)];
}

void TTableCursor::SetFieldText(int field, const QString& text) {
    RequireActive();
    if (CursorState != TCursorState::Edit && CursorState != TCursorState::Insert)
        Fail(QStringLiteral("Dataset not in edit or insert mode"));
    Buffer[field] = CutToCharacters(text, FieldSize(field));
    RecordModified = true;
    Notify(TCursorEvent::FieldChanged, field);
}

bool TTableCursor::CanModify() const {
    return Active() && !File->ReadOnly();
}

void TTableCursor::SetState(TCursorState state) {
    CursorState = state;
    Notify(TCursorEvent::StateChanged);
    Notify(TCursorEvent::RecordsChanged);
}

// Insert keeps the flags of the row it stands at; only the new row of an empty table is
// both the first and the last. Append stands after the last row.
void TTableCursor::StartNewRow(bool atEnd) {
    const qint64 count = File->RowCount();
    InsertBeforeRowId = atEnd ? 0 : Current->RowId;
    SavedBof = AtBegin;
    SavedEof = AtEnd;
    if (atEnd) {
        AtBegin = count == 0;
        AtEnd = true;
    }
    Buffer = QStringList(CatalogFieldCount);
    RecordModified = false;
    SetState(TCursorState::Insert);
}

void TTableCursor::Insert() {
    CheckBrowseMode();
    Synchronise();
    StartNewRow(File->RowCount() == 0);
}

void TTableCursor::Append() {
    CheckBrowseMode();
    Synchronise();
    StartNewRow(true);
}

qint64 TTableCursor::InsertPosition() const {
    const qint64 afterLast = File->RowCount() + 1;
    return InsertBeforeRowId ? std::min(File->RecordNumberOf(InsertBeforeRowId), afterLast)
                             : afterLast;
}

// Edits the row as the user last saw it, without looking for changes: a post checks that
// the row is still stored as it was read.
void TTableCursor::Edit() {
    RequireActive();
    if (CursorState == TCursorState::Edit || CursorState == TCursorState::Insert)
        return;
    if (Current->RowId == 0) {
        Insert();
        return;
    }
    Buffer.clear();
    for (const QString& value : Current->Values)
        Buffer.append(value);
    RecordModified = false;
    SetState(TCursorState::Edit);
}

void TTableCursor::Post() {
    RequireActive();
    Notify(TCursorEvent::CollectPending);
    if (CursorState != TCursorState::Edit && CursorState != TCursorState::Insert)
        return;
    TFieldValues values;
    for (int field = 0; field < CatalogFieldCount; ++field)
        values[size_t(field)] = Buffer[field];
    if (CursorState == TCursorState::Edit && values == Current->Values) {
        // Nothing was changed, so nothing is written: the row shows as it is stored now.
        AtBegin = AtEnd = false;
        EndEdit();
        return;
    }
    Current = std::make_shared<const TStoredRow>(CursorState == TCursorState::Edit
                                                     ? File->UpdateRow(*Current, values)
                                                     : File->InsertRow(values));
    RecordNumber = File->RecordNumberOf(Current->RowId);
    SeenGeneration = File->Generation();
    AtBegin = AtEnd = false;
    Buffer.clear();
    RecordModified = false;
    SetState(TCursorState::Browse);
}

void TTableCursor::Cancel() {
    RequireActive();
    if (CursorState != TCursorState::Edit && CursorState != TCursorState::Insert)
        return;
    if (CursorState == TCursorState::Insert) {
        AtBegin = SavedBof;
        AtEnd = SavedEof;
    }
    EndEdit();
}

// Leaves the edit or insert showing the row as it is stored now, or the next one when it
// is gone.
void TTableCursor::EndEdit() {
    Buffer.clear();
    RecordModified = false;
    CursorState = TCursorState::Browse;
    File->NoticeOtherWriters();
    FindRowAgain();
    SetState(TCursorState::Browse);
}

TShownRow TTableCursor::ShownRow() const {
    RequireActive();
    return {Current, CursorState == TCursorState::Insert};
}

void TTableCursor::Delete(const TShownRow& shown) {
    RequireActive();
    if (shown.New) {
        Cancel();
        return;
    }
    if (shown.Empty())
        Fail(QStringLiteral("Cannot perform this operation on an empty dataset"));
    const bool wasEditing = CursorState == TCursorState::Edit;
    File->DeleteRow(*shown.Row);
    const qint64 count = File->RowCount();
    // The row after the deleted one takes its place.
    PositionAt(std::min(File->RecordNumberOf(shown.Row->RowId), count));
    AtBegin = AtEnd = count == 0;
    Buffer.clear();
    RecordModified = false;
    CursorState = TCursorState::Browse;
    if (wasEditing)
        Notify(TCursorEvent::StateChanged);
    Notify(TCursorEvent::RecordsChanged);
}

void TTableCursor::Refresh() {
    CheckBrowseMode();
    File->NoticeOtherWriters();
    File->ForgetCachedRows();
    FindRowAgain();
    Notify(TCursorEvent::RecordsChanged);
}

void TTableCursor::AppendRecord(const QStringList& values) {
    CheckBrowseMode();
    TFieldValues row;
    for (int field = 0; field < CatalogFieldCount && field < values.size(); ++field)
        row[size_t(field)] = CutToCharacters(values[field], FieldSize(field));
    Current = std::make_shared<const TStoredRow>(File->InsertRow(row));
    RecordNumber = File->RecordNumberOf(Current->RowId);
    SeenGeneration = File->Generation();
    AtBegin = AtEnd = false;
    Notify(TCursorEvent::RecordsChanged);
}

qint64 TTableCursor::AppendRowsOf(const QString& source) {
    CheckBrowseMode();
    const qint64 appended = File->AppendRowsOf(source);
    const qint64 count = File->RowCount();
    PositionAt(count);
    AtBegin = count == 0;
    AtEnd = true;
    Notify(TCursorEvent::RecordsChanged);
    return appended;
}

qint64 TTableCursor::RowCountWithInsert() const {
    RequireActive();
    Synchronise();
    return File->RowCount() + (CursorState == TCursorState::Insert ? 1 : 0);
}

qint64 TTableCursor::CurrentPosition() const {
    RequireActive();
    Synchronise();
    return CursorState == TCursorState::Insert ? InsertPosition() : RecordNumber;
}

QString TTableCursor::RowText(qint64 position, int field) const {
    RequireActive();
    Synchronise();
    qint64 recordNumber = position;
    if (CursorState == TCursorState::Insert) {
        const qint64 insertPosition = InsertPosition();
        if (position == insertPosition)
            return Buffer[field];
        if (position > insertPosition)
            --recordNumber;
    } else if (CursorState == TCursorState::Edit && position == RecordNumber) {
        return Buffer[field];
    }
    if (recordNumber < 1 || recordNumber > File->RowCount())
        return {};
    return File->Row(recordNumber)->Values[size_t(field)];
}

TBulkTransaction::TBulkTransaction(TTableCursor& cursor)
    : File(cursor.OpenFile()) {
    File->BeginBulk();
}

TBulkTransaction::~TBulkTransaction() {
    if (Done)
        return;
    try {
        File->RollbackBulk();
    } catch (const TDataError&) {
        // The engine has rolled back by itself when it cannot; nothing was stored.
    }
}

void TBulkTransaction::Commit() {
    File->CommitBulk();
    Done = true;
}
