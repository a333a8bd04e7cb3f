#pragma once
// A folder of generated files in the scratch folder, seen as a drive through the fake drives,
// for the benchmarks that list or walk folders.

#include "BenchFiles.h"
#include "support/FakeFileSystem.h"

inline void MapDriveOnto(TFakeFileSystem& files, QChar letter, const QByteArray& folder) {
    files.AddDrive({.Letter = letter, .MountRoot = folder});
}
