#pragma once
// The main window: browses and edits the whole catalog through the cursor TableData, and
// opens the insert-data, find, search and discs windows and the CSV export and import.
// Closing it ends the program.

#include "catalog/TableCursor.h"
#include "widgets/records/DataSource.h"

#include <QMainWindow>

class QLabel;
class TMessageService;

class TFormZandrel : public QMainWindow {
    Q_OBJECT
public:
    // `catalogPath` is the catalog table file (the program passes the one in its table folder).
    TFormZandrel(TMessageService& messages, QString catalogPath, QWidget* parent = nullptr);
    ~TFormZandrel() override;
    Q_DISABLE_COPY_MOVE(TFormZandrel)

    TTableCursor TableData{QStringLiteral("TableData")};
    TDataSource DataSourceData;

    void FormCreate();
    void FormClose();
    void MenuItemExiExitClick();
    void MenuItemDataInsertClick();
    void MenuItemDataFindClick();
    void MenuItemDataDiscsClick();
    void MenuItemDataExportClick();
    void MenuItemDataImportClick();
    void MenuItemDataSearchClick();
    void MenuItemHelpTopicsClick();
    void LabelByQorvinClick();
    void DataSourceDataDataChange(int field);
    // Makes the row `rowId` the current row and brings the window forward: where another
    // window (a search, the discs) sends the user. Throws, saying why, when it cannot.
    void ShowRow(qint64 rowId);
    // ShowRow for another window's signal: its error shows in the error box.
    void GoToRow(qint64 rowId);

signals:
    // "Data" / "Insert", once a pending edit is posted, and a close while this window is
    // greyed: the insert-data window shows or comes forward.
    void InsertDataRequested();
    // "Data" / "Find": the find window shows.
    void FindRequested();
    // "Data" / "Discs...": the discs window shows.
    void DiscsRequested();
    // "Data" / "Export..." and "Import...": the whole catalogue to a CSV file, rows of one
    // appended to it.
    void ExportRequested();
    void ImportRequested();
    // "Data" / "Search...": the search window shows or comes forward.
    void SearchRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateMenu();
    QWidget* CreatePanelTop();
    QWidget* CreatePanelBottom();
    void CreateStatusBar();
    void PrepareCatalog();

    TMessageService& Messages;
    const QString CatalogPath;
    QLabel* LabelByQorvin = nullptr;
    bool LabelPressed = false;
    QLabel* CounterPanel = nullptr;
};
