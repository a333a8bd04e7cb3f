#include "catalog/TableFileMaker.h"

#include "catalog/CatalogUpgrade.h"
#include "catalog/DataError.h"
#include "catalog/TablePaths.h"
#include "catalog/internal/FieldSql.h"

#include <QFile>
#include <QFileInfo>
#include <filesystem>
#include <sqlite3.h>

void MakeTableFile(const QString& path) {
    if (QFileInfo::exists(path))
        throw TDataError(QStringLiteral("The table file already exists."),
                         TDataError::TSubject::File, path);
    sqlite3* connection = nullptr;
    int result = sqlite3_open_v2(path.toUtf8().constData(), &connection,
                                 SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    // SQLite counts rows over the narrowest index: with one constant key a row, opening a
    // million-row catalog reads a few MB, not the whole table.
    const QByteArray schema = "PRAGMA journal_mode=WAL;"
                              "CREATE TABLE records (" +
                              FieldDeclarations() +
                              ");"
                              "CREATE INDEX records_count ON records (0);";
    if (result == SQLITE_OK)
        result = sqlite3_exec(connection, schema.constData(), nullptr, nullptr, nullptr);
    const QString engineMessage = QString::fromUtf8(sqlite3_errmsg(connection));
    sqlite3_close(connection);
    if (result != SQLITE_OK)
        throw TDataError(QStringLiteral("The table file cannot be made: %1.").arg(engineMessage),
                         TDataError::TSubject::File, path);
}

void MakeMissingTableFiles(const QString& folder) {
    std::error_code error;
    std::filesystem::create_directories(QFile::encodeName(folder).toStdString(), error);
    if (error)
        throw TDataError(QStringLiteral("The table folder cannot be made: %1.")
                             .arg(QString::fromStdString(error.message())),
                         TDataError::TSubject::Folder, folder);
    for (const QString& name : {CatalogTableFileName, StagingTableFileName}) {
        const QString path = TablePathIn(folder, name);
        if (QFileInfo::exists(path))
            continue;
        MakeTableFile(path);
        if (name == CatalogTableFileName)
            UpgradeCatalog(path, [](qint64, qint64) { return true; });
    }
}
