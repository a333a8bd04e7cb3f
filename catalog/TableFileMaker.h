#pragma once
// Makes new, empty table files with the catalog's schema: the build's table maker and an
// installed program's first start make the program's two files, the tests and the benchmarks
// single ones.

#include <QString>

// Refuses when `path` already exists, so no table is ever overwritten.
void MakeTableFile(const QString& path);
// Makes `folder` if needed, then the catalog (with what a catalogue keeps beside its rows)
// and the staging file where either is missing, leaving a file that exists as it is. Throws
// TDataError naming the folder or file that fails.
void MakeMissingTableFiles(const QString& folder);
