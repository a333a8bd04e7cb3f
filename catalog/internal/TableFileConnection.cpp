#include "catalog/internal/TableFile.h"

#include "catalog/BusyTimeout.h"
#include "catalog/internal/CatalogConnection.h"
#include "catalog/internal/WriteAccess.h"

#include <QFileInfo>
#include <QUrl>
#include <map>

namespace {

std::map<QString, std::weak_ptr<TTableFile>>& OpenFiles() {
    static std::map<QString, std::weak_ptr<TTableFile>> files;
    return files;
}

QString RegistryKey(const QString& path) {
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

const QString ReplacedWhileOpenText =
    QStringLiteral("The table file was replaced while a window still has the one it replaced "
                   "open: close that window, then open the table again.");

} // namespace

const QString TTableFile::MovedText =
    QStringLiteral("The table file was moved, replaced or deleted since it was opened: nothing "
                   "was stored. Close the window and open it again.");

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
    FindStatements = {};
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
    sqlite3_busy_timeout(Connection, BusyTimeout());
    RegisterSearch();
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
    LookForSearchIndex();
}

QString TTableFile::MissingField() const {
    for (int field = 0; field < CatalogFieldCount; ++field)
        if (!FieldPresent[size_t(field)])
            return QString::fromLatin1(CatalogFields[size_t(field)].Name);
    return {};
}

qint64 TTableFile::SingleValue(const QByteArray& sql) const {
    TSqliteStatement query;
    int result = query.Prepare(Connection, sql.constData());
    if (result == SQLITE_OK && (result = query.Step()) == SQLITE_ROW)
        return query.ColumnInt64(0);
    Fail(result);
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

QString TTableFile::EngineText(int resultCode) const {
    return ::EngineText(Connection, resultCode);
}

void TTableFile::Fail(int resultCode) const {
    if ((resultCode & 0xff) == SQLITE_READONLY && ReadOnlyReason)
        throw TDataError(*ReadOnlyReason);
    Fail(EngineText(resultCode));
}

void TTableFile::Fail(const QString& what) const {
    throw TDataError(what, TDataError::TSubject::File, FilePath);
}
