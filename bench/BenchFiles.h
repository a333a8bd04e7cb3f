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

// The tree of the scanning benchmarks: 100,000 files in 5,000 folders, the first fifty at the
// root and the others below them in turn, twenty files of 0 to 57 bytes in each.
constexpr int TreeFolders = 5000;
constexpr int TreeTopFolders = 50;
constexpr int TreeFilesPerFolder = 20;
constexpr qint64 TreeFiles = qint64(TreeFolders) * TreeFilesPerFolder;

// Folder n of the tree (0 to 4,999).
inline QByteArray TreeFolderPath(const QByteArray& root, int n) {
    if (n < TreeTopFolders)
        return root + "/T" + QByteArray::number(n);
    return TreeFolderPath(root, n % TreeTopFolders) + "/S" + QByteArray::number(n);
}

inline void MakeBenchTree(const QByteArray& root) {
    MakeFolderOrExit(root);
    static const char bytes[64] = {};
    for (int n = 0; n < TreeFolders; ++n) {
        const QByteArray folder = TreeFolderPath(root, n);
        MakeFolderOrExit(folder);
        for (int file = 0; file < TreeFilesPerFolder; ++file)
            MakeFileOrExit(folder + "/f" + QByteArray::number(file) + ".bin", bytes, file * 3);
    }
}
