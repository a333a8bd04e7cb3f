#pragma once
// A folder of generated files in the scratch folder, seen as a drive through the fake drives,
// for the benchmarks that list or walk folders.

#include "BenchReport.h"
#include "platform/FakeFileSystem.h"

#include <QByteArray>
#include <cstdio>
#include <cstdlib>
#include <sys/stat.h>

// Makes `name` in the scratch folder; the benchmark cannot go on without it.
inline QByteArray MakeBenchFolder(const char* name) {
    const QByteArray folder = QByteArray::fromStdString(BenchScratchFolder()) + "/" + name;
    if (mkdir(folder.constData(), 0755) != 0) {
        std::perror(folder.constData());
        std::exit(1);
    }
    return folder;
}

inline void MapDriveOnto(TFakeFileSystem& files, QChar letter, const QByteArray& folder) {
    files.AddDrive({.Letter = letter, .MountRoot = folder});
}
