#pragma once
// Making the benchmarks' generated trees and running the reference programs beside them.
// A benchmark cannot go on without its data or its reference, so each failure ends it.

#include "BenchReport.h"

#include <QByteArray>
#include <QProcess>
#include <QStringList>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

inline void MakeFolderOrExit(const QByteArray& path) {
    if (mkdir(path.constData(), 0755) != 0) {
        std::perror(path.constData());
        std::exit(1);
    }
}

// A file holding the first `size` bytes of `content`.
inline void MakeFileOrExit(const QByteArray& path, const char* content = "", int size = 0) {
    const int handle = open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (handle < 0 || write(handle, content, size_t(size)) != size || close(handle) != 0) {
        std::perror(path.constData());
        std::exit(1);
    }
}

// Makes `name` in the scratch folder and gives its path.
inline QByteArray MakeBenchFolder(const char* name) {
    QByteArray folder = QByteArray::fromStdString(BenchScratchFolder()) + "/" + name;
    MakeFolderOrExit(folder);
    return folder;
}

// Runs a reference program with its output thrown away.
inline void RunOrExit(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForFinished(-1) || process.exitCode() != 0) {
        std::fprintf(stderr, "%s failed on %s\n", qPrintable(program),
                     qPrintable(arguments.join(u' ')));
        std::exit(1);
    }
}
