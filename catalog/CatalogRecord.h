#pragma once
// One row of either table: four text fields, in the field order of both table files.

#include <QByteArray>
#include <QString>
#include <array>

inline constexpr int CatalogFieldCount = 4;
inline constexpr std::array<const char*, CatalogFieldCount> CatalogFieldNames = {
    "Label", "Directory", "File", "Coments"};

using TFieldValues = std::array<QString, CatalogFieldCount>;

// A field as the file holds it, which another program may have written as a number, a blob,
// NULL or bytes that are not UTF-8: a row is found again by exactly what was read.
struct TStoredValue {
    enum class TKind { Null, Integer, Real, Text, Blob };
    TKind Kind = TKind::Null;
    qint64 Integer = 0;
    double Real = 0;
    QByteArray Bytes; // text as stored, or the blob

    static TStoredValue Text(const QString& text) { return {TKind::Text, 0, 0, text.toUtf8()}; }
};

// A row as it was read from its table file: its rowid (0 for no row), its values as shown,
// and each value as stored.
struct TStoredRow {
    qint64 RowId = 0;
    TFieldValues Values;
    std::array<TStoredValue, CatalogFieldCount> Stored;
};
