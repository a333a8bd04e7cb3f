// The program block: start-up in its fixed order, then the event loop until the main window
// closes.

#include "app/FormZandrel.h"
#include "app/ZandrelApplication.h"
#include "catalog/TablePaths.h"
#include "widgets/DialogMessages.h"
#include "windows/FormFind.h"

int main(int argc, char* argv[]) {
    TDialogMessages messages;
    TZandrelApplication application(argc, argv, messages);
    application.SetHelpFile(QStringLiteral("Help.hlp"));
    application.SetTitle(QStringLiteral("Zandrel - By Qorvin\u00ae"));
    // Created first, so it is the main window; its creation opens the catalog.
    TFormZandrel FormZandrel(messages, CatalogTablePath());
    TFormFind findWindow(messages, FormZandrel.DataSourceData, &FormZandrel);
    FormFind = &findWindow;
    FormZandrel.ShowFind = [] {
        FormFind->Show();
    };
    FormZandrel.show();
    return application.exec();
}
