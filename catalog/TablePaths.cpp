#include "catalog/TablePaths.h"

#include <QCoreApplication>
#include <QDir>

QString TablePathBeside(const QString& executableFolder, const QString& relativeName) {
    return QDir::toNativeSeparators(QDir(executableFolder).filePath(relativeName));
}

QString CatalogTablePath() {
    return TablePathBeside(QCoreApplication::applicationDirPath(), CatalogTableRelativeName);
}

QString StagingTablePath() {
    return TablePathBeside(QCoreApplication::applicationDirPath(), StagingTableRelativeName);
}
