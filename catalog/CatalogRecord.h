#pragma once
// One row of either table: four text fields, in the field order of both table files.

#include <QString>
#include <array>

inline constexpr int CatalogFieldCount = 4;
inline constexpr std::array<const char*, CatalogFieldCount> CatalogFieldNames = {
    "Label", "Directory", "File", "Coments"};

using TFieldValues = std::array<QString, CatalogFieldCount>;

// A row as it was read from its table file: its rowid (0 for no row) and its values.
struct TStoredRow {
    qint64 RowId = 0;
    TFieldValues Values;
};
