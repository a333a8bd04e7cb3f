#include "catalog/TableFile.h"

#include "catalog/DataError.h"
#include "catalog/FieldSql.h"
#include "catalog/WriteAccess.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>
#include <algorithm>
#include <cerrno>
#include <limits>
#include <map>
#include <sys/stat.h>

namespace {

// A second program writing the same file is waited for this long before "busy" is reported.
constexpr int BusyTimeoutMs = 1500;
constexpr int BlockRows = 256;

std::map<QString, std::weak_ptr<TTableFile>>& OpenFiles() {
    static std::map<QString, std::weak_ptr<TTableFile>> files;
    return files;
}

QString RegistryKey(const QString& path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

// The device and inode the path names now; none when it names nothing.
bool IdentityOf(const QString& path, quint64& device, quint64& inode) {
    struct stat info {};
    if (stat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    device = info.st_dev;
    inode = info.st_ino;
    return true;
}

QString EngineText(int resultCode, sqlite3* connection) {
    const QString engineWords =
        QString::fromUtf8(connection ? sqlite3_errmsg(connection) : sqlite3_errstr(resultCode));
    // The engine reports a disk that filled up while its log's index grew as an I/O error.
    if ((resultCode & 0xff) == SQLITE_IOERR && connection &&
        sqlite3_system_errno(connection) == ENOSPC)
        resultCode = SQLITE_FULL;
    switch (resultCode & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("Table is busy: another program is writing to it.");
    case SQLITE_READONLY:
        return QStringLiteral("Table is read-only: the row cannot be stored.");
    case SQLITE_NOTADB:
        return QStringLiteral("The file is not a table file.");
    case SQLITE_CORRUPT:
        return QStringLiteral("The table file is damaged: %1.").arg(engineWords);
    case SQLITE_FULL:
        return QStringLiteral("The disk is full: the row cannot be stored.");
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
        return QStringLiteral("The table file cannot be opened.");
    default:
        return QStringLiteral("Table error: %1.").arg(engineWords);
    }
}

// Whether the field (the first argument) holds the text (the second, already folded) with
// the letters a to z folded to A to Z and every other byte as it stands: the one rule of the
// search, the same in every build of the engine.
void ContainsFolded(sqlite3_context* context, int, sqlite3_value** arguments) {
    const auto* field = reinterpret_cast<const char*>(sqlite3_value_text(arguments[0]));
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(arguments[1]));
    if (!field || !text) {
        sqlite3_result_int(context, 0);
        return;
    }
    const char* fieldEnd = field + sqlite3_value_bytes(arguments[0]);
    const char* textEnd = text + sqlite3_value_bytes(arguments[1]);
    const auto equal = [](char stored, char wanted) {
        return (stored >= 'a' && stored <= 'z' ? char(stored - 'a' + 'A') : stored) == wanted;
    };
    sqlite3_result_int(context, std::search(field, fieldEnd, text, textEnd, equal) != fieldEnd ||
                                    text == textEnd);
}

int DeclaredSize(const QString& type) {
    static const QRegularExpression size(QStringLiteral("\\(\\s*(\\d+)\\s*\\)"));
    const QRegularExpressionMatch match = size.match(type);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

const QString ReplacedWhileOpenText =
    QStringLiteral("The table file was replaced while a window still has the one it replaced "
                   "open: close that window, then open the table again.");

const QString MovedText =
    QStringLiteral("The table file was moved, replaced or deleted since it was opened: nothing "
                   "was stored. Close the window and open it again.");

} // namespace

std::shared_ptr<TTableFile> TTableFile::Open(const QString& path) {
    const QString key = RegistryKey(path);
    if (auto open = OpenFiles()[key].lock()) {
        if (open->PathNamesOpenedFile())
            return open;
        // The cursors that have a file that was moved away or replaced keep browsing it.
        // The file now at the path waits until they close it: both would take the log
        // files beside the path for their own, and the one would read the other's rows.
        if (QFileInfo::exists(path))
            throw TDataError(ReplacedWhileOpenText, TDataError::TSubject::File, path);
    }
    std::shared_ptr<TTableFile> file(new TTableFile(path));
    file->Connect();
    OpenFiles()[key] = file;
    return file;
}

bool TTableFile::InUse(const QString& path) {
    const auto found = OpenFiles().find(RegistryKey(path));
    return found != OpenFiles().end() && !found->second.expired();
}

TTableFile::TTableFile(QString path)
    : FilePath(std::move(path)) {}

TTableFile::~TTableFile() {
    DataVersionQuery = {};
    BlockQuery = {};
    BackwardBlockQuery = {};
    InsertStatement = {};
    DeleteStatement = {};
    sqlite3_close_v2(Connection);
}

void TTableFile::Connect() {
    if (const int result = sqlite3_initialize(); result != SQLITE_OK)
        throw TDataError(QString::asprintf("An error occurred while attempting to initialize the "
                                           "database engine (error $%.4x)",
                                           unsigned(result)));
    const QFileInfo info(FilePath);
    if (!info.exists())
        Fail(QStringLiteral("Table does not exist."));
    if (!info.isFile())
        Fail(QStringLiteral("The path is a folder, not a table file."));

    const QString uri = QUrl::fromLocalFile(info.absoluteFilePath()).toString(QUrl::FullyEncoded);
    const TWriteAccess access = WriteAccessOf(FilePath);
    if (access.ReadOnlyReason)
        ReadOnlyReason.emplace(*access.ReadOnlyReason);
    // A file on a medium nobody can write cannot change: it is read as it stands, without
    // the log's shared-memory file that could not be made there.
    Immutable = access.ReadOnlyMedium;
    if (!ReadOnlyReason) {
        OpenConnection(uri, SQLITE_OPEN_READWRITE);
    } else if (Immutable) {
        OpenConnection(uri + QStringLiteral("?immutable=1"), SQLITE_OPEN_READONLY);
    } else {
        try {
            OpenConnection(uri, SQLITE_OPEN_READONLY);
        } catch (const TDataError&) {
            // A folder this user may not write holds no shared-memory file for reading the
            // log: the file is read as it stands, and what another user writes meanwhile
            // shows when the table is opened again.
            if (access.FolderWritable)
                throw;
            Immutable = true;
            OpenConnection(uri + QStringLiteral("?immutable=1"), SQLITE_OPEN_READONLY);
        }
    }
    IdentityOf(FilePath, OpenedDevice, OpenedInode);
}

bool TTableFile::PathNamesOpenedFile() const {
    quint64 device = 0;
    quint64 inode = 0;
    return IdentityOf(FilePath, device, inode) && device == OpenedDevice && inode == OpenedInode;
}

// Rows written now would go to a file nobody finds by its name any more, or over the one
// that replaced it when the log is written back.
void TTableFile::RequireOpenedFile() const {
    if (!PathNamesOpenedFile())
        Fail(MovedText);
}

void TTableFile::OpenConnection(const QString& uri, int flags) {
    sqlite3_close_v2(Connection);
    Connection = nullptr;
    LogFile = nullptr;
    SharedHeader = nullptr;
    // Only the thread that opened a table uses it, so the connection needs no lock of its
    // own around every call.
    if (const int result = sqlite3_open_v2(uri.toUtf8().constData(), &Connection,
                                           flags | SQLITE_OPEN_URI | SQLITE_OPEN_NOMUTEX, nullptr);
        result != SQLITE_OK)
        Fail(result);
    sqlite3_extended_result_codes(Connection, 1);
    sqlite3_busy_timeout(Connection, BusyTimeoutMs);
    if (const int result = sqlite3_create_function_v2(
            Connection, "contains_folded", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
            nullptr, ContainsFolded, nullptr, nullptr, nullptr);
        result != SQLITE_OK)
        Fail(result);
    Execute("PRAGMA synchronous=FULL");
    // Zeroing every freed page would make emptying the staging table write it whole again;
    // the engine still clears deleted rows inside the pages it writes anyway.
    Execute("PRAGMA secure_delete=FAST");
    ReadSchema();
    TSqliteStatement journal;
    sqlite3_file* file = nullptr;
    if (journal.Prepare(Connection, "PRAGMA journal_mode") == SQLITE_OK &&
        journal.Step() == SQLITE_ROW &&
        journal.ColumnText(0).compare(QLatin1String("wal"), Qt::CaseInsensitive) == 0 &&
        sqlite3_file_control(Connection, "main", SQLITE_FCNTL_FILE_POINTER, &file) == SQLITE_OK &&
        file && file->pMethods && file->pMethods->iVersion >= 2)
        LogFile = file;
    SharedHeaderUnchanged();
    LastDataVersion = DataVersion();
    ReadRowMap();
}

void TTableFile::ReadSchema() {
    SchemaVersion = SingleValue("PRAGMA schema_version");
    FieldPresent = {};
    FieldSizes = {};
    TSqliteStatement kind;
    int result = kind.Prepare(Connection, "SELECT type, sql FROM sqlite_schema "
                                          "WHERE lower(name) = 'records'");
    if (result != SQLITE_OK)
        Fail(result);
    if ((result = kind.Step()) != SQLITE_ROW) {
        if (result != SQLITE_DONE)
            Fail(result);
        Fail(QStringLiteral("The file holds no catalog table (no table 'records')."));
    }
    if (kind.ColumnText(0) != QLatin1String("table"))
        Fail(QStringLiteral("The catalog 'records' is a %1, not a table: its rows cannot be "
                            "kept apart.")
                 .arg(kind.ColumnText(0)));

    TSqliteStatement columns;
    if ((result = columns.Prepare(Connection, "PRAGMA table_info(records)")) != SQLITE_OK)
        Fail(result);
    while ((result = columns.Step()) == SQLITE_ROW) {
        const QString name = columns.ColumnText(1);
        // A column of its own called rowid hides the row numbers every move relies on,
        // unless it is the integer key that is the row number.
        const bool rowNumberKey =
            columns.ColumnText(2).compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0 &&
            columns.ColumnInt64(5) == 1;
        if (name.compare(QLatin1String("rowid"), Qt::CaseInsensitive) == 0 && !rowNumberKey)
            Fail(QStringLiteral("The catalog table has a column of its own named 'rowid': "
                                "its rows cannot be told apart."));
        for (int field = 0; field < CatalogFieldCount; ++field) {
            if (name.compare(QLatin1String(CatalogFields[size_t(field)].Name),
                             Qt::CaseInsensitive) == 0) {
                FieldPresent[size_t(field)] = true;
                FieldSizes[size_t(field)] = DeclaredSize(columns.ColumnText(2));
            }
        }
    }
    if (result != SQLITE_DONE)
        Fail(result);
    TSqliteStatement rowNumbers;
    if (rowNumbers.Prepare(Connection, "SELECT rowid FROM records LIMIT 0") != SQLITE_OK)
        Fail(QStringLiteral("The catalog table has no row numbers (it was made without "
                            "rowid): its rows cannot be told apart."));
}

QString TTableFile::MissingField() const {
    for (int field = 0; field < CatalogFieldCount; ++field)
        if (!FieldPresent[size_t(field)])
            return QString::fromLatin1(CatalogFields[size_t(field)].Name);
    return {};
}

void TTableFile::NoticeOtherWriters() {
    if (Immutable || Bulk == TBulk::Open || (SchemaSound && SharedHeaderUnchanged()))
        return;
    const qint64 version = DataVersion();
    if (SchemaSound && version == LastDataVersion)
        return;
    // Another program may have rebuilt the table meanwhile: a view of the same name or a
    // column dropped fails here as opening such a file does.
    if (!SchemaSound || SingleValue("PRAGMA schema_version") != SchemaVersion) {
        SchemaSound = false;
        ReadSchema();
        if (const QString missing = MissingField(); !missing.isEmpty())
            Fail(QStringLiteral("Field '%1' not found").arg(missing));
        SchemaSound = true;
    }
    LastDataVersion = version;
    ReadRowMap();
}

// Asking the engine costs a few microseconds, too much before every step of a walk through
// a million rows. The log's shared index starts with a header that every commit, from any
// program, rewrites: while it is unchanged nobody has committed. Returns false when it
// changed (and remembers it) or cannot be looked at; the engine is asked then.
bool TTableFile::SharedHeaderUnchanged() {
    if (!SharedHeader) {
        // The engine maps the index once and keeps it for as long as the connection is open:
        // no other program can take the file out of write-ahead logging meanwhile.
        volatile void* region = nullptr;
        if (!LogFile || LogFile->pMethods->xShmMap(LogFile, 0, 32768, 0, &region) != SQLITE_OK)
            return false;
        SharedHeader = static_cast<const volatile quint64*>(region);
        if (!SharedHeader)
            return false;
    }
    std::array<quint64, 6> header{};
    for (size_t word = 0; word < header.size(); ++word)
        header[word] = SharedHeader[word];
    if (header == SeenSharedHeader)
        return true;
    SeenSharedHeader = header;
    return false;
}

qint64 TTableFile::DataVersion() {
    PrepareOnce(DataVersionQuery, "PRAGMA data_version");
    const int result = DataVersionQuery.Step();
    if (result != SQLITE_ROW) {
        DataVersionQuery.Reset();
        Fail(result);
    }
    const qint64 version = DataVersionQuery.ColumnInt64(0);
    DataVersionQuery.Reset();
    return version;
}

qint64 TTableFile::SingleValue(const QByteArray& sql) const {
    TSqliteStatement query;
    int result = query.Prepare(Connection, sql.constData());
    if (result == SQLITE_OK && (result = query.Step()) == SQLITE_ROW)
        return query.ColumnInt64(0);
    Fail(result);
}

void TTableFile::ReadRowMap() {
    const qint64 count = SingleValue("SELECT count(*) FROM records");
    const qint64 first = count ? SingleValue("SELECT min(rowid) FROM records") : 1;
    const qint64 last = count ? SingleValue("SELECT max(rowid) FROM records") : 0;
    if (last - first + 1 == count)
        RowMap.SetRun(first, count);
    else
        RowMap.SetEnds(first, last, count);
    Damage.clear();
    ForgetCachedRows();
}

void TTableFile::ListRowIds() {
    std::vector<qint64> rowIds;
    rowIds.reserve(size_t(RowMap.Count()));
    TSqliteStatement query;
    int result = query.Prepare(Connection, "SELECT rowid FROM records ORDER BY rowid");
    if (result != SQLITE_OK)
        Fail(result);
    while ((result = query.Step()) == SQLITE_ROW)
        rowIds.push_back(query.ColumnInt64(0));
    if (result != SQLITE_DONE)
        Fail(result);
    RowMap.SetRowIds(std::move(rowIds));
}

qint64 TTableFile::RowIdAt(qint64 recordNumber) {
    if (!RowMap.Knows(recordNumber)) {
        for (const TBlock& block : Blocks) {
            const qint64 offset = recordNumber - block.FirstRecord;
            if (offset >= 0 && offset < block.Size())
                return (*block.Rows)[size_t(offset)].RowId;
        }
        ListRowIds();
    }
    return RowMap.RowIdAt(recordNumber);
}

qint64 TTableFile::RecordNumberOf(qint64 rowId) {
    if (!RowMap.KnowsRowId(rowId)) {
        for (const TBlock& block : Blocks) {
            if (block.Size() == 0 || rowId < block.Rows->front().RowId ||
                rowId > block.Rows->back().RowId)
                continue;
            const auto found = std::lower_bound(
                block.Rows->begin(), block.Rows->end(), rowId,
                [](const TStoredRow& row, qint64 wanted) { return row.RowId < wanted; });
            return block.FirstRecord + (found - block.Rows->begin());
        }
        ListRowIds();
    }
    return RowMap.RecordNumberOf(rowId);
}

void TTableFile::ForgetCachedRows() {
    for (TBlock& block : Blocks)
        block = {};
    ++RowsGeneration;
}

// The engine folds each field as the text is folded here and looks for the text in it, so
// it skips the rows that do not match without handing each one over. Any length goes: a
// text is never a pattern.
qint64 TTableFile::FirstRowContaining(int field, const QString& text, qint64 fromRowId) {
    QString folded = text;
    for (QChar& character : folded)
        if (character >= u'a' && character <= u'z')
            character = QChar(character.unicode() - u'a' + u'A');
    const QByteArray sql = "SELECT rowid FROM records WHERE rowid >= ?1 AND contains_folded(" +
                           QuotedField(field) + ", ?2) ORDER BY rowid LIMIT 1";
    TSqliteStatement query;
    int result = query.Prepare(Connection, sql.constData());
    if (result != SQLITE_OK)
        Fail(result);
    const QByteArray utf8 = folded.toUtf8();
    query.BindInt64(1, fromRowId);
    query.BindText(2, utf8);
    result = query.Step();
    if (result == SQLITE_ROW)
        return query.ColumnInt64(0);
    if (result != SQLITE_DONE)
        Fail(result);
    return 0;
}

std::shared_ptr<const TStoredRow> TTableFile::Row(qint64 recordNumber) {
    if (recordNumber < 1 || recordNumber > RowMap.Count())
        Fail(QStringLiteral("Record %1 is outside the table's %2 rows.")
                 .arg(recordNumber)
                 .arg(RowMap.Count()));
    const TBlock* found = nullptr;
    for (const TBlock& block : Blocks)
        if (recordNumber >= block.FirstRecord && recordNumber < block.FirstRecord + block.Size())
            found = &block;
    if (!found) {
        // Blocks start at multiples of BlockRows, so a walk in either direction reuses them.
        ReadBlock((recordNumber - 1) / BlockRows * BlockRows + 1);
        found = &Blocks[(NextBlock + Blocks.size() - 1) % Blocks.size()];
    }
    // Shares the block, so the row outlives the cache without being copied.
    return {found->Rows, &(*found->Rows)[size_t(recordNumber - found->FirstRecord)]};
}

// Reads the rows from `firstRecord` on into the next block. The rows come back by rowid, so
// the rowids the map expects are checked: a table changed between the look for other
// writers and this read is read again rather than shown at the wrong place, and rows that
// disagree with a map read afresh while nobody committed show that the file is damaged.
void TTableFile::ReadBlock(qint64 firstRecord) {
    std::vector<TStoredRow> read;
    if (!ReadRowsAsMapped(firstRecord, read)) {
        // The next look for other writers reads the schema again if someone committed.
        const qint64 version = DataVersion();
        const bool committed = version != LastDataVersion;
        if (!committed && !Damage.isEmpty())
            Fail(Damage);
        ReadRowMap();
        if (!committed && firstRecord <= RowMap.Count() && !ReadRowsAsMapped(firstRecord, read) &&
            DataVersion() == version)
            Fail(DamageFound());
        Fail(QStringLiteral("Another program changed the table while it was read; try "
                            "again."));
    }
    TBlock& block = Blocks[NextBlock];
    block.FirstRecord = firstRecord;
    block.Rows = std::make_shared<const std::vector<TStoredRow>>(std::move(read));
    NextBlock = (NextBlock + 1) % Blocks.size();
}

// Reads the rows from `firstRecord` on into `read`; false when they are not the rows the
// map expects there.
bool TTableFile::ReadRowsAsMapped(qint64 firstRecord, std::vector<TStoredRow>& read) {
    const qint64 rows = std::min<qint64>(BlockRows, RowMap.Count() - firstRecord + 1);
    // A walk reads the next block after the last rowid it has, and the last block is read
    // back from the last row, so a table with gaps is walked without listing every rowid.
    qint64 fromRowId = 0;
    for (const TBlock& block : Blocks)
        if (block.Size() > 0 && block.FirstRecord + block.Size() == firstRecord)
            fromRowId = block.Rows->back().RowId + 1;
    const bool backward =
        !fromRowId && !RowMap.Knows(firstRecord) && firstRecord + rows - 1 == RowMap.Count();
    TSqliteStatement& query = backward ? BackwardBlockQuery : BlockQuery;
    static const QByteArray forwardSql =
        "SELECT rowid, " + FieldList() + " FROM records WHERE rowid >= ?1 ORDER BY rowid LIMIT ?2";
    static const QByteArray backwardSql = "SELECT rowid, " + FieldList() +
                                          " FROM records WHERE rowid <= ?1 ORDER BY rowid DESC "
                                          "LIMIT ?2";
    PrepareOnce(BlockQuery, forwardSql.constData());
    PrepareOnce(BackwardBlockQuery, backwardSql.constData());
    query.BindInt64(1, backward    ? RowMap.RowIdAt(RowMap.Count())
                       : fromRowId ? fromRowId
                                   : RowIdAt(firstRecord));
    query.BindInt64(2, rows);
    read.clear();
    read.reserve(size_t(rows));
    int result = SQLITE_OK;
    while ((result = query.Step()) == SQLITE_ROW) {
        TStoredRow& row = read.emplace_back();
        row.RowId = query.ColumnInt64(0);
        std::shared_ptr<TStoredValues> stored;
        for (int field = 0; field < CatalogFieldCount; ++field) {
            const int column = field + 1;
            QString& shown = row.Values[size_t(field)];
            // What is stored beside the text shown for it: text that is not UTF-8 (or starts
            // with a byte order mark, which the text shown drops), a number, NULL, a blob.
            const bool text = query.ColumnType(column) == SQLITE_TEXT;
            if (text) {
                const QByteArrayView bytes = query.ColumnBytes(column);
                shown = QString::fromUtf8(bytes);
                const bool byteOrderMark =
                    bytes.size() >= 3 && bytes[0] == '\xEF' && bytes.startsWith("\xEF\xBB\xBF");
                if (!byteOrderMark && !shown.contains(QChar::ReplacementCharacter))
                    continue;
            }
            if (!stored)
                stored = std::make_shared<TStoredValues>();
            TStoredValue& value = (*stored)[size_t(field)];
            value = query.ColumnValue(column);
            if (!text)
                shown = value.Kind == TStoredValue::TKind::Blob ? QString::fromUtf8(value.Bytes)
                                                                : query.ColumnText(column);
        }
        row.Stored = std::move(stored);
    }
    query.Reset();
    if (result != SQLITE_DONE)
        Fail(result);
    if (backward)
        std::reverse(read.begin(), read.end());

    bool asExpected = qint64(read.size()) == rows;
    for (qint64 offset = 0; asExpected && offset < rows; ++offset)
        if (RowMap.Knows(firstRecord + offset))
            asExpected = RowMap.RowIdAt(firstRecord + offset) == read[size_t(offset)].RowId;
    return asExpected;
}

// The engine's own words on what is wrong with the file, kept until the rows are read anew.
QString TTableFile::DamageFound() {
    TSqliteStatement check;
    QStringList findings;
    int result = check.Prepare(Connection, "PRAGMA quick_check(3)");
    if (result != SQLITE_OK)
        Fail(result);
    while ((result = check.Step()) == SQLITE_ROW)
        findings << check.ColumnText(0).split(u'\n');
    if (result != SQLITE_DONE)
        Fail(result);
    findings.removeAll(QStringLiteral("*** in database main ***"));
    Damage = findings == QStringList(QStringLiteral("ok"))
                 ? QStringLiteral("The table file is damaged: its rows disagree with its row "
                                  "count.")
                 : QStringLiteral("The table file is damaged: %1.").arg(findings.join(u"; "));
    return Damage;
}

template <typename Write> void TTableFile::WriteInTransaction(Write&& write) {
    if (Bulk == TBulk::Aborted)
        throw TDataError(QStringLiteral("The rows of this bulk work were not stored, nor is "
                                        "anything after them: "),
                         *BulkAbortCause);
    if (Bulk == TBulk::Open) {
        try {
            write();
        } catch (const TDataError& error) {
            // All or none: the engine may already have rolled the whole work back (a full
            // disk), and nothing after a failure may be committed on its own.
            AbortBulk(error);
            throw;
        }
        return;
    }
    RequireOpenedFile();
    Execute("BEGIN IMMEDIATE");
    try {
        NoticeOtherWriters();
        write();
        Execute("COMMIT");
    } catch (...) {
        sqlite3_exec(Connection, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

TStoredRow TTableFile::InsertRow(const TFieldValues& values) {
    static const QByteArray sql =
        "INSERT INTO records (" + FieldList() + ") VALUES (" + FieldParameters() + ")";
    PrepareOnce(InsertStatement, sql.constData());
    TStoredRow row{0, values, {}};
    WriteInTransaction([&] {
        std::array<QByteArray, CatalogFieldCount> utf8;
        for (int field = 0; field < CatalogFieldCount; ++field) {
            utf8[size_t(field)] = values[size_t(field)].toUtf8();
            InsertStatement.BindText(field + 1, utf8[size_t(field)]);
        }
        StepWrite(InsertStatement);
        row.RowId = sqlite3_last_insert_rowid(Connection);
    });
    if (!RowMap.Add(row.RowId))
        ListRowIds();
    // A row added after the last leaves every other row where it was: the cached rows stay.
    if (RecordNumberOf(row.RowId) == RowMap.Count())
        ++RowsGeneration;
    else
        ForgetCachedRows();
    return row;
}

// The row is matched on its rowid and on every value exactly as it was stored when read,
// so a rowid that another program freed and used again for a new row is never taken for
// the old one. `first` is the number of the rowid's parameter; the four values follow it.
static QByteArray RowAsSeen(int first) {
    QByteArray condition = "rowid = ?" + QByteArray::number(first);
    for (int field = 0; field < CatalogFieldCount; ++field)
        condition += " AND " + QuotedField(field) + " IS ?" + QByteArray::number(first + 1 + field);
    return condition;
}

// Steps `statement`, whose condition is RowAsSeen(first), on the row `seen`; fails saying
// `notDone` when that row is gone or was changed since it was read.
void TTableFile::StepOnRowAsSeen(TSqliteStatement& statement, int first, const TStoredRow& seen,
                                 const QString& notDone) {
    std::array<QByteArray, CatalogFieldCount> utf8;
    statement.BindInt64(first, seen.RowId);
    static const TStoredValues shown;
    const TStoredValues& stored = seen.Stored ? *seen.Stored : shown;
    for (int field = 0; field < CatalogFieldCount; ++field) {
        utf8[size_t(field)] = seen.Values[size_t(field)].toUtf8();
        statement.BindValue(first + 1 + field, stored[size_t(field)], utf8[size_t(field)]);
    }
    StepWrite(statement);
    if (sqlite3_changes(Connection) == 0)
        Fail(QStringLiteral("The row was deleted or changed by another program or window "
                            "since it was read, so %1")
                 .arg(notDone));
}

TStoredRow TTableFile::UpdateRow(const TStoredRow& seen, const TFieldValues& values) {
    TStoredRow row = seen;
    TStoredValues stored = seen.Stored ? *seen.Stored : TStoredValues();
    std::array<QByteArray, CatalogFieldCount> utf8;
    std::array<bool, CatalogFieldCount> changed{};
    QByteArray assignments;
    for (int field = 0; field < CatalogFieldCount; ++field) {
        changed[size_t(field)] = values[size_t(field)] != seen.Values[size_t(field)];
        if (!changed[size_t(field)])
            continue;
        row.Values[size_t(field)] = values[size_t(field)];
        stored[size_t(field)] = {};
        utf8[size_t(field)] = values[size_t(field)].toUtf8();
        assignments += (assignments.isEmpty() ? "" : ", ") + QuotedField(field) + " = ?" +
                       QByteArray::number(CatalogFieldCount + 2 + field);
    }
    if (assignments.isEmpty())
        return row;
    if (seen.Stored)
        row.Stored = std::make_shared<const TStoredValues>(stored);
    WriteInTransaction([&] {
        TSqliteStatement update;
        if (const int result = update.Prepare(
                Connection,
                ("UPDATE records SET " + assignments + " WHERE " + RowAsSeen(1)).constData());
            result != SQLITE_OK)
            Fail(result);
        for (int field = 0; field < CatalogFieldCount; ++field)
            if (changed[size_t(field)])
                update.BindText(CatalogFieldCount + 2 + field, utf8[size_t(field)]);
        StepOnRowAsSeen(update, 1, seen,
                        QStringLiteral("the edit was not stored. Cancel the edit to see the row "
                                       "as it is now."));
    });
    ForgetCachedRows();
    return row;
}

void TTableFile::DeleteRow(const TStoredRow& seen) {
    static const QByteArray sql = "DELETE FROM records WHERE " + RowAsSeen(1);
    PrepareOnce(DeleteStatement, sql.constData());
    WriteInTransaction([&] {
        StepOnRowAsSeen(DeleteStatement, 1, seen,
                        QStringLiteral("it was not deleted. Refresh to see the table as it is "
                                       "now."));
    });
    if (!RowMap.Remove(seen.RowId))
        ListRowIds();
    ForgetCachedRows();
}

void TTableFile::DeleteAllRows() {
    // An empty table needs no write: emptying it again costs no commit and no disk wait.
    NoticeOtherWriters();
    if (RowMap.Count() == 0)
        return;
    WriteInTransaction([&] { Execute("DELETE FROM records"); });
    RowMap.SetRun(1, 0);
    ForgetCachedRows();
}

qint64 TTableFile::AppendRowsOf(const QString& source) {
    if (Bulk != TBulk::None)
        Fail(QStringLiteral("Rows of another table cannot be appended inside bulk work."));
    TSqliteStatement attach;
    if (const int result = attach.Prepare(Connection, "ATTACH DATABASE ?1 AS source");
        result != SQLITE_OK)
        Fail(result);
    const QByteArray sourceUri = QUrl::fromLocalFile(QFileInfo(source).absoluteFilePath())
                                     .toString(QUrl::FullyEncoded)
                                     .toUtf8() +
                                 "?mode=ro";
    attach.BindText(1, sourceUri);
    if (const int result = attach.Step(); result != SQLITE_DONE) {
        throw TDataError(EngineText(result, Connection), TDataError::TSubject::File, source);
    }
    // Each value is cut as a cursor cuts it: to the field's size in characters.
    QByteArray values;
    for (int field = 0; field < CatalogFieldCount; ++field) {
        const QByteArray name = QuotedField(field);
        values +=
            (field ? ", " : "") + (FieldSizes[size_t(field)] > 0
                                       ? "substr(coalesce(" + name + ", ''), 1, " +
                                             QByteArray::number(FieldSizes[size_t(field)]) + ")"
                                       : "coalesce(" + name + ", '')");
    }
    qint64 appended = 0;
    qint64 lastBefore = 0;
    bool followOn = false;
    try {
        WriteInTransaction([&] {
            lastBefore = SingleValue("SELECT coalesce(max(rowid), 0) FROM records");
            Execute(("INSERT INTO main.records (" + FieldList() + ") SELECT " + values +
                     " FROM source.records ORDER BY rowid")
                        .constData());
            appended = sqlite3_changes64(Connection);
            // The engine's usual rowids follow on from the last row; only then can the map
            // grow by a run instead of counting a million rows again.
            followOn =
                lastBefore <= std::numeric_limits<qint64>::max() - appended &&
                SingleValue("SELECT count(*) FROM records WHERE rowid > " +
                            QByteArray::number(lastBefore)) == appended &&
                SingleValue("SELECT coalesce(max(rowid), 0) FROM records") == lastBefore + appended;
        });
    } catch (...) {
        sqlite3_exec(Connection, "DETACH DATABASE source", nullptr, nullptr, nullptr);
        throw;
    }
    sqlite3_exec(Connection, "DETACH DATABASE source", nullptr, nullptr, nullptr);
    bool added = followOn;
    for (qint64 offset = 1; added && offset <= appended; ++offset)
        added = RowMap.Add(lastBefore + offset);
    if (added)
        ++RowsGeneration; // the rows before stay where they were, and so do the cached ones
    else
        ReadRowMap();
    return appended;
}

void TTableFile::BeginBulk() {
    RequireOpenedFile();
    Execute("BEGIN IMMEDIATE");
    try {
        NoticeOtherWriters();
    } catch (...) {
        sqlite3_exec(Connection, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    Bulk = TBulk::Open;
}

void TTableFile::CommitBulk() {
    if (Bulk != TBulk::Aborted) {
        // A file moved or replaced meanwhile gets nothing, like a commit the engine refuses.
        QString cause;
        if (!PathNamesOpenedFile())
            cause = MovedText;
        else if (const int result = sqlite3_exec(Connection, "COMMIT", nullptr, nullptr, nullptr);
                 result != SQLITE_OK)
            cause = EngineText(result, Connection);
        if (!cause.isEmpty())
            AbortBulk(TDataError(cause, TDataError::TSubject::File, FilePath));
    }
    if (Bulk == TBulk::Aborted)
        throw TDataError(QStringLiteral("Nothing of this bulk work was stored: "), *BulkAbortCause);
    Bulk = TBulk::None;
}

void TTableFile::AbortBulk(const TDataError& cause) {
    sqlite3_exec(Connection, "ROLLBACK", nullptr, nullptr, nullptr);
    Bulk = TBulk::Aborted;
    BulkAbortCause.emplace(cause);
    ReadRowMap();
}

void TTableFile::RollbackBulk() {
    const bool open = Bulk == TBulk::Open;
    Bulk = TBulk::None;
    BulkAbortCause.reset();
    if (!open)
        return;
    sqlite3_exec(Connection, "ROLLBACK", nullptr, nullptr, nullptr);
    ReadRowMap();
}

void TTableFile::Execute(const char* sql) {
    if (const int result = sqlite3_exec(Connection, sql, nullptr, nullptr, nullptr);
        result != SQLITE_OK)
        Fail(result);
}

void TTableFile::PrepareOnce(TSqliteStatement& statement, const char* sql) {
    if (statement.Prepared())
        return;
    if (const int result = statement.Prepare(Connection, sql); result != SQLITE_OK)
        Fail(result);
}

void TTableFile::StepWrite(TSqliteStatement& statement) {
    const int result = statement.Step();
    statement.Reset();
    if (result != SQLITE_DONE)
        Fail(result);
}

void TTableFile::Fail(int resultCode) const {
    if ((resultCode & 0xff) == SQLITE_READONLY && ReadOnlyReason)
        throw TDataError(*ReadOnlyReason);
    Fail(EngineText(resultCode, Connection));
}

void TTableFile::Fail(const QString& what) const {
    throw TDataError(what, TDataError::TSubject::File, FilePath);
}
