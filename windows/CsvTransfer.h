#pragma once
// Catalogue rows out to CSV files and back, as the user asks from the menu, the discs window
// or a search: the desktop's file dialogs, a progress dialog with Cancel for long work, what
// was done said at the end. An import tells what the file holds and asks before it writes.

#include "catalog/CsvExport.h"

#include <QObject>

class QWidget;
class TDataSource;
class TMessageService;
class TPromptService;

class TCsvTransfer : public QObject {
    Q_OBJECT
public:
    // `mainSource` serves the main window's cursor, on the catalogue: its pending edit is
    // posted first, and it shows the rows an import added. Dialogs stand over `window`.
    TCsvTransfer(TMessageService& messages, TPromptService& prompts, TDataSource& mainSource,
                 QWidget* window);

    // Each runs inside its own error boundary.
    void ExportCatalogue();
    void ExportDisc(const QString& label);
    // The rows whose `field` (or any field for AllFields) holds `text`, as the search finds them.
    void ExportMatching(const QString& text, int field);
    void Import();

private:
    void Export(const TExportRows& rows, const QString& suggestedName);
    void ImportFile();

    TMessageService& Messages;
    TPromptService& Prompts;
    TDataSource& MainSource;
    QWidget* Window;
};
