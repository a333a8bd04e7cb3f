// The discs of a catalogue: opening the discs window on ten million rows of 2,000 discs beside
// opening it on 10,000 rows of two; exporting a million rows to CSV beside `sqlite3 -csv` and
// importing them back beside `sqlite3 .import`; updating a disc of 100,000 files of which
// 1,000 changed beside cataloguing it afresh through "Select Data" and "Insert Data"; and
// appending 100,000 rows to a million with the table of discs kept beside without it.

#include "BenchCatalog.h"
#include "BenchFiles.h"
#include "BenchMessages.h"
#include "catalog/CatalogUpgrade.h"
#include "catalog/CsvExport.h"
#include "catalog/CsvImport.h"
#include "catalog/TableCursor.h"
#include "platform/LinuxFileSystem.h"
#include "widgets/PromptService.h"
#include "widgets/records/DataSource.h"
#include "windows/FormDiscs.h"
#include "windows/FormInsertData.h"
#include "windows/FormUpdateDisc.h"

#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <cstdio>
#include <sqlite3.h>
#include <unistd.h>

namespace {
const QString DiscLabel = QStringLiteral("BENCH_DISC");

const TWorkProgress Unwatched = [](qint64, qint64) {
    return true;
};

class TNoPrompts : public TPromptService {
public:
    QString SaveFileName(QWidget*, const QString&, const QString&) override { return {}; }
    QString OpenFileName(QWidget*, const QString&) override { return {}; }
    std::optional<QString> AskText(QWidget*, const QString&, const QString&, const QString&,
                                   int) override {
        return std::nullopt;
    }
};

// The main window's cursor on a catalogue, as the windows are given it.
struct TMainCursor {
    explicit TMainCursor(const QString& path) {
        Cursor.SetTableName(path);
        Cursor.Open();
        Source.SetDataSet(&Cursor);
    }
    TTableCursor Cursor{QStringLiteral("TableData")};
    TDataSource Source;
};

// Showing the discs window, from closed to every disc listed, best of five.
double DiscsWindowSeconds(const QString& catalog, int discs) {
    TQuietMessages messages;
    TNoPrompts prompts;
    TMainCursor main(catalog);
    QWidget mainWindow;
    TFormDiscs form(messages, prompts, main.Source, &mainWindow);
    const double seconds = BestSecondsOf(5, [&] {
        form.hide();
        form.Show();
        QApplication::processEvents();
    });
    ExpectOrExit(form.findChild<QTableView*>(QStringLiteral("GridDiscs"))->model()->rowCount() ==
                     discs,
                 "the discs window does not list every disc");
    return seconds;
}

void DiscsWindowFigure() {
    const QString large = CachedPreparedCatalog(2000, 5000, false);
    const QString small = QString::fromUtf8(MakeBenchFolder("Small")) + "/GeneralData.db";
    MakeTableFile(small);
    ExecuteOrExit(small, "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i "
                         "< 9999) INSERT INTO records SELECT 'DISC_' || (i / 5000), 'D:\\F' || "
                         "(i % 50) || '\\', 'file' || i || '.dat', '' FROM n");
    UpgradeOrExit(small);
    const double ours = DiscsWindowSeconds(large, 2000);
    const double reference = DiscsWindowSeconds(small, 2);
    PrintBench("discs_window_open_10000000_rows_2000_discs_vs_10000_rows_2_discs", ours, reference,
               "ratio<=2");
}

void CsvFigures() {
    const QString catalog = CachedCatalog(200, 5000);
    const QString folder = QString::fromUtf8(MakeBenchFolder("Csv"));
    const QString ours = folder + "/ours.csv";
    const QString reference = folder + "/reference.csv";
    const auto exportOurs = [&] {
        ExpectOrExit(ExportRows(catalog, TExportRows::Catalogue(), ours, Unwatched).Rows == 1000000,
                     "the export did not write every row");
    };
    const auto exportSqlite = [&] {
        QProcess sqlite;
        sqlite.setStandardOutputFile(reference);
        sqlite.start("sqlite3", {"-csv", "-header", catalog,
                                 "SELECT Label, Directory, File, Coments FROM records"});
        ExpectOrExit(sqlite.waitForFinished(-1) && sqlite.exitCode() == 0, "sqlite3 -csv failed");
    };
    exportOurs(); // warms the file cache for both
    const double exportSeconds = BestSecondsOf(3, exportOurs);
    const double exportReference = BestSecondsOf(3, exportSqlite);
    PrintBench("export_1000000_rows_vs_sqlite3_csv", exportSeconds, exportReference, "ratio<=1.5");

    int run = 0;
    const auto emptyCatalog = [&] {
        const QString path = folder + QStringLiteral("/import%1.db").arg(++run);
        MakeTableFile(path);
        return path;
    };
    const auto importOurs = [&] {
        const QString target = emptyCatalog();
        const double seconds = SecondsOf([&] {
            TCsvImport import(ours, target);
            ExpectOrExit(import.Rows() == 1000000 && import.UnreadableLines() == 0,
                         "the import did not read every row");
            ExpectOrExit(import.Append(Unwatched), "the import was not complete");
        });
        ExpectOrExit(RowsIn(target) == 1000000, "the import did not add every row");
        return seconds;
    };
    const auto importSqlite = [&] {
        const QString target = emptyCatalog();
        return SecondsOf([&] {
            RunOrExit("sqlite3", {target, ".import --csv --skip 1 " + reference + " records"});
        });
    };
    double importSeconds = importOurs();
    double importReference = importSqlite();
    for (int again = 1; again < 3; ++again) {
        importSeconds = std::min(importSeconds, importOurs());
        importReference = std::min(importReference, importSqlite());
    }
    PrintBench("import_1000000_rows_vs_sqlite3_import", importSeconds, importReference, "ratio<=2");
}

// 1,000 files of the tree changed: 500 gone, 500 new.
void ChangeTree(const QByteArray& root) {
    for (int n = 0; n < 500; ++n) {
        const QByteArray folder = TreeFolderPath(root, n * 10);
        ExpectOrExit(unlink((folder + "/f0.bin").constData()) == 0, "cannot remove a file");
        MakeFileOrExit(folder + "/new.bin");
    }
}

// Cataloguing the tree afresh into a copy of `catalog` at `copy`: "Select Data" over it, then
// "Insert Data".
double CatalogueSeconds(TFileSystem& files, const QString& catalog, const QString& copy) {
    static int run = 0;
    const QByteArray name = "Staging" + QByteArray::number(++run);
    const QString staging =
        QString::fromUtf8(MakeBenchFolder(name.constData())) + "/SelectedData.db";
    MakeTableFile(staging);
    CopyOfCatalog(catalog, copy);
    TQuietMessages messages;
    TMainCursor main(copy);
    QWidget mainWindow;
    TFormInsertData insert(messages, files, staging, mainWindow, main.Cursor);
    insert.findChild<QCheckBox*>(QStringLiteral("CheckBoxSubDir"))->click();
    insert.show();
    QApplication::processEvents();
    insert.findChild<QLineEdit*>(QStringLiteral("EditLabel"))->setText(DiscLabel);
    const double seconds = SecondsOf([&] {
        insert.findChild<QPushButton*>(QStringLiteral("ButtonSelectData"))->click();
        insert.findChild<QPushButton*>(QStringLiteral("ButtonInsertData"))->click();
    });
    insert.hide();
    ExpectOrExit(RowsIn(copy) == 1000000 + TreeFiles, "the disc was not catalogued");
    return seconds;
}

// Updating the disc in a copy of `catalogued` at `copy`: "Compare", then "Apply".
double UpdateSeconds(TFileSystem& files, const QString& catalogued, const QString& copy) {
    CopyOfCatalog(catalogued, copy);
    TQuietMessages messages;
    TMainCursor main(copy);
    QWidget mainWindow;
    TFormUpdateDisc update(messages, files, main.Source, &mainWindow);
    update.Show(DiscLabel);
    QApplication::processEvents();
    auto* summary = update.findChild<QLabel*>(QStringLiteral("LabelSummary"));
    const double seconds = SecondsOf([&] {
        update.findChild<QPushButton*>(QStringLiteral("ButtonCompare"))->click();
        update.findChild<QPushButton*>(QStringLiteral("ButtonApply"))->click();
    });
    ExpectOrExit(summary->text().startsWith("Applied: 500 rows added, 500 rows deleted"),
                 qPrintable("the update said: " + summary->text() + " / " + messages.Last));
    return seconds;
}

// Each the best of three, each on a copy of the same catalogue, as the machine is shared.
void UpdateFigure(TFileSystem& files, const QByteArray& root) {
    const QString catalog = CachedPreparedCatalog(200, 5000, true);
    const QString folder = QString::fromUtf8(MakeBenchFolder("Update"));
    const QString catalogued = folder + "/Catalogued.db";
    const QString copy = folder + "/GeneralData.db";
    double reference = CatalogueSeconds(files, catalog, catalogued);
    for (int run = 1; run < 3; ++run)
        reference = std::min(reference, CatalogueSeconds(files, catalog, copy));
    ChangeTree(root);
    double ours = UpdateSeconds(files, catalogued, copy);
    for (int run = 1; run < 3; ++run)
        ours = std::min(ours, UpdateSeconds(files, catalogued, copy));
    PrintBench("update_disc_100000_files_1000_changed_vs_select_and_insert_data", ours, reference,
               "ratio<=1.2");
}

// Appending the 100,000 rows of a staging file to a copy of `catalog` as "Insert Data" does.
double AppendSeconds(const QString& catalog, const QString& staging, const QString& copy,
                     const QByteArray& before) {
    CopyOfCatalog(catalog, copy);
    if (!before.isEmpty())
        ExecuteOrExit(copy, before);
    TTableCursor cursor(QStringLiteral("TableData"));
    cursor.SetTableName(copy);
    cursor.Open();
    return SecondsOf([&] {
        ExpectOrExit(cursor.AppendRowsOf(staging) == 100000, "the rows were not appended");
    });
}

void InsertFigure() {
    const QString catalog = CachedPreparedCatalog(200, 5000, true);
    const QString folder = QString::fromUtf8(MakeBenchFolder("Insert"));
    const QString staging = folder + "/SelectedData.db";
    MakeTableFile(staging);
    ExecuteOrExit(staging, "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE "
                           "i < 99999) INSERT INTO records SELECT 'NEW_' || (i / 20000), "
                           "'E:\\NEW\\F' || (i % 700) || '\\', 'new' || i || '.dat', '' FROM n");
    const QByteArray withoutDiscs = "DROP TRIGGER records_discs_insert; DROP TRIGGER "
                                    "records_discs_delete; DROP TRIGGER records_discs_update;";
    const QString copy = folder + "/GeneralData.db";
    double ours = AppendSeconds(catalog, staging, copy, {});
    double reference = AppendSeconds(catalog, staging, copy, withoutDiscs);
    for (int run = 1; run < 3; ++run) {
        ours = std::min(ours, AppendSeconds(catalog, staging, copy, {}));
        reference = std::min(reference, AppendSeconds(catalog, staging, copy, withoutDiscs));
    }
    PrintBench("insert_100000_rows_into_1000000_with_discs_table_vs_without", ours, reference,
               "ratio<=1.2");
}
} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    InsertFigure();
    CsvFigures();
    {
        const QByteArray root = QByteArray::fromStdString(BenchScratchFolder()) + "/TREE";
        MakeBenchTree(root);
        if (chdir(root.constData()) != 0) {
            std::perror(root.constData());
            return 1;
        }
        TLinuxFileSystem files;
        UpdateFigure(files, root);
    }
    DiscsWindowFigure();
    return 0;
}
