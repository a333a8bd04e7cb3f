#pragma once
// The insert-data window, where a disc is catalogued: the files chosen in the pickers, or a
// whole folder tree, become rows of the staging table; "Insert Data" appends them to the
// catalog. While it is visible the main window is disabled and its catalog cursor closed.

#include "catalog/TableClaim.h"
#include "catalog/TableCursor.h"
#include "scan/TreeScanner.h"
#include "widgets/records/DataSource.h"

#include <QWidget>
#include <optional>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TDriveSelector;
class TFileList;
class TFileSystem;
class TFilterSelector;
class TFolderList;
class TMessageService;
class TRecordGrid;
class TRecordNavigator;

class TFormInsertData : public QWidget {
    Q_OBJECT
public:
    // `stagingPath` is the staging table file; `mainWindow` and `mainTable` are the main
    // window and its catalog cursor, which this window disables and closes while visible.
    TFormInsertData(TMessageService& messages, TFileSystem& files, QString stagingPath,
                    QWidget& mainWindow, TTableCursor& mainTable);
    ~TFormInsertData() override;
    Q_DISABLE_COPY_MOVE(TFormInsertData)

    TTableCursor TableSelectedData{QStringLiteral("TableSelectedData")};
    TTableCursor TableToExportSelect{QStringLiteral("TableToExportSelect")};
    TTableCursor TableToExportData{QStringLiteral("TableToExportData")};
    TDataSource DataSourceSelectedData;
    TDataSource DataSourceToExportSelect;
    TDataSource DataSourceToExportData;
    TTreeScanner TreeScannerSelect;

    // Shows the window, or brings it forward when it shows already.
    void Show();

    void FormCreate();
    void FormShow();
    void FormHide();
    void ButtonBackClick();
    void ReadVolumeLabel();
    void DriveComboBoxDirectoryChange();
    void CheckBoxSubDirClick();
    void FileListBoxDirectoryKeyPress(QChar key);
    void ButtonSelectDataClick();
    void TreeScannerSelectDirectoryFound(TTreeScanner& sender);
    void TreeScannerSelectFileFound(TTreeScanner& sender);
    void DataSourceSelectedDataDataChange(int field);
    void ButtonInsertDataClick();

    // A scan writes its rows in transactions of about this many rows, committed between two
    // folders: few commits, and a stopped or failed scan keeps what it wrote before.
    qint64 ScanBatchRows = 20000;

    // Showing first claims the staging table for this program, and hiding gives it back: two
    // running copies never share staging rows. A claim refused keeps the window hidden.
    void setVisible(bool visible) override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QWidget* CreatePanelDirectory();
    QWidget* CreatePanelBottom();
    void SelectTree();
    void SelectFiles();
    void OpenWorkCursor(TTableCursor& work, const TTableCursor& shown);
    void EndSelect();
    void RecoverFromFailedSelect();
    void ScanBetweenFolders();
    void SetCommandsEnabled(bool enabled);

    TMessageService& Messages;
    TFileSystem& Files;
    const QString StagingPath;
    QWidget& MainWindow;
    TTableCursor& TableData;

    TFolderList* DirectoryListBoxDirectory = nullptr;
    TFileList* FileListBoxDirectory = nullptr;
    TDriveSelector* DriveComboBoxDirectory = nullptr;
    TFilterSelector* FilterComboBoxDirectory = nullptr;
    QPushButton* ButtonSelectData = nullptr;
    QCheckBox* CheckBoxSubDir = nullptr;
    QLineEdit* EditLabel = nullptr;
    QPushButton* ButtonInsertData = nullptr;
    QPushButton* ButtonBack = nullptr;
    TRecordGrid* DBGridSelectedData = nullptr;
    TRecordNavigator* DBNavigatorSelectedData = nullptr;
    QLabel* CounterPanel = nullptr;

    // The folder last reported by the scanner, and what the current scan wrote; 64-bit, so
    // a disc past 2 GB or 2^31 files is counted right.
    QString CurrentDirectory;
    qint64 FilesFound = 0;
    qint64 TotalBytes = 0;
    std::optional<TTableClaim> StagingClaim;
    std::optional<TBulkTransaction> ScanBatch;
    qint64 RowsInBatch = 0;
    bool HideAfterScan = false;
};
