// The program block: the command line's answers, or start-up in its fixed order, then the event
// loop until the main window closes.

#include "app/CommandLine.h"
#include "app/FormZandrel.h"
#include "app/ZandrelApplication.h"
#include "catalog/DataError.h"
#include "catalog/TablePaths.h"
#include "platform/LinuxFileSystem.h"
#include "widgets/DesktopPrompts.h"
#include "widgets/DialogMessages.h"
#include "windows/CsvTransfer.h"
#include "windows/FormDiscs.h"
#include "windows/FormFind.h"
#include "windows/FormInsertData.h"
#include "windows/FormSearch.h"
#include "windows/FormUpdateDisc.h"

#include <QStandardPaths>

int main(int argc, char* argv[]) {
    // Before any window, so it needs no display.
    if (CommandLineWanted(argc, argv))
        return RunCommandLine(argc, argv);
    TDialogMessages messages;
    TZandrelApplication application(argc, argv, messages);
    // An installed program's data folder is named after the application (~/.local/share/zandrel),
    // so it is looked up before the title takes the application name's place.
    TZandrelApplication::setApplicationName(QStringLiteral("zandrel"));
    const QString userDataFolder =
        QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    application.SetTitle(QStringLiteral("Zandrel - By Qorvin\u00ae"));
    QString tableFolder;
    try {
        tableFolder = PrepareTableFolder(TZandrelApplication::applicationDirPath(), userDataFolder);
    } catch (const TDataError& error) {
        // Without its table files the program has nothing to show.
        messages.ShowError(error);
        return 1;
    }
    TLinuxFileSystem files;
    // Created first, so it is the main window; its creation opens the catalog.
    TFormZandrel FormZandrel(messages, TablePathIn(tableFolder, CatalogTableFileName));
    // Made once and kept hidden; its creation opens the staging table.
    TFormInsertData FormInsertData(messages, files, TablePathIn(tableFolder, StagingTableFileName),
                                   FormZandrel, FormZandrel.TableData);
    QObject::connect(&FormZandrel, &TFormZandrel::InsertDataRequested, &FormInsertData,
                     &TFormInsertData::Show);
    TFormFind FormFind(messages, FormZandrel.DataSourceData, &FormZandrel);
    QObject::connect(&FormZandrel, &TFormZandrel::FindRequested, &FormFind, &TFormFind::Show);
    TFormSearch FormSearch(messages, TablePathIn(tableFolder, CatalogTableFileName), &FormZandrel);
    QObject::connect(&FormZandrel, &TFormZandrel::SearchRequested, &FormSearch, &TFormSearch::Show);
    QObject::connect(&FormSearch, &TFormSearch::GoToRowRequested, &FormZandrel,
                     &TFormZandrel::GoToRow);

    // The discs, their update and the CSV files, greyed with the main window.
    TDesktopPrompts prompts;
    TCsvTransfer CsvTransfer(messages, prompts, FormZandrel.DataSourceData, &FormZandrel);
    TFormDiscs FormDiscs(messages, prompts, FormZandrel.DataSourceData, &FormZandrel);
    TFormUpdateDisc FormUpdateDisc(messages, files, FormZandrel.DataSourceData, &FormZandrel);
    QObject::connect(&FormZandrel, &TFormZandrel::DiscsRequested, &FormDiscs, &TFormDiscs::Show);
    QObject::connect(&FormZandrel, &TFormZandrel::ExportRequested, &CsvTransfer,
                     &TCsvTransfer::ExportCatalogue);
    QObject::connect(&FormZandrel, &TFormZandrel::ImportRequested, &CsvTransfer,
                     &TCsvTransfer::Import);
    QObject::connect(&FormDiscs, &TFormDiscs::GoToRowRequested, &FormZandrel,
                     &TFormZandrel::GoToRow);
    QObject::connect(&FormDiscs, &TFormDiscs::UpdateRequested, &FormUpdateDisc,
                     &TFormUpdateDisc::Show);
    QObject::connect(&FormDiscs, &TFormDiscs::ExportRequested, &CsvTransfer,
                     &TCsvTransfer::ExportDisc);
    QObject::connect(&FormSearch, &TFormSearch::ExportRequested, &CsvTransfer,
                     &TCsvTransfer::ExportMatching);
    FormZandrel.show();
    return TZandrelApplication::exec();
}
