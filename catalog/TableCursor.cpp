#include "catalog/TableCursor.h"

#include "catalog/DataError.h"
#include "catalog/TableFile.h"

#include <algorithm>

namespace {

// Cuts `text` to `size` characters, never splitting a character in two; 0 means no limit.
QString CutToSize(const QString& text, int size) {
    if (size <= 0 || text.size() <= size)
        return text;
    qsizetype end = 0;
    for (int characters = 0; characters < size && end < text.size(); ++characters)
        end += (text.at(end).isHighSurrogate() && end + 1 < text.size()) ? 2 : 1;
    return text.left(end);
}

} // namespace

TTableCursor::TTableCursor(QString name)
    : ComponentName(std::move(name)) {}

TTableCursor::~TTableCursor() = default;

void TTableCursor::Fail(const QString& message) const {
    throw TDataError(ComponentName.isEmpty() ? message
                                             : ComponentName + QStringLiteral(": ") + message);
}

void TTableCursor::RequireActive() const {
    if (!Active())
        Fail(QStringLiteral("Cannot perform this operation on a closed dataset"));
}

void TTableCursor::RequireNotEmpty() const {
    if (File->RowCount() == 0)
        Fail(QStringLiteral("Cannot perform this operation on an empty dataset"));
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
    for (int field = 0; field < CatalogFieldCount; ++field)
        Sizes[size_t(field)] = File->FieldSize(field);
    const qint64 count = File->RowCount();
    PositionAt(count ? 1 : 0);
    AtBegin = true;
    AtEnd = count == 0;
    CursorState = TCursorState::Browse;
    Buffer.clear();
    RecordModified = false;
    Notify(TCursorEvent::Opened);
}

void TTableCursor::EmptyTable() {
    if (TTableFile::InUse(FileName))
        throw TDataError(QStringLiteral("The table cannot be emptied while it is open.\nFile: %1")
                             .arg(FileName));
    TTableFile::Open(FileName)->DeleteAllRows();
}

void TTableCursor::PositionAt(qint64 recordNumber) {
    RecordNumber = recordNumber;
    RowId = recordNumber > 0 ? File->RowIdAt(recordNumber) : 0;
    SeenGeneration = File->Generation();
}

void TTableCursor::Resynchronise() const {
    if (SeenGeneration == File->Generation())
        return;
    const qint64 count = File->RowCount();
    RecordNumber = count ? std::min(File->RecordNumberOf(RowId), count) : 0;
    RowId = RecordNumber > 0 ? File->RowIdAt(RecordNumber) : 0;
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
    File->NoticeOtherWriters();
    const qint64 count = File->RowCount();
    PositionAt(count ? 1 : 0);
    AtBegin = true;
    AtEnd = count == 0;
    Notify(TCursorEvent::RecordMoved);
}

void TTableCursor::Last() {
    CheckBrowseMode();
    File->NoticeOtherWriters();
    const qint64 count = File->RowCount();
    PositionAt(count);
    AtBegin = count == 0;
    AtEnd = true;
    Notify(TCursorEvent::RecordMoved);
}

int TTableCursor::MoveBy(qint64 distance) {
    CheckBrowseMode();
    Resynchronise();
    if (distance == 0 || (distance > 0 && AtEnd) || (distance < 0 && AtBegin))
        return 0;
    const qint64 count = File->RowCount();
    AtBegin = AtEnd = false;
    qint64 target = RecordNumber + distance;
    if (target > count) {
        target = count;
        AtEnd = true;
    } else if (target < 1) {
        target = std::min<qint64>(1, count);
        AtBegin = true;
    }
    const qint64 moved = target - RecordNumber;
    PositionAt(target);
    Notify(TCursorEvent::RecordMoved);
    return int(moved);
}

void TTableCursor::SetRecNo(qint64 recordNumber) {
    CheckBrowseMode();
    Resynchronise();
    const qint64 target = std::clamp<qint64>(recordNumber, 1, std::max<qint64>(1, RecordCount()));
    if (RecordCount() > 0 && target != RecordNumber)
        MoveBy(target - RecordNumber);
}

qint64 TTableCursor::RecNo() const {
    RequireActive();
    if (CursorState == TCursorState::Insert)
        return -1;
    Resynchronise();
    return RecordNumber;
}

qint64 TTableCursor::RecordCount() const {
    RequireActive();
    return File->RowCount();
}

int TTableCursor::FieldIndex(const QString& name) const {
    for (int field = 0; field < CatalogFieldCount; ++field)
        if (name.compare(QLatin1String(CatalogFieldNames[size_t(field)]), Qt::CaseInsensitive) == 0)
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
    Resynchronise();
    return RecordNumber > 0 ? File->Row(RecordNumber)[size_t(field)] : QString();
}

