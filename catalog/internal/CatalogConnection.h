#pragma once
// A connection of its own to a catalogue file, for work on the whole catalogue rather than
// through a cursor: the upgrade, the discs, an update, an export or an import. It lives as
// long as that work, and every error it raises names the file.

#include "catalog/CatalogFields.h"
#include "catalog/DataError.h"
#include "catalog/internal/SqliteStatement.h"

#include <QString>
#include <array>
#include <optional>
#include <sqlite3.h>

// The engine's result code in the user's words.
QString EngineText(sqlite3* connection, int resultCode);
// The size a column's declared type gives ("VARCHAR(32)": 32), 0 for none.
int DeclaredSize(const QString& type);
// The device and inode the path names now; false when it names nothing.
bool IdentityOf(const QString& path, quint64& device, quint64& inode);

class TCatalogConnection {
public:
    // Write refuses at once, with the reason the user reads, a file that cannot be written;
    // AsAllowed opens such a file for reading, and refuses only its transactions.
    enum class TAccess { Write, AsAllowed };
    TCatalogConnection(const QString& path, TAccess access);
    ~TCatalogConnection();
    TCatalogConnection(const TCatalogConnection&) = delete;
    TCatalogConnection& operator=(const TCatalogConnection&) = delete;

    const QString& Path() const { return FilePath; }
    sqlite3* Handle() const { return Connection; }

    void Execute(const char* sql);
    // The first column of the only row `sql` gives.
    qint64 Value(const QByteArray& sql);
    void Prepare(TSqliteStatement& statement, const QByteArray& sql);
    // True on a row, false when the statement is done; throws on an error.
    bool Step(TSqliteStatement& statement);
    // Steps a statement that gives no row, then resets it.
    void Run(TSqliteStatement& statement);
    // Changes each other connection's commits make, never this one's own.
    qint64 DataVersion();
    // Whether the file holds `name` (a table, an index or a trigger).
    bool Holds(const char* name);
    // The declared size of each field in the file's `records`, 0 for none.
    std::array<int, CatalogFieldCount> FieldSizes();

    // Nothing is written once the path names another file than the one opened, or none, or
    // when the file cannot be written.
    void RequireWritable() const;
    [[noreturn]] void Fail() const;
    [[noreturn]] void Fail(const QString& what) const;

private:
    QString FilePath;
    sqlite3* Connection = nullptr;
    std::optional<TDataError> ReadOnlyReason;
    quint64 OpenedDevice = 0;
    quint64 OpenedInode = 0;
};

// BEGIN IMMEDIATE on the connection; rolled back unless committed.
class TCatalogTransaction {
public:
    explicit TCatalogTransaction(TCatalogConnection& connection);
    ~TCatalogTransaction();
    TCatalogTransaction(const TCatalogTransaction&) = delete;
    TCatalogTransaction& operator=(const TCatalogTransaction&) = delete;
    void Commit();

private:
    TCatalogConnection& Connection;
    bool Open = true;
};
