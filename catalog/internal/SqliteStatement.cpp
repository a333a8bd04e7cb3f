#include "catalog/internal/SqliteStatement.h"

int TSqliteStatement::Prepare(sqlite3* connection, const char* sql) {
    sqlite3_stmt* statement = nullptr;
    const int result = sqlite3_prepare_v2(connection, sql, -1, &statement, nullptr);
    Handle.reset(statement);
    return result;
}

void TSqliteStatement::BindText(int index, const QByteArray& utf8) {
    sqlite3_bind_text(Handle.get(), index, utf8.constData(), int(utf8.size()), SQLITE_STATIC);
}

void TSqliteStatement::BindText(int index, QByteArrayView utf8) {
    sqlite3_bind_text(Handle.get(), index, utf8.isEmpty() ? "" : utf8.data(), int(utf8.size()),
                      SQLITE_STATIC);
}

void TSqliteStatement::BindInt64(int index, qint64 value) {
    sqlite3_bind_int64(Handle.get(), index, value);
}

void TSqliteStatement::BindValue(int index, const TStoredValue& value, const QByteArray& shown) {
    using TKind = TStoredValue::TKind;
    switch (value.Kind) {
    case TKind::Shown:
        BindText(index, shown);
        break;
    case TKind::Null:
        sqlite3_bind_null(Handle.get(), index);
        break;
    case TKind::Integer:
        sqlite3_bind_int64(Handle.get(), index, value.Integer);
        break;
    case TKind::Real:
        sqlite3_bind_double(Handle.get(), index, value.Real);
        break;
    case TKind::Text:
        BindText(index, value.Bytes);
        break;
    case TKind::Blob:
        sqlite3_bind_blob(Handle.get(), index, value.Bytes.constData(), int(value.Bytes.size()),
                          SQLITE_STATIC);
        break;
    }
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
    return QString::fromUtf8(ColumnBytes(column));
}

int TSqliteStatement::ColumnType(int column) const {
    return sqlite3_column_type(Handle.get(), column);
}

QByteArrayView TSqliteStatement::ColumnBytes(int column) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(Handle.get(), column));
    return {text, sqlite3_column_bytes(Handle.get(), column)};
}

TStoredValue TSqliteStatement::ColumnValue(int column) const {
    using TKind = TStoredValue::TKind;
    sqlite3_stmt* statement = Handle.get();
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        return {TKind::Integer, sqlite3_column_int64(statement, column), 0, {}};
    case SQLITE_FLOAT:
        return {TKind::Real, 0, sqlite3_column_double(statement, column), {}};
    case SQLITE_TEXT:
        return {TKind::Text, 0, 0, ColumnBytes(column).toByteArray()};
    case SQLITE_BLOB:
        return {TKind::Blob, 0, 0,
                QByteArray(static_cast<const char*>(sqlite3_column_blob(statement, column)),
                           sqlite3_column_bytes(statement, column))};
    default:
        return {TKind::Null, 0, 0, {}};
    }
}
