// Listing a folder of 100,000 files with "*.*" and every attribute, beside `ls -f -l` of
// the same folder in the same run (both with a warm cache, best of five).

#include "BenchDrive.h"

#include <QCoreApplication>
#include <QProcess>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace {
constexpr int FileCount = 100000;

void MakeFiles(const QByteArray& folder) {
    for (int n = 0; n < FileCount; ++n) {
        const QByteArray path = folder + "/file" + QByteArray::number(n) + ".dat";
        const int handle = open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (handle < 0 || write(handle, "data", n % 5) < 0 || close(handle) != 0) {
            std::perror(path.constData());
            std::exit(1);
        }
    }
}

void ListWithLs(const QString& folder) {
    QProcess ls;
    ls.setStandardOutputFile(QProcess::nullDevice());
    ls.start("ls", {"-f", "-l", folder});
    if (!ls.waitForFinished(-1) || ls.exitCode() != 0) {
        std::fprintf(stderr, "ls failed on %s\n", qPrintable(folder));
        std::exit(1);
    }
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    const QByteArray folder = MakeBenchFolder("BIG");
    MakeFiles(folder);

    TFakeFileSystem files;
    MapDriveOnto(files, u'D', folder);

    qint64 bytes = 0;
    std::size_t listed = 0;
    const auto listOurs = [&] {
        const TFindResult found = files.Find("D:\\*.*", TFileAttribute::AnyFile);
        bytes = 0;
        for (const TFoundEntry& entry : found.Entries)
            bytes += entry.Size;
        listed = found.Entries.size();
    };
    const QString path = QString::fromUtf8(folder);
    listOurs(); // warm the cache for both
    ListWithLs(path);
    const double ours = BestSecondsOf(5, listOurs);
    const double reference = BestSecondsOf(5, [&] { ListWithLs(path); });
    if (listed != std::size_t(FileCount) || bytes != qint64(FileCount / 5) * (0 + 1 + 2 + 3 + 4)) {
        std::fprintf(stderr, "listed %zu files of %lld bytes\n", listed, (long long)bytes);
        return 1;
    }
    PrintBench("list_100000_files_with_attributes_vs_ls_f_l", ours, reference, "ratio<=1.5");
    return 0;
}
