#pragma once
// The update window: brings one disc of the catalogue up to date with its files, keeping what
// the user wrote about them. The user picks the drive, folder and mask, "Compare" scans them
// and tells what changed, and "Apply" writes it, all in one transaction. Not modal; greyed
// with the main window, its parent, while the insert-data window shows.

#include "catalog/DiscUpdate.h"
#include "scan/TreeScanner.h"

#include <QWidget>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TDataSource;
class TDriveSelector;
class TFileSystem;
class TFilterSelector;
class TFolderList;
class TMessageService;

class TFormUpdateDisc : public QWidget {
    Q_OBJECT
public:
    // `mainSource` serves the main window's cursor, on the catalogue updated: its pending
    // edit is posted before "Apply" writes, and it shows the rows as they are after.
    TFormUpdateDisc(TMessageService& messages, TFileSystem& files, TDataSource& mainSource,
                    QWidget* mainWindow);
    ~TFormUpdateDisc() override;
    Q_DISABLE_COPY_MOVE(TFormUpdateDisc)

    TTreeScanner TreeScannerUpdate;

    // Shows the window for the disc `label`, the drive whose volume label is the disc's
    // chosen, at its root. During a comparison it only comes forward.
    void Show(const QString& label);

    void ButtonCompareClick();
    void ButtonApplyClick();
    void TreeScannerUpdateDirectoryFound(TTreeScanner& sender);
    void TreeScannerUpdateFileFound(TTreeScanner& sender);

protected:
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ChooseDiscDrive();
    void Compare();
    void SetCommandsEnabled(bool enabled);
    void Forget(const QString& summary);

    TMessageService& Messages;
    TFileSystem& Files;
    TDataSource& MainSource;
    QWidget* MainWindow;
    QLineEdit* EditLabel = nullptr;
    TDriveSelector* DriveComboBoxDirectory = nullptr;
    TFolderList* DirectoryListBoxDirectory = nullptr;
    TFilterSelector* FilterComboBoxDirectory = nullptr;
    QPushButton* ButtonCompare = nullptr;
    QPushButton* ButtonApply = nullptr;
    QCheckBox* CheckBoxDeleteCommented = nullptr;
    QLabel* LabelSummary = nullptr;

    QString Label;
    QString CurrentDirectory;
    // The comparison made, until it is applied or given up.
    std::unique_ptr<TDiscUpdate> Update;
    bool HideAfterScan = false;
    bool Placed = false;
};
