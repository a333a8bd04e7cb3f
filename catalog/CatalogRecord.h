#pragma once
// One row of either table: four text fields, in the field order of both table files.

#include "catalog/CatalogFields.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <memory>

using TFieldValues = std::array<QString, CatalogFieldCount>;

// A field as the file holds it when that is not simply the UTF-8 of the text shown: another
// program may have stored a number, NULL, a blob or text that is not UTF-8. A row is found
// again by exactly what was read.
struct TStoredValue {
    enum class TKind { Shown, Null, Integer, Real, Text, Blob };
    TKind Kind = TKind::Shown;
    qint64 Integer = 0;
    double Real = 0;
    QByteArray Bytes; // text as stored, or the blob
};

using TStoredValues = std::array<TStoredValue, CatalogFieldCount>;

// A row as it was read from its table file: its rowid (0 for no row), its values as shown,
// and each value as stored where one is not simply its text shown (none for most rows).
struct TStoredRow {
    qint64 RowId = 0;
    TFieldValues Values;
    std::shared_ptr<const TStoredValues> Stored;
};
