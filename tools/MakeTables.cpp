// Makes the two table files in the folder given on the command line, leaving any file that
// already exists as it is.

#include "catalog/DataError.h"
#include "catalog/TableFileMaker.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_tables DATA_FOLDER\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!folder.exists() && !QDir().mkpath(folder.path())) {
        std::fprintf(stderr, "make_tables: cannot make the folder %s\n", argv[1]);
        return 1;
    }
    try {
        for (const char* name : {"GeneralData.db", "SelectedData.db"}) {
            const QString path = folder.filePath(QString::fromLatin1(name));
            if (!QFileInfo::exists(path))
                MakeTableFile(path);
        }
    } catch (const TDataError& error) {
        std::fprintf(stderr, "make_tables: %s\n", error.what());
        return 1;
    }
    return 0;
}
