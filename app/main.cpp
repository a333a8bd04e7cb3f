// The program block: start-up in its fixed order, then the event loop until the main window
// closes.

#include "app/FormZandrel.h"
#include "app/ZandrelApplication.h"
#include "catalog/TablePaths.h"
#include "platform/LinuxFileSystem.h"
#include "widgets/DialogMessages.h"
#include "windows/FormFind.h"
#include "windows/FormInsertData.h"

int main(int argc, char* argv[]) {
    TDialogMessages messages;
    TZandrelApplication application(argc, argv, messages);
    application.SetHelpFile(QStringLiteral("Help.hlp"));
    application.SetTitle(QStringLiteral("Zandrel - By Qorvin\u00ae"));
    TLinuxFileSystem files;
    // Created first, so it is the main window; its creation opens the catalog.
    TFormZandrel FormZandrel(messages, CatalogTablePath());
    // Made once and kept hidden; its creation opens the staging table.
    TFormInsertData insertData(messages, files, StagingTablePath(), FormZandrel,
                               FormZandrel.TableData);
    FormInsertData = &insertData;
    FormZandrel.ShowInsertData = [] {
        FormInsertData->show();
        FormInsertData->raise();
        FormInsertData->activateWindow();
    };
    TFormFind findWindow(messages, FormZandrel.DataSourceData, &FormZandrel);
    FormFind = &findWindow;
    FormZandrel.ShowFind = [] {
        FormFind->Show();
    };
    FormZandrel.show();
    return TZandrelApplication::exec();
}
