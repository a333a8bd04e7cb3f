// The tree scanner over 100,000 small files in 5,000 folders on the machine's own drives,
// counting files and bytes, beside `find DIR -type f -printf '%s\n'` on the same tree in
// the same run (both with a warm cache, best of three); and its peak memory.

#include "BenchFiles.h"
#include "platform/LinuxFileSystem.h"
#include "scan/TreeScanner.h"

#include <QCoreApplication>
#include <cstdio>
#include <sys/resource.h>
#include <unistd.h>

namespace {
constexpr int TopFolders = 50;
constexpr int FoldersInEach = 99; // so 50 + 50 * 99 = 5,000 folders
constexpr int FilesInFolder = 20; // 100,000 files

// Twenty files of 0 to 19 bytes; gives the bytes written.
qint64 FillFolder(const QByteArray& folder) {
    static const char data[FilesInFolder] = {};
    for (int n = 0; n < FilesInFolder; ++n)
        MakeFileOrExit(folder + "/file" + QByteArray::number(n) + ".dat", data, n);
    return FilesInFolder * (FilesInFolder - 1) / 2;
}

qint64 MakeTree(const QByteArray& root) {
    MakeFolderOrExit(root);
    qint64 bytes = 0;
    for (int top = 0; top < TopFolders; ++top) {
        const QByteArray folder = root + "/top" + QByteArray::number(top);
        MakeFolderOrExit(folder);
        bytes += FillFolder(folder);
        for (int sub = 0; sub < FoldersInEach; ++sub) {
            const QByteArray inner = folder + "/sub" + QByteArray::number(sub);
            MakeFolderOrExit(inner);
            bytes += FillFolder(inner);
        }
    }
    return bytes;
}

void ListWithFind(const QString& root) {
    RunOrExit("find", {root, "-type", "f", "-printf", "%s\\n"});
}

double ChildrenPeakMB() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QByteArray root = QByteArray::fromStdString(BenchScratchFolder()) + "/TREE";
    const qint64 bytesMade = MakeTree(root);

    // The drive form of the tree is the file system's current folder once we stand in it.
    if (chdir(root.constData()) != 0) {
        std::perror(root.constData());
        return 1;
    }
    TLinuxFileSystem files;
    TTreeScanner scanner(files);
    scanner.FileMask = QStringLiteral("*.*");
    qint64 filesFound = 0;
    qint64 bytesFound = 0;
    scanner.OnFileFound = [&](TTreeScanner& sender) {
        ++filesFound;
        bytesFound += sender.FileSize();
    };
    scanner.ProcessMessages = [] {
        QCoreApplication::processEvents();
    };
    const auto scan = [&] {
        filesFound = 0;
        bytesFound = 0;
        scanner.InitialDirectory.clear();
        scanner.StartSearch();
    };

    TPeakMemory memory;
    memory.Start();
    scan(); // warms the cache for both
    const double peakMB = memory.PeakAboveStartMB();
    const QString path = QString::fromUtf8(root);
    ListWithFind(path);
    const double ours = BestSecondsOf(3, scan);
    const double reference = BestSecondsOf(3, [&] { ListWithFind(path); });

    const qint64 filesMade = qint64(TopFolders) * (1 + FoldersInEach) * FilesInFolder;
    if (filesFound != filesMade || bytesFound != bytesMade) {
        std::fprintf(stderr, "scanned %lld files of %lld bytes in %s, made %lld of %lld\n",
                     (long long)filesFound, (long long)bytesFound,
                     qPrintable(scanner.InitialDirectory), (long long)filesMade,
                     (long long)bytesMade);
        return 1;
    }
    PrintBench("scan_100000_files_in_5000_folders_vs_find", ours, reference, "ratio<=1.5");
    PrintBench("scan_peak_memory_mb_vs_find_rss", peakMB, ChildrenPeakMB(), "ours<=10MB");
    return 0;
}
