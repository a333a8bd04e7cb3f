// Listing a folder of 100,000 files with "*.*" and every attribute, beside `ls -f -l` of
// the same folder in the same run (both with a warm cache, best of five).

#include "BenchDrive.h"

#include <QCoreApplication>
#include <cstdio>

namespace {
constexpr int FileCount = 100000;

void MakeFiles(const QByteArray& folder) {
    for (int n = 0; n < FileCount; ++n)
        MakeFileOrExit(folder + "/file" + QByteArray::number(n) + ".dat", "data", n % 5);
}

void ListWithLs(const QString& folder) {
    RunOrExit("ls", {"-f", "-l", folder});
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
