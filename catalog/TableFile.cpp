#include "catalog/TableFile.h"

#include "catalog/DataError.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <map>

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

QString FileMessage(const QString& text, const QString& path) {
    return QStringLiteral("%1\nFile: %2").arg(text, path);
}

QString EngineText(int resultCode, const char* engineMessage) {
    switch (resultCode & 0xff) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("Table is busy: another program is writing to it.");
    case SQLITE_READONLY:
        return QStringLiteral("Table is read-only: the row cannot be stored.");
    case SQLITE_NOTADB:
        return QStringLiteral("The file is not a table file.");
    case SQLITE_CORRUPT:
        return QStringLiteral("The table file is damaged.");
    case SQLITE_FULL:
        return QStringLiteral("The disk is full: the row cannot be stored.");
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
        return QStringLiteral("The table file cannot be opened.");
    default:
        return QStringLiteral("Table error: %1.").arg(QString::fromUtf8(engineMessage));
    }
}

int DeclaredSize(const QString& type) {
    static const QRegularExpression size(QStringLiteral("\\(\\s*(\\d+)\\s*\\)"));
    const QRegularExpressionMatch match = size.match(type);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

} // namespace

std::shared_ptr<TTableFile> TTableFile::Open(const QString& path) {
    const QString key = RegistryKey(path);
    if (auto open = OpenFiles()[key].lock())
        return open;
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
    InsertStatement = {};
    UpdateStatement = {};
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
        throw TDataError(FileMessage(QStringLiteral("Table does not exist."), FilePath));
    if (!info.isFile())
        throw TDataError(
            FileMessage(QStringLiteral("The path is a folder, not a table file."), FilePath));

    // A file without write permission is opened for browsing only, as a read-only file is
    // on other systems; the permission bits decide, so this holds for root as well.
    const auto writable =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    OpenedReadOnly = !(info.permissions() & writable);
    const int flags = OpenedReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
    if (const int result =
            sqlite3_open_v2(FilePath.toUtf8().constData(), &Connection, flags, nullptr);
        result != SQLITE_OK)
        Fail(result);
    sqlite3_extended_result_codes(Connection, 1);
    sqlite3_busy_timeout(Connection, BusyTimeoutMs);
    Execute("PRAGMA synchronous=FULL");
    ReadSchema();
    LastDataVersion = DataVersion();
    ReadRowMap();
}

void TTableFile::ReadSchema() {
    TSqliteStatement columns;
    if (const int result = columns.Prepare(Connection, "PRAGMA table_info(records)");
        result != SQLITE_OK)
        Fail(result);
    bool anyColumn = false;
    int result;
    while ((result = columns.Step()) == SQLITE_ROW) {
        anyColumn = true;
        const QString name = columns.ColumnText(1);
        for (int field = 0; field < CatalogFieldCount; ++field) {
            if (name.compare(QLatin1String(CatalogFieldNames[size_t(field)]),
                             Qt::CaseInsensitive) == 0) {
                FieldPresent[size_t(field)] = true;
                FieldSizes[size_t(field)] = DeclaredSize(columns.ColumnText(2));
            }
        }
    }
    if (result != SQLITE_DONE)
        Fail(result);
    if (!anyColumn)
        throw TDataError(FileMessage(
            QStringLiteral("The file holds no catalog table (no table 'records')."), FilePath));
}

QString TTableFile::MissingField() const {
    for (int field = 0; field < CatalogFieldCount; ++field)
        if (!FieldPresent[size_t(field)])
            return QString::fromLatin1(CatalogFieldNames[size_t(field)]);
    return {};
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

void TTableFile::ReadRowMap() {
    const auto single = [this](const char* sql) {
        TSqliteStatement query;
        int result = query.Prepare(Connection, sql);
        if (result == SQLITE_OK && (result = query.Step()) == SQLITE_ROW)
            return query.ColumnInt64(0);
        Fail(result);
    };
    const qint64 count = single("SELECT count(*) FROM records");
    const qint64 first = count ? single("SELECT min(rowid) FROM records") : 1;
    const qint64 last = count ? single("SELECT max(rowid) FROM records") : 0;
    if (last - first + 1 == count)
        RowMap.SetRun(first, count);
    else
        RowMap.SetEnds(first, last, count);
    RowsChanged();
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
            if (offset >= 0 && offset < qint64(block.RowIds.size()))
                return block.RowIds[size_t(offset)];
        }
        ListRowIds();
    }
    return RowMap.RowIdAt(recordNumber);
}

qint64 TTableFile::RecordNumberOf(qint64 rowId) {
    if (!RowMap.KnowsRowId(rowId))
        ListRowIds();
    return RowMap.RecordNumberOf(rowId);
}

void TTableFile::NoticeOtherWriters() {
    const qint64 version = DataVersion();
    if (version == LastDataVersion)
        return;
    LastDataVersion = version;
    ReadRowMap();
}

void TTableFile::ForgetCachedRows() {
    for (TBlock& block : Blocks)
        if (!block.Rows.empty())
            block = {};
}

