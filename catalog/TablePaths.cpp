#include "catalog/TablePaths.h"

#include "catalog/TableFileMaker.h"

#include <QDir>
#include <QFileInfo>

QString PrepareTableFolder(const QString& executableFolder, const QString& userDataFolder) {
    const QString beside = QDir(executableFolder).filePath(TableFolderName);
    if (QFileInfo(beside).isDir())
        return QDir::toNativeSeparators(beside);
    QString own = QDir::toNativeSeparators(QDir(userDataFolder).filePath(TableFolderName));
    MakeMissingTableFiles(own);
    return own;
}

QString TablePathIn(const QString& folder, const QString& fileName) {
    return QDir::toNativeSeparators(QDir(folder).filePath(fileName));
}
