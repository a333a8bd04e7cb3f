#include "catalog/TablePaths.h"

#include "catalog/DataError.h"
#include "catalog/TableFileMaker.h"

#include <QDir>
#include <QFileInfo>

namespace {
QString BesideFolder(const QString& executableFolder) {
    return QDir(executableFolder).filePath(TableFolderName);
}
} // namespace

QString TableFolder(const QString& executableFolder, const QString& userDataFolder) {
    const QString beside = BesideFolder(executableFolder);
    if (QFileInfo(beside).isDir())
        return QDir::toNativeSeparators(beside);
    // Without a home the tables would land in whatever folder the program was started from.
    if (userDataFolder.isEmpty())
        throw TDataError(QStringLiteral("The program has no folder for its tables: there is no "
                                        "Data folder beside it (%1) and no home folder (set "
                                        "HOME).")
                             .arg(QDir::toNativeSeparators(beside)));
    return QDir::toNativeSeparators(QDir(userDataFolder).filePath(TableFolderName));
}

QString PrepareTableFolder(const QString& executableFolder, const QString& userDataFolder) {
    QString folder = TableFolder(executableFolder, userDataFolder);
    if (!QFileInfo(BesideFolder(executableFolder)).isDir())
        MakeMissingTableFiles(folder);
    return folder;
}

QString TablePathIn(const QString& folder, const QString& fileName) {
    return QDir::toNativeSeparators(QDir(folder).filePath(fileName));
}
