#pragma once
// A catalogue as a large user keeps it: `discs` discs of `filesPerDisc` files each, in nested
// folders, with a comment on every fiftieth file. Ten million rows take a while to make, so
// each size is made once, with plain SQLite and without the search index, and kept in the
// build folder (bench-cache/) between runs; a benchmark copies it before it writes.
//
// Row i (from 0) of disc i / filesPerDisc: label "DISC_0001" and on; folders such as
// "D:\PHOTOS\YEAR_03\part_002\"; every ten-thousandth file is "readme_<i>.txt", so the text
// "readme" has one hit in 10,000 rows (1,000 in ten million), and no file holds "zqxj".

#include "BenchFiles.h"
#include "catalog/CatalogUpgrade.h"
#include "catalog/TableCursor.h"
#include "catalog/TableFileMaker.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <sqlite3.h>
#include <string>

inline QString CachedCatalog(int discs, int filesPerDisc) {
    const QString folder =
        QCoreApplication::applicationDirPath() + QStringLiteral("/../bench-cache");
    QDir().mkpath(folder);
    const QString path = folder + QStringLiteral("/catalog-%1x%2.db").arg(discs).arg(filesPerDisc);
    if (QFile::exists(path))
        return path;
    const QString making = path + QStringLiteral(".making");
    QFile::remove(making);
    MakeTableFile(making);
    sqlite3* connection = nullptr;
    sqlite3_open(making.toUtf8().constData(), &connection);
    const std::string rows = std::to_string(qint64(discs) * filesPerDisc);
    const std::string perDisc = std::to_string(filesPerDisc);
    const std::string sql =
        "PRAGMA synchronous=OFF;"
        "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < " +
        rows + " - 1) INSERT INTO records SELECT printf('DISC_%04d', i / " + perDisc +
        " + 1), "
        "printf('D:\\%s\\%s_%02d\\%s_%03d\\', "
        "CASE (i % 5000) / 1000 WHEN 0 THEN 'PHOTOS' WHEN 1 THEN 'MUSIC' WHEN 2 THEN 'DOCUMENTS' "
        "WHEN 3 THEN 'PROJECTS' ELSE 'BACKUP' END, "
        "CASE (i / " +
        perDisc +
        ") % 3 WHEN 0 THEN 'YEAR' WHEN 1 THEN 'ALBUM' ELSE 'SET' END, "
        "(i % 1000) / 100, "
        "CASE (i / " +
        perDisc +
        ") % 4 WHEN 0 THEN 'part' WHEN 1 THEN 'trip' WHEN 2 THEN 'disk' "
        "ELSE 'box' END, (i % 100) / 10), "
        "CASE WHEN i % 10000 = 4321 THEN printf('readme_%d.txt', i) ELSE printf('%s%06d.%s', "
        "CASE i % 7 WHEN 0 THEN 'IMG_' WHEN 1 THEN 'track' WHEN 2 THEN 'report_' WHEN 3 THEN "
        "'scan' WHEN 4 THEN 'clip' WHEN 5 THEN 'letter' ELSE 'data' END, i % 1000000, "
        "CASE i % 5 WHEN 0 THEN 'jpg' WHEN 1 THEN 'mp3' WHEN 2 THEN 'doc' WHEN 3 THEN 'avi' "
        "ELSE 'txt' END) END, "
        "CASE WHEN i % 50 = 0 THEN printf('seen %d times', i % 97) ELSE '' END FROM n;";
    char* error = nullptr;
    if (sqlite3_exec(connection, sql.c_str(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "cannot make %s: %s\n", qPrintable(making), error ? error : "?");
        std::exit(1);
    }
    sqlite3_close(connection);
    if (!QFile::rename(making, path)) {
        std::fprintf(stderr, "cannot keep %s\n", qPrintable(path));
        std::exit(1);
    }
    return path;
}

// A copy of `path` at `copy` (any older copy and its log files replaced), for a benchmark
// that writes.
inline QString CopyOfCatalog(const QString& path, const QString& copy) {
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(copy + QLatin1String(suffix));
    if (!QFile::copy(path, copy)) {
        std::fprintf(stderr, "cannot copy %s to %s\n", qPrintable(path), qPrintable(copy));
        std::exit(1);
    }
    return copy;
}

// The rows of the table file at `path`, counted as the program counts them.
inline qint64 RowsIn(const QString& path) {
    TTableCursor counter(QStringLiteral("Counter"));
    counter.SetTableName(path);
    counter.Open();
    return counter.RecordCount();
}

inline void ExecuteOrExit(const QString& path, const QByteArray& sql) {
    sqlite3* connection = nullptr;
    char* error = nullptr;
    if (sqlite3_open(path.toUtf8().constData(), &connection) != SQLITE_OK ||
        sqlite3_exec(connection, sql.constData(), nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "%s: %s\n", sql.constData(), error ? error : "?");
        std::exit(1);
    }
    sqlite3_close(connection);
}

inline void ExpectOrExit(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "%s\n", what);
        std::exit(1);
    }
}

inline void UpgradeOrExit(const QString& path) {
    ExpectOrExit(UpgradeCatalog(path, [](qint64, qint64) { return true; }),
                 "the catalogue could not be prepared");
}

// The cached catalogue of `discs` discs, prepared as the program prepares a file on first
// open, kept beside it. At ten million rows the search index would take long to build and the
// discs window never reads it: empty stand-ins of its objects let the preparation make the
// table of discs alone.
inline QString CachedPreparedCatalog(int discs, int filesPerDisc, bool withSearchIndex) {
    const QString plain = CachedCatalog(discs, filesPerDisc);
    const QString path = plain.chopped(3) + (withSearchIndex ? "-prepared.db" : "-discs.db");
    if (QFile::exists(path))
        return path;
    const QString making = CopyOfCatalog(plain, path + ".making");
    const QByteArray standIns =
        "CREATE TABLE records_search (x);"
        "CREATE TRIGGER records_search_insert AFTER INSERT ON records WHEN 0 BEGIN SELECT 1; END;"
        "CREATE TRIGGER records_search_delete AFTER DELETE ON records WHEN 0 BEGIN SELECT 1; END;"
        "CREATE TRIGGER records_search_update AFTER UPDATE ON records WHEN 0 BEGIN SELECT 1; END;";
    if (!withSearchIndex)
        ExecuteOrExit(making, standIns);
    UpgradeOrExit(making);
    if (!withSearchIndex)
        ExecuteOrExit(making, "DROP TRIGGER records_search_insert; DROP TRIGGER "
                              "records_search_delete; DROP TRIGGER records_search_update; "
                              "DROP TABLE records_search;");
    ExpectOrExit(QFile::rename(making, path), "cannot keep the prepared catalogue");
    return path;
}
