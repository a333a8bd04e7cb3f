#pragma once
// The four fields of both table files, described once: what the files declare, what the SQL
// names and what a grid shows. Their order is the column order of `records` and the field
// index every cursor, row and widget uses.

#include <array>

inline constexpr int CatalogFieldCount = 4;
// Each field's index in the table below, the column order of `records`.
enum TCatalogFieldIndex { LabelField, DirectoryField, FileField, ComentsField };

struct TCatalogField {
    const char* Name = nullptr;  // the column of `records`, and the field's name
    int DeclaredSize = 0;        // in characters: VARCHAR(n) in a file this program makes
    const char* Title = nullptr; // a grid column's title
    int GridWidth = 0;           // a grid column's width in pixels
};

inline constexpr std::array<TCatalogField, CatalogFieldCount> CatalogFields = {{
    {"Label", 32, "CD Label", 70},
    {"Directory", 4096, "Directory on CD", 262},
    {"File", 255, "File on Directory", 258},
    {"Coments", 1024, "Coments of File", 410},
}};
