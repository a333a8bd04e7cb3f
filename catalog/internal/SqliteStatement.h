#pragma once
// A prepared SQLite statement that finalises itself. Errors are returned as SQLite result
// codes; the table file turns them into messages that name the file.

#include "catalog/CatalogRecord.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <memory>
#include <sqlite3.h>

class TSqliteStatement {
public:
    TSqliteStatement() = default;
    // Returns the result code of sqlite3_prepare_v2; the statement is empty on failure.
    int Prepare(sqlite3* connection, const char* sql);
    bool Prepared() const { return Handle != nullptr; }

    // The text must stay alive until the statement is stepped and reset.
    void BindText(int index, const QByteArray& utf8);
    // An empty view binds an empty text, never NULL.
    void BindText(int index, QByteArrayView utf8);
    void BindInt64(int index, qint64 value);
    // Binds exactly what was stored, `shown` (UTF-8) for a value stored as it shows; both
    // must stay alive like a bound text.
    void BindValue(int index, const TStoredValue& value, const QByteArray& shown);
    int Step();
    void Reset();

    qint64 ColumnInt64(int column) const;
    QString ColumnText(int column) const;
    int ColumnType(int column) const;
    // A text's bytes as stored, valid until the next step.
    QByteArrayView ColumnBytes(int column) const;
    // Read before any other call converts the column.
    TStoredValue ColumnValue(int column) const;

private:
    struct TFinalizer {
        void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
    };
    std::unique_ptr<sqlite3_stmt, TFinalizer> Handle;
};
