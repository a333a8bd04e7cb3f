#include "catalog/internal/CatalogConnection.h"

#include "catalog/BusyTimeout.h"
#include "catalog/DataError.h"
#include "catalog/internal/WriteAccess.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>
#include <cerrno>
#include <sys/stat.h>

bool IdentityOf(const QString& path, quint64& device, quint64& inode) {
    struct stat info {};
    if (stat(QFile::encodeName(path).constData(), &info) != 0)
        return false;
    device = info.st_dev;
    inode = info.st_ino;
    return true;
}

int DeclaredSize(const QString& type) {
    static const QRegularExpression size(QStringLiteral("\\(\\s*(\\d+)\\s*\\)"));
    const QRegularExpressionMatch match = size.match(type);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

QString EngineText(sqlite3* connection, int resultCode) {
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

TCatalogConnection::TCatalogConnection(const QString& path, TAccess access)
    : FilePath(path) {
    const QFileInfo info(path);
    if (!info.isFile())
        Fail(QStringLiteral("Table does not exist."));
    const TWriteAccess rights = WriteAccessOf(path);
    if (rights.ReadOnlyReason) {
        if (access == TAccess::Write)
            throw TDataError(*rights.ReadOnlyReason);
        ReadOnlyReason.emplace(*rights.ReadOnlyReason);
    } else if (access == TAccess::AsAllowed) {
        access = TAccess::Write;
    }
    QString uri = QUrl::fromLocalFile(info.absoluteFilePath()).toString(QUrl::FullyEncoded);
    // A file nobody can change, or whose folder cannot take the log's shared-memory file,
    // is read as it stands.
    if (rights.ReadOnlyMedium || (rights.ReadOnlyReason && !rights.FolderWritable))
        uri += QStringLiteral("?immutable=1");
    const int flags = access == TAccess::Write ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY;
    const int result =
        sqlite3_open_v2(uri.toUtf8().constData(), &Connection, flags | SQLITE_OPEN_URI, nullptr);
    if (result != SQLITE_OK)
        Fail();
    sqlite3_extended_result_codes(Connection, 1);
    sqlite3_busy_timeout(Connection, BusyTimeout());
    if (access == TAccess::Write)
        Execute("PRAGMA synchronous=FULL");
    IdentityOf(path, OpenedDevice, OpenedInode);
}

TCatalogConnection::~TCatalogConnection() {
    sqlite3_close_v2(Connection);
}

void TCatalogConnection::Execute(const char* sql) {
    if (sqlite3_exec(Connection, sql, nullptr, nullptr, nullptr) != SQLITE_OK)
        Fail();
}

qint64 TCatalogConnection::Value(const QByteArray& sql) {
    TSqliteStatement query;
    Prepare(query, sql);
    if (!Step(query))
        Fail(QStringLiteral("The catalogue gave no answer to a question of the program."));
    return query.ColumnInt64(0);
}

void TCatalogConnection::Prepare(TSqliteStatement& statement, const QByteArray& sql) {
    if (statement.Prepare(Connection, sql.constData()) != SQLITE_OK)
        Fail();
}

bool TCatalogConnection::Step(TSqliteStatement& statement) {
    const int result = statement.Step();
    if (result == SQLITE_ROW)
        return true;
    if (result != SQLITE_DONE)
        Fail();
    return false;
}

void TCatalogConnection::Run(TSqliteStatement& statement) {
    const int result = statement.Step();
    statement.Reset();
    if (result != SQLITE_DONE && result != SQLITE_ROW)
        Fail();
}

qint64 TCatalogConnection::DataVersion() {
    return Value("PRAGMA data_version");
}

bool TCatalogConnection::Holds(const char* name) {
    TSqliteStatement query;
    Prepare(query, "SELECT 1 FROM sqlite_schema WHERE name = ?1");
    const QByteArray bound(name);
    query.BindText(1, bound);
    return Step(query);
}

std::array<int, CatalogFieldCount> TCatalogConnection::FieldSizes() {
    std::array<int, CatalogFieldCount> sizes{};
    TSqliteStatement columns;
    Prepare(columns, "PRAGMA table_info(records)");
    while (Step(columns))
        for (int field = 0; field < CatalogFieldCount; ++field)
            if (columns.ColumnText(1).compare(QLatin1String(CatalogFields[size_t(field)].Name),
                                              Qt::CaseInsensitive) == 0)
                sizes[size_t(field)] = DeclaredSize(columns.ColumnText(2));
    return sizes;
}

void TCatalogConnection::RequireWritable() const {
    if (ReadOnlyReason)
        throw TDataError(*ReadOnlyReason);
    quint64 device = 0;
    quint64 inode = 0;
    if (!IdentityOf(FilePath, device, inode) || device != OpenedDevice || inode != OpenedInode)
        Fail(QStringLiteral("The table file was moved, replaced or deleted since it was opened: "
                            "nothing was stored."));
}

void TCatalogConnection::Fail() const {
    if (!Connection)
        Fail(EngineText(nullptr, SQLITE_CANTOPEN));
    Fail(EngineText(Connection, sqlite3_extended_errcode(Connection)));
}

void TCatalogConnection::Fail(const QString& what) const {
    throw TDataError(what, TDataError::TSubject::File, FilePath);
}

TCatalogTransaction::TCatalogTransaction(TCatalogConnection& connection)
    : Connection(connection) {
    Connection.RequireWritable();
    Connection.Execute("BEGIN IMMEDIATE");
}

TCatalogTransaction::~TCatalogTransaction() {
    if (Open)
        sqlite3_exec(Connection.Handle(), "ROLLBACK", nullptr, nullptr, nullptr);
}

void TCatalogTransaction::Commit() {
    Connection.RequireWritable();
    Connection.Execute("COMMIT");
    Open = false;
}
