#pragma once
// One row of either table: four text fields, in the field order of both table files.

#include <QString>
#include <array>

struct TCatalogRecord {
    QString Label;
    QString Directory;
    QString File;
    QString Coments;
};

inline constexpr int CatalogFieldCount = 4;
inline constexpr std::array<const char*, CatalogFieldCount> CatalogFieldNames = {
    "Label", "Directory", "File", "Coments"};
