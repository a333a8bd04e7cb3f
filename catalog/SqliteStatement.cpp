#include "catalog/SqliteStatement.h"

int TSqliteStatement::Prepare(sqlite3* connection, const char* sql) {
    sqlite3_stmt* statement = nullptr;
    const int result = sqlite3_prepare_v2(connection, sql, -1, &statement, nullptr);
    Handle.reset(statement);
    return result;
}

void TSqliteStatement::BindText(int index, const QByteArray& utf8) {
    sqlite3_bind_text(Handle.get(), index, utf8.constData(), int(utf8.size()), SQLITE_STATIC);
}

void TSqliteStatement::BindInt64(int index, qint64 value) {
    sqlite3_bind_int64(Handle.get(), index, value);
}

int TSqliteStatement::Step() {
    return sqlite3_step(Handle.get());
}

void TSqliteStatement::Reset() {
    sqlite3_reset(Handle.get());
    sqlite3_clear_bindings(Handle.get());
}

qint64 TSqliteStatement::ColumnInt64(int column) const {
    return sqlite3_column_int64(Handle.get(), column);
}

QString TSqliteStatement::ColumnText(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(Handle.get(), column));
    return QString::fromUtf8(text, sqlite3_column_bytes(Handle.get(), column));
}
