#pragma once
// The discs window: every disc of the catalogue (the rows sharing a label) with its files and
// folders, and what is done to a whole disc: go to its first row, rename it, delete it, update
// it from its drive, export it. Not modal; greyed with the main window, its parent, while the
// insert-data window shows.

#include "catalog/DiscCatalog.h"
#include "windows/DiscListModel.h"

#include <QWidget>
#include <memory>
#include <optional>

class QLabel;
class QPushButton;
class QTableView;
class TDataSource;
class TMessageService;
class TPromptService;

class TFormDiscs : public QWidget {
    Q_OBJECT
public:
    // `mainSource` serves the main window's cursor, on the catalogue listed: its pending edit
    // is posted before any change, and it shows the rows as they are after.
    TFormDiscs(TMessageService& messages, TPromptService& prompts, TDataSource& mainSource,
               QWidget* mainWindow);
    ~TFormDiscs() override;
    Q_DISABLE_COPY_MOVE(TFormDiscs)

    // Shows the window with the discs as they are now, or brings it forward; the first
    // showing centres it on the main window.
    void Show();

    // Lists the discs again, the chosen one staying chosen.
    void ListDiscs();
    void ButtonGoToClick();
    void ButtonRenameClick();
    void ButtonDeleteClick();
    void ButtonUpdateClick();
    void ButtonExportClick();

signals:
    // "Go To": the main window makes this row its current one.
    void GoToRowRequested(qint64 rowId);
    // "Update...": the update window shows for this disc.
    void UpdateRequested(const QString& label);
    // "Export...": this disc's rows are exported.
    void ExportRequested(const QString& label);

protected:
    void hideEvent(QHideEvent* event) override;

private:
    void MainDataChange();
    void ChoiceChanged();
    // The disc chosen in the table; nothing when none is.
    std::optional<TDisc> ChosenDisc() const;
    // The catalogue, opened when first needed after the window shows.
    TDiscCatalog& Catalogue();

    TMessageService& Messages;
    TPromptService& Prompts;
    TDataSource& MainSource;
    QWidget* MainWindow;
    TDiscListModel Model;
    QTableView* GridDiscs = nullptr;
    QLabel* LabelCount = nullptr;
    std::vector<QPushButton*> DiscButtons;
    std::unique_ptr<TDiscCatalog> Discs;
    bool Placed = false;
};
