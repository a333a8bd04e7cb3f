// Listing a folder of 100,000 files into the file list (search, sort, model, laid out in a
// shown window), beside the platform layer's bare search of the same folder with the same
// pattern and mask, in the same run (warm cache, best of three).

#include "BenchDrive.h"
#include "widgets/DialogMessages.h"
#include "widgets/pickers/FileList.h"

#include <QApplication>
#include <cstdio>

namespace {
constexpr int FileCount = 100000;

// Names in no particular order, so the sort has work to do; mixed case, some executables.
void MakeFiles(const QByteArray& folder) {
    static const char* const kinds[] = {".txt", ".DOC", ".exe", ".Dat", ""};
    for (int n = 0; n < FileCount; ++n) {
        const unsigned mixed = static_cast<unsigned>(n) * 2654435761u;
        MakeFileOrExit(folder + (n % 3 ? "/File" : "/file") + QByteArray::number(mixed, 16) +
                       kinds[n % 5]);
    }
}
} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QByteArray folder = MakeBenchFolder("BIG");
    MakeFiles(folder);

    TFakeFileSystem files;
    MapDriveOnto(files, u'D', folder);

    std::size_t searched = 0;
    const auto search = [&] {
        // The file list's own search with its defaults: "*.*", no special attributes.
        searched = files.Find("D:\\*.*", 0).Entries.size();
    };
    TDialogMessages messages;        // nothing here should fail; if it does, it shows
    TFileList list(messages, files); // lists D:\ once, which also warms the cache
    list.SetShowGlyphs(true);
    list.SetMultiSelect(true);
    list.resize(329, 145);
    list.show();
    const auto listInto = [&] {
        list.SetFolder("D:\\");
        QCoreApplication::processEvents(); // the shown list lays out its rows
    };
    search();
    const double ours = BestSecondsOf(3, listInto);
    const double reference = BestSecondsOf(3, search);
    if (list.Count() != FileCount || searched != std::size_t(FileCount)) {
        std::fprintf(stderr, "listed %d and searched %zu of %d files\n", list.Count(), searched,
                     FileCount);
        return 1;
    }
    PrintBench("file_list_100000_files_vs_bare_search", ours, reference, "ratio<=2");
    return 0;
}
