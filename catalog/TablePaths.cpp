#include "catalog/TablePaths.h"

#include "catalog/DataError.h"
#include "catalog/TableFileMaker.h"

#include <QDir>
#include <QFileInfo>

QString PrepareTableFolder(const QString& executableFolder, const QString& userDataFolder) {
    const QString beside = QDir(executableFolder).filePath(TableFolderName);
    if (QFileInfo(beside).isDir())
        return QDir::toNativeSeparators(beside);
    // Without a home the tables would land in whatever folder the program was started from.
    if (userDataFolder.isEmpty())
        throw TDataError(QStringLiteral("The program has no folder for its tables: there is no "
                                        "Data folder beside it (%1) and no home folder (set "
                                        "HOME).")
                             .arg(QDir::toNativeSeparators(beside)));
    QString own = QDir::toNativeSeparators(QDir(userDataFolder).filePath(TableFolderName));
    MakeMissingTableFiles(own);
    return own;
}

QString TablePathIn(const QString& folder, const QString& fileName) {
    return QDir::toNativeSeparators(QDir(folder).filePath(fileName));
}
