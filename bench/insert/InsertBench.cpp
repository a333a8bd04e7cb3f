// The insert-data window as a user drives it: "Select Data" in tree mode over 100,000 files
// in 5,000 folders into an empty staging table, beside `find -type f -printf '%s %p\n'`; then
// "Insert Data" of those rows into a 1,000,000-row catalog, beside plain SQLite appending the
// same rows from the attached staging file in one transaction; and the window's peak memory
// during the scan above the idle program.

#include "BenchCatalog.h"
#include "BenchFiles.h"
#include "BenchMessages.h"
#include "catalog/TableCursor.h"
#include "catalog/TableFileMaker.h"
#include "platform/LinuxFileSystem.h"
#include "windows/FormInsertData.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QPushButton>
#include <cstdio>
#include <sqlite3.h>
#include <unistd.h>

namespace {
constexpr qint64 Files = TreeFiles;
constexpr int CatalogRows = 1000000;

void ExecuteOrExit(sqlite3* connection, const char* sql) {
    char* error = nullptr;
    if (sqlite3_exec(connection, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        std::fprintf(stderr, "%s: %s\n", sql, error ? error : "?");
        std::exit(1);
    }
}

// A catalog of a million rows, a hundred discs of 10,000 files.
void MakeCatalog(const QString& path) {
    MakeTableFile(path);
    sqlite3* connection = nullptr;
    sqlite3_open(path.toUtf8().constData(), &connection);
    ExecuteOrExit(connection,
                  "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < "
                  "1000000) INSERT INTO records SELECT 'DISC' || (i / 10000), "
                  "'D:\\DATA\\F' || (i % 500) || '\\', 'file' || i || '.dat', '' FROM n");
    sqlite3_close(connection);
}

// Appends the staging rows as plain SQLite does it at its best: one statement, one commit.
void AppendWithSqlite(const QString& catalog, const QString& staging) {
    sqlite3* connection = nullptr;
    sqlite3_open(catalog.toUtf8().constData(), &connection);
    ExecuteOrExit(connection, "PRAGMA synchronous=FULL");
    const QByteArray attach = "ATTACH '" + staging.toUtf8() + "' AS staging";
    ExecuteOrExit(connection, attach.constData());
    ExecuteOrExit(connection, "BEGIN IMMEDIATE");
    ExecuteOrExit(connection, "INSERT INTO records SELECT * FROM staging.records");
    ExecuteOrExit(connection, "COMMIT");
    sqlite3_close(connection);
}

void CopyOrExit(const QString& from, const QString& to) {
    if (!QFile::copy(from, to)) {
        std::fprintf(stderr, "cannot copy %s\n", qPrintable(from));
        std::exit(1);
    }
}

// Only while no connection has `to` open, so it leaves no log behind.
void ReplaceOrExit(const QString& from, const QString& to) {
    QFile::remove(to);
    CopyOrExit(from, to);
}

void ExpectRowsOrExit(const QString& catalog) {
    if (RowsIn(catalog) != CatalogRows + Files) {
        std::fprintf(stderr, "%s does not hold %lld rows\n", qPrintable(catalog),
                     (long long)(CatalogRows + Files));
        std::exit(1);
    }
}

void ExpectOrExit(const QString& text, const QString& expected) {
    if (!text.startsWith(expected)) {
        std::fprintf(stderr, "the window said \"%s\", not \"%s...\"\n", qPrintable(text),
                     qPrintable(expected));
        std::exit(1);
    }
}
} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const QByteArray scratch = QByteArray::fromStdString(BenchScratchFolder());
    const QByteArray root = scratch + "/TREE";
    MakeBenchTree(root);
    const QString data = QString::fromUtf8(MakeBenchFolder("Data"));
    const QString catalog = data + "/GeneralData.db";
    const QString staging = data + "/SelectedData.db";
    MakeCatalog(catalog);
    MakeTableFile(staging);

    if (chdir(root.constData()) != 0) {
        std::perror(root.constData());
        return 1;
    }
    TLinuxFileSystem files;
    TQuietMessages messages;
    QWidget mainWindow;
    TTableCursor tableData(QStringLiteral("TableData"));
    tableData.SetTableName(catalog);
    tableData.Open();
    TFormInsertData form(messages, files, staging, mainWindow, tableData);
    form.findChild<QCheckBox*>(QStringLiteral("CheckBoxSubDir"))->click();
    auto* selectData = form.findChild<QPushButton*>(QStringLiteral("ButtonSelectData"));
    auto* insertData = form.findChild<QPushButton*>(QStringLiteral("ButtonInsertData"));

    // Each scan starts on an empty staging table, as showing the window leaves it.
    const auto scan = [&] {
        form.hide();
        form.show();
        QApplication::processEvents();
        return SecondsOf([&] { selectData->click(); });
    };
    const QString path = QString::fromUtf8(root);
    const auto listWithFind = [&] {
        RunOrExit("find", {path, "-type", "f", "-printf", "%s %p\\n"});
    };
    form.show();
    QApplication::processEvents();
    TPeakMemory memory;
    memory.Start();
    double ours = scan(); // also warms the cache for find
    const double peakMB = memory.PeakAboveStartMB();
    for (int run = 1; run < 3; ++run)
        ours = std::min(ours, scan());
    listWithFind();
    const double reference = BestSecondsOf(3, listWithFind);
    ExpectOrExit(messages.Last, QLocale().toString(Files) + QStringLiteral(" Data."));
    PrintBench("insert_window_scan_100000_files_vs_find", ours, reference, "ratio<=2");
    PrintBench("insert_window_scan_peak_memory_mb", peakMB, 0, "ours<=30MB");

    // Every append, ours and the reference, starts from the same catalog and the same rows;
    // each is the best of three, as the machine is shared.
    const QString catalogBefore = data + "/CatalogBefore.db";
    const QString stagingFull = data + "/StagingFull.db";
    const QString referenceCatalog = data + "/ReferenceData.db";
    const QString referenceStaging = data + "/ReferenceSelected.db";
    tableData.Close();
    CopyOrExit(catalog, catalogBefore);
    form.TableSelectedData.Close();
    CopyOrExit(staging, stagingFull);
    const auto insertWithWindow = [&] {
        form.show(); // empties the staging table and closes the main cursor
        QApplication::processEvents();
        form.TableSelectedData.Close();
        ReplaceOrExit(stagingFull, staging);
        ReplaceOrExit(catalogBefore, catalog);
        form.TableSelectedData.Open();
        const double seconds = SecondsOf([&] { insertData->click(); });
        ExpectOrExit(messages.Last, QString::number(Files) + QStringLiteral(" Data Inserted."));
        ExpectRowsOrExit(catalog);
        return seconds;
    };
    const auto insertWithSqlite = [&] {
        ReplaceOrExit(catalogBefore, referenceCatalog);
        ReplaceOrExit(stagingFull, referenceStaging);
        const double seconds =
            SecondsOf([&] { AppendWithSqlite(referenceCatalog, referenceStaging); });
        ExpectRowsOrExit(referenceCatalog);
        return seconds;
    };
    double insertOurs = insertWithWindow();
    double insertReference = insertWithSqlite();
    for (int run = 1; run < 3; ++run) {
        insertOurs = std::min(insertOurs, insertWithWindow());
        insertReference = std::min(insertReference, insertWithSqlite());
    }
    PrintBench("insert_data_100000_rows_into_1000000_vs_sqlite_insert_select", insertOurs,
               insertReference, "ratio<=2");
    return 0;
}