void TTableCursor::SetFieldText(int field, const QString& text) {
    RequireActive();
    if (CursorState != TCursorState::Edit && CursorState != TCursorState::Insert)
        Fail(QStringLiteral("Dataset not in edit or insert mode"));
    Buffer[field] = CutToSize(text, FieldSize(field));
    RecordModified = true;
    Notify(TCursorEvent::FieldChanged, field);
}

bool TTableCursor::CanModify() const {
    return Active() && !File->ReadOnly();
}

void TTableCursor::LoadBuffer() {
    Buffer.clear();
    for (int field = 0; field < CatalogFieldCount; ++field)
        Buffer.append(RecordNumber > 0 ? File->Row(RecordNumber)[size_t(field)] : QString());
}

void TTableCursor::SetState(TCursorState state) {
    CursorState = state;
    Notify(TCursorEvent::StateChanged);
    Notify(TCursorEvent::RecordsChanged);
}

void TTableCursor::Insert() {
    CheckBrowseMode();
    Resynchronise();
    const qint64 count = File->RowCount();
    InsertPosition = count ? RecordNumber : 1;
    SavedBof = AtBegin;
    SavedEof = AtEnd;
    // The new row of an empty table is both its first and its last.
    AtBegin = AtEnd = count == 0;
    Buffer = QStringList(CatalogFieldCount);
    RecordModified = false;
    SetState(TCursorState::Insert);
}

void TTableCursor::Append() {
    CheckBrowseMode();
    Resynchronise();
    InsertPosition = File->RowCount() + 1;
    SavedBof = AtBegin;
    SavedEof = AtEnd;
    AtBegin = InsertPosition == 1;
    AtEnd = true;
    Buffer = QStringList(CatalogFieldCount);
    RecordModified = false;
    SetState(TCursorState::Insert);
}

void TTableCursor::Edit() {
    RequireActive();
    if (CursorState == TCursorState::Edit || CursorState == TCursorState::Insert)
        return;
    Resynchronise();
    if (File->RowCount() == 0) {
        Insert();
        return;
    }
    LoadBuffer();
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
    if (CursorState == TCursorState::Edit) {
        Resynchronise();
        File->UpdateRow(RowId, values);
        PositionAt(RecordNumber);
    } else {
        const qint64 rowId = File->InsertRow(values);
        PositionAt(File->RecordNumberOf(rowId));
    }
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
    Buffer.clear();
    RecordModified = false;
    Resynchronise();
    SetState(TCursorState::Browse);
}

void TTableCursor::Delete() {
    RequireActive();
    if (CursorState == TCursorState::Insert) {
        Cancel();
        return;
    }
    Resynchronise();
    RequireNotEmpty();
    const bool wasEditing = CursorState == TCursorState::Edit;
    File->DeleteRow(RowId);
    const qint64 count = File->RowCount();
    PositionAt(std::min(RecordNumber, count));
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
    Resynchronise();
    Notify(TCursorEvent::RecordsChanged);
}

void TTableCursor::AppendRecord(const QStringList& values) {
    CheckBrowseMode();
    TFieldValues row;
    for (int field = 0; field < CatalogFieldCount && field < values.size(); ++field)
        row[size_t(field)] = CutToSize(values[field], FieldSize(field));
    const qint64 rowId = File->InsertRow(row);
    PositionAt(File->RecordNumberOf(rowId));
    AtBegin = AtEnd = false;
    Notify(TCursorEvent::RecordsChanged);
}

qint64 TTableCursor::RowCountWithInsert() const {
    RequireActive();
    return File->RowCount() + (CursorState == TCursorState::Insert ? 1 : 0);
}

qint64 TTableCursor::CurrentPosition() const {
    RequireActive();
    if (CursorState == TCursorState::Insert)
        return InsertPosition;
    Resynchronise();
    return RecordNumber;
}

QString TTableCursor::RowText(qint64 position, int field) const {
    RequireActive();
    qint64 recordNumber = position;
    if (CursorState == TCursorState::Insert) {
        if (position == InsertPosition)
            return Buffer[field];
        if (position > InsertPosition)
            --recordNumber;
    } else if (CursorState == TCursorState::Edit && position == CurrentPosition()) {
        return Buffer[field];
    }
    if (recordNumber < 1 || recordNumber > File->RowCount())
        return {};
    return File->Row(recordNumber)[size_t(field)];
}

TBulkTransaction::TBulkTransaction(TTableCursor& cursor) {
    cursor.RequireActive();
    File = cursor.File;
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
