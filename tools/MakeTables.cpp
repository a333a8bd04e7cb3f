// Makes the two table files in the folder given on the command line, leaving any file that
// already exists as it is.

#include "catalog/DataError.h"
#include "catalog/TableFileMaker.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_tables DATA_FOLDER\n");
        return 2;
    }
    try {
        MakeMissingTableFiles(QString::fromLocal8Bit(argv[1]));
    } catch (const TDataError& error) {
        std::fprintf(stderr, "make_tables: %s\n", error.what());
        return 1;
    }
    return 0;
}