void TTableFile::RowsChanged() {
    ++RowsGeneration;
    ForgetCachedRows();
}

const TFieldValues& TTableFile::Row(qint64 recordNumber) {
    for (const TBlock& block : Blocks) {
        const qint64 offset = recordNumber - block.FirstRecord;
        if (offset >= 0 && offset < qint64(block.Rows.size()))
            return block.Rows[size_t(offset)];
    }
    // Blocks start at multiples of BlockRows, so a walk in either direction reuses them.
    const qint64 firstRecord = (recordNumber - 1) / BlockRows * BlockRows + 1;
    const qint64 firstRowId = RowIdAt(firstRecord);
    TBlock& block = Blocks[NextBlock];
    NextBlock = (NextBlock + 1) % Blocks.size();
    block.FirstRecord = firstRecord;
    const qint64 rows = std::min<qint64>(BlockRows, RowMap.Count() - firstRecord + 1);
    block.Rows.assign(size_t(rows), TFieldValues{});
    block.RowIds.assign(size_t(rows), 0);

    PrepareOnce(BlockQuery, "SELECT rowid, \"Label\", \"Directory\", \"File\", \"Coments\" "
                            "FROM records WHERE rowid >= ?1 ORDER BY rowid LIMIT ?2");
    BlockQuery.BindInt64(1, firstRowId);
    BlockQuery.BindInt64(2, rows);
    int result;
    size_t row = 0;
    while ((result = BlockQuery.Step()) == SQLITE_ROW && row < block.Rows.size()) {
        block.RowIds[row] = BlockQuery.ColumnInt64(0);
        for (int field = 0; field < CatalogFieldCount; ++field)
            block.Rows[row][size_t(field)] = BlockQuery.ColumnText(field + 1);
        ++row;
    }
    BlockQuery.Reset();
    if (result != SQLITE_ROW && result != SQLITE_DONE) {
        block = {};
        Fail(result);
    }
    return block.Rows[size_t(recordNumber - block.FirstRecord)];
}

template <typename Write> void TTableFile::WriteInTransaction(Write&& write) {
    if (InBulk) {
        write();
        return;
    }
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

qint64 TTableFile::InsertRow(const TFieldValues& values) {
    PrepareOnce(InsertStatement, "INSERT INTO records (\"Label\", \"Directory\", \"File\", "
                                 "\"Coments\") VALUES (?1, ?2, ?3, ?4)");
    qint64 rowId = 0;
    WriteInTransaction([&] {
        std::array<QByteArray, CatalogFieldCount> utf8;
        for (int field = 0; field < CatalogFieldCount; ++field) {
            utf8[size_t(field)] = values[size_t(field)].toUtf8();
            InsertStatement.BindText(field + 1, utf8[size_t(field)]);
        }
        StepWrite(InsertStatement);
        rowId = sqlite3_last_insert_rowid(Connection);
    });
    if (!RowMap.Add(rowId))
        ListRowIds();
    RowsChanged();
    return rowId;
}

void TTableFile::UpdateRow(qint64 rowId, const TFieldValues& values) {
    PrepareOnce(UpdateStatement, "UPDATE records SET \"Label\" = ?1, \"Directory\" = ?2, "
                                 "\"File\" = ?3, \"Coments\" = ?4 WHERE rowid = ?5");
    WriteInTransaction([&] {
        std::array<QByteArray, CatalogFieldCount> utf8;
        for (int field = 0; field < CatalogFieldCount; ++field) {
            utf8[size_t(field)] = values[size_t(field)].toUtf8();
            UpdateStatement.BindText(field + 1, utf8[size_t(field)]);
        }
        UpdateStatement.BindInt64(5, rowId);
        StepWrite(UpdateStatement);
        if (sqlite3_changes(Connection) == 0)
            throw TDataError(FileMessage(
                QStringLiteral("The row being edited was deleted meanwhile; cancel the edit."),
                FilePath));
    });
    RowsChanged();
}

void TTableFile::DeleteRow(qint64 rowId) {
    PrepareOnce(DeleteStatement, "DELETE FROM records WHERE rowid = ?1");
    WriteInTransaction([&] {
        DeleteStatement.BindInt64(1, rowId);
        StepWrite(DeleteStatement);
    });
    if (!RowMap.Remove(rowId))
        ListRowIds();
    RowsChanged();
}

void TTableFile::DeleteAllRows() {
    WriteInTransaction([&] { Execute("DELETE FROM records"); });
    RowMap.SetRun(1, 0);
    RowsChanged();
}

void TTableFile::BeginBulk() {
    Execute("BEGIN IMMEDIATE");
    InBulk = true;
    NoticeOtherWriters();
}

void TTableFile::CommitBulk() {
    Execute("COMMIT");
    InBulk = false;
}

void TTableFile::RollbackBulk() {
    InBulk = false;
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
    const char* engineMessage =
        Connection ? sqlite3_errmsg(Connection) : sqlite3_errstr(resultCode);
    throw TDataError(FileMessage(EngineText(resultCode, engineMessage), FilePath));
}
