#pragma once
// Makes a new, empty table file with the catalog's schema. Used by the build's table maker,
// the tests and the benchmarks; the program itself never creates table files.

#include <QString>

// Refuses when `path` already exists, so no table is ever overwritten.
void MakeTableFile(const QString& path);
