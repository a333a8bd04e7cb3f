#include "windows/FormInsertData.h"

#include "catalog/DataError.h"
#include "platform/FileSystem.h"
#include "widgets/Glyphs.h"
#include "widgets/MessageService.h"
#include "widgets/UserCommand.h"
#include "widgets/WaitCursor.h"
#include "widgets/pickers/DriveSelector.h"
#include "widgets/pickers/FileList.h"
#include "widgets/pickers/FilterSelector.h"
#include "widgets/pickers/FolderList.h"
#include "widgets/records/RecordGrid.h"
#include "widgets/records/RecordNavigator.h"
#include "windows/WindowPieces.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace {
// The stored size is the whole window with a Windows frame (4 px borders, 19 px caption).
constexpr QSize InsideSize(697 - 2 * 4, 535 - 2 * 4 - 19);
constexpr int PanelDirectoryHeight = 189;
constexpr int PanelBottomHeight = 41;
constexpr int LabelLength = 11; // a buffer of 12 with its terminator

const QString SelectDataCaption = QStringLiteral("Select Data");

// To follow on after a semicolon: "The disk is full" becomes "the disk is full".
QString FirstLetterLowered(QString text) {
    if (!text.isEmpty())
        text[0] = text[0].toLower();
    return text;
}
} // namespace

TFormInsertData::TFormInsertData(TMessageService& messages, TFileSystem& files, QString stagingPath,
                                 QWidget& mainWindow, TTableCursor& mainTable)
    : TreeScannerSelect(files)
    , Messages(messages)
    , Files(files)
    , StagingPath(std::move(stagingPath))
    , MainWindow(mainWindow)
    , TableData(mainTable) {
    setObjectName(QStringLiteral("FormInsertData"));
    setWindowTitle(QStringLiteral("Insert Data - Zandrel - By Qorvin\u00ae"));
    QFont font = this->font();
    font.setPointSize(8);
    setFont(font);

    DataSourceSelectedData.SetDataSet(&TableSelectedData);
    connect(&DataSourceSelectedData, &TDataSource::DataChange, this,
            &TFormInsertData::DataSourceSelectedDataDataChange);
    DataSourceToExportSelect.SetDataSet(&TableToExportSelect);
    DataSourceToExportData.SetDataSet(&TableToExportData);

    TreeScannerSelect.FileMask = QStringLiteral("*.*");
    TreeScannerSelect.OnDirectoryFound = [this](TTreeScanner& sender) {
        TreeScannerSelectDirectoryFound(sender);
    };
    TreeScannerSelect.OnFileFound = [this](TTreeScanner& sender) {
        TreeScannerSelectFileFound(sender);
    };
    TreeScannerSelect.ProcessMessages = [this] {
        ScanBetweenFolders();
    };

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(CreatePanelDirectory());
    // Made here, between the panels, so it stands between them in the focus chain.
    // NOLINTNEXTLINE(cppcoreguidelines-prefer-member-initializer)
    DBGridSelectedData = new TRecordGrid(Messages);
    DBGridSelectedData->setObjectName(QStringLiteral("DBGridSelectedData"));
    DBGridSelectedData->SetColumns(CatalogGridColumns());
    DBGridSelectedData->SetDataSource(&DataSourceSelectedData);
    layout->addWidget(DBGridSelectedData, 1);
    layout->addWidget(CreatePanelBottom());
    layout->addWidget(CounterStatusBar(CounterPanel));
    // The platform's sans-serif is wider than the one the layout was drawn with: widen the
    // window just enough that "Sub-Diretories" is not cut off.
    resize(std::max(InsideSize.width(), CheckBoxSubDir->geometry().right() + 8),
           InsideSize.height());

    // Regions in their tab order: the directory panel, the grid, the bottom panel.
    setTabOrder(ButtonBack, DBGridSelectedData);
    setTabOrder(DBGridSelectedData, DBNavigatorSelectedData);

    // A missing staging file is reported now; the program runs on without it.
    RunUserCommand(Messages, [this] { FormCreate(); });
}

TFormInsertData::~TFormInsertData() = default;

QWidget* TFormInsertData::CreatePanelDirectory() {
    QFrame* panel = RaisedPanel("PanelDirectory", PanelDirectoryHeight);
    // The pickers draw on the button face.
    QPalette face = panel->palette();
    face.setColor(QPalette::Base, face.color(QPalette::Button));

    DirectoryListBoxDirectory = new TFolderList(Messages, Files, panel);
    DirectoryListBoxDirectory->setObjectName(QStringLiteral("DirectoryListBoxDirectory"));
    DirectoryListBoxDirectory->setGeometry(8, 8, 225, 145);
    FileListBoxDirectory = new TFileList(Messages, Files, panel);
    FileListBoxDirectory->setObjectName(QStringLiteral("FileListBoxDirectory"));
    FileListBoxDirectory->setGeometry(240, 8, 329, 145);
    FileListBoxDirectory->SetMultiSelect(true);
    FileListBoxDirectory->SetShowGlyphs(true);
    DriveComboBoxDirectory = new TDriveSelector(Messages, Files, panel);
    DriveComboBoxDirectory->setObjectName(QStringLiteral("DriveComboBoxDirectory"));
    DriveComboBoxDirectory->setGeometry(8, 160, 161, DriveComboBoxDirectory->sizeHint().height());
    DriveComboBoxDirectory->SetTextCase(tcUpperCase);
    FilterComboBoxDirectory = new TFilterSelector(Messages, panel);
    FilterComboBoxDirectory->setObjectName(QStringLiteral("FilterComboBoxDirectory"));
    FilterComboBoxDirectory->setGeometry(240, 160, 161,
                                         FilterComboBoxDirectory->sizeHint().height());
    for (QWidget* picker :
         std::initializer_list<QWidget*>{DirectoryListBoxDirectory, FileListBoxDirectory,
                                         DriveComboBoxDirectory, FilterComboBoxDirectory})
        picker->setPalette(face);
    DriveComboBoxDirectory->SetDirList(DirectoryListBoxDirectory);
    DirectoryListBoxDirectory->SetFileList(FileListBoxDirectory);
    FilterComboBoxDirectory->SetFileList(FileListBoxDirectory);

    ButtonSelectData = PushButton(panel, "ButtonSelectData", SelectDataCaption, {584, 16, 89, 25});
    CheckBoxSubDir = new QCheckBox(QStringLiteral("Sub-Diretories"), panel);
    CheckBoxSubDir->setObjectName(QStringLiteral("CheckBoxSubDir"));
    // Wide enough for its caption in the platform's font, which is wider than the stored one.
    CheckBoxSubDir->setGeometry(586, 48, std::max(87, CheckBoxSubDir->sizeHint().width()), 17);
    NavyLabel(panel, "LabelLabel", QStringLiteral("Label"), {584, 72});
    EditLabel = new QLineEdit(panel);
    EditLabel->setObjectName(QStringLiteral("EditLabel"));
    EditLabel->setGeometry(584, 88, 89, 21);
    EditLabel->setToolTip(QStringLiteral("Opcional"));
    ButtonInsertData =
        PushButton(panel, "ButtonInsertData", QStringLiteral("Insert Data"), {584, 120, 89, 25});
    ButtonBack = PushButton(panel, "ButtonBack", QStringLiteral("Back"), {584, 152, 89, 25});

    QWidget* order[] = {DirectoryListBoxDirectory,
                        FileListBoxDirectory,
                        DriveComboBoxDirectory,
                        FilterComboBoxDirectory,
                        ButtonSelectData,
                        CheckBoxSubDir,
                        EditLabel,
                        ButtonInsertData,
                        ButtonBack};
    for (size_t next = 1; next < std::size(order); ++next)
        setTabOrder(order[next - 1], order[next]);

    const auto command = [this](void (TFormInsertData::*handler)()) {
        return [this, handler] {
            RunUserCommand(Messages, [this, handler] { (this->*handler)(); });
        };
    };
    connect(ButtonSelectData, &QPushButton::clicked, this,
            command(&TFormInsertData::ButtonSelectDataClick));
    connect(ButtonInsertData, &QPushButton::clicked, this,
            command(&TFormInsertData::ButtonInsertDataClick));
    connect(ButtonBack, &QPushButton::clicked, this, command(&TFormInsertData::ButtonBackClick));
    connect(CheckBoxSubDir, &QCheckBox::clicked, this,
            command(&TFormInsertData::CheckBoxSubDirClick));
    // Each handler is a boundary of its own, so no error unwinds through Qt's signal frames.
    connect(DriveComboBoxDirectory, &TDriveSelector::Change, this,
            command(&TFormInsertData::DriveComboBoxDirectoryChange));
    connect(FileListBoxDirectory, &TFileList::KeyPress, this, [this](QChar key) {
        RunUserCommand(Messages, [this, key] { FileListBoxDirectoryKeyPress(key); });
    });
    connect(FileListBoxDirectory, &TFileList::DblClick, ButtonSelectData, &QPushButton::click);
    return panel;
}

QWidget* TFormInsertData::CreatePanelBottom() {
    QFrame* panel = RaisedPanel("PanelBottom", PanelBottomHeight);
    DBNavigatorSelectedData = new TRecordNavigator(Messages, panel);
    DBNavigatorSelectedData->setObjectName(QStringLiteral("DBNavigatorSelectedData"));
    DBNavigatorSelectedData->setGeometry(8, 8, 670, 25);
    DBNavigatorSelectedData->SetDataSource(&DataSourceSelectedData);
    return panel;
}

void TFormInsertData::FormCreate() {
    TableSelectedData.Close();
    TableSelectedData.SetTableName(StagingPath);
    TableSelectedData.Open();
}

void TFormInsertData::Show() {
    show();
    raise();
    activateWindow();
}

void TFormInsertData::FormShow() {
    move(MainWindow.geometry().center() - rect().center());
    TableSelectedData.Close();
    TableSelectedData.EmptyTable();
    TableSelectedData.Open();
    TableData.Close();
    MainWindow.setEnabled(false);
    ReadVolumeLabel();
}

void TFormInsertData::FormHide() {
    MainWindow.setEnabled(true);
    // The work cursor still open after "Insert Data" hands its table over: the main cursor
    // takes it as it is, without reading a million rows' map again.
    TableData.Open();
    TableToExportData.Close();
    TableSelectedData.Close();
    TableSelectedData.EmptyTable();
}

void TFormInsertData::setVisible(bool visible) {
    if (visible && !isVisible() && !StagingClaim &&
        !RunUserCommand(Messages, [this] { StagingClaim.emplace(StagingPath); }))
        return;
    QWidget::setVisible(visible);
    if (!visible)
        StagingClaim.reset();
}

// Minimising and restoring are not hiding and showing the window.
void TFormInsertData::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!event->spontaneous())
        RunUserCommand(Messages, [this] { FormShow(); });
}

void TFormInsertData::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (!event->spontaneous())
        RunUserCommand(Messages, [this] { FormHide(); });
}

// Closing only hides, as "Back" does. During a scan it stops the scan, and the window hides
// once the scan has ended, so nothing writes into the staging table that hiding empties.
void TFormInsertData::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (TreeScannerSelect.SearchInProgress()) {
        TreeScannerSelect.ContinueSearch = false;
        HideAfterScan = true;
        return;
    }
    RunUserCommand(Messages, [this] { ButtonBackClick(); });
}

// Escape stops a running scan and does nothing else here: hiding would empty the staging
// table, and with it the user's review.
void TFormInsertData::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        if (TreeScannerSelect.SearchInProgress())
            TreeScannerSelect.ContinueSearch = false;
        return;
    }
    QWidget::keyPressEvent(event);
}

void TFormInsertData::ButtonBackClick() {
    DataSourceSelectedData.PostPendingEdit();
    hide();
}

void TFormInsertData::ReadVolumeLabel() {
    EditLabel->setText(Files.VolumeLabel(DriveComboBoxDirectory->ChosenDrive(), LabelLength));
}

void TFormInsertData::DriveComboBoxDirectoryChange() {
    ReadVolumeLabel();
}

void TFormInsertData::CheckBoxSubDirClick() {
    FileListBoxDirectory->setEnabled(!CheckBoxSubDir->isChecked());
}

void TFormInsertData::FileListBoxDirectoryKeyPress(QChar key) {
    if (key == QChar(13))
        ButtonSelectData->click();
}

void TFormInsertData::OpenWorkCursor(TTableCursor& work, const TTableCursor& shown) {
    work.Close();
    work.SetTableName(shown.TableName());
    work.Open();
}

void TFormInsertData::ButtonSelectDataClick() {
    // Only "Stop" is enabled during a scan: this click is a stop request.
    if (TreeScannerSelect.SearchInProgress()) {
        TreeScannerSelect.ContinueSearch = false;
        return;
    }
    DataSourceSelectedData.PostPendingEdit();
    TableSelectedData.Close();
    try {
        OpenWorkCursor(TableToExportSelect, TableSelectedData);
        TableToExportSelect.Last();
        if (CheckBoxSubDir->isChecked())
            SelectTree();
        else
            SelectFiles();
    } catch (const std::exception&) {
        RecoverFromFailedSelect();
        throw;
    }
}

// The staging rows show again and the window answers again; the error itself is shown by
// the caller, so a second one here is dropped.
void TFormInsertData::RecoverFromFailedSelect() {
    ScanBatch.reset();
    TableToExportSelect.Close();
    try {
        TableSelectedData.Open();
    } catch (const std::exception&) {
    }
}

void TFormInsertData::EndSelect() {
    TableSelectedData.Open();
    TableToExportSelect.Close();
}

void TFormInsertData::SelectTree() {
    TreeScannerSelect.FileMask = FilterComboBoxDirectory->ChosenMask();
    TreeScannerSelect.InitialDirectory = DirectoryListBoxDirectory->CurrentFolder();
    FilesFound = 0;
    TotalBytes = 0;
    HideAfterScan = false;
    RunScanFromButton(
        *ButtonSelectData, [this](bool enabled) { SetCommandsEnabled(enabled); },
        [this] {
            ScanBatch.emplace(TableToExportSelect);
            RowsInBatch = 0;
            try {
                TreeScannerSelect.StartSearch();
                ScanBatch->Commit();
            } catch (const TDataError& error) {
                // The batches committed before stay in the staging table: the user must know, so
                // as not to insert part of a disc unknowingly.
                if (const qint64 kept = FilesFound - RowsInBatch; kept > 0)
                    throw TDataError(QStringLiteral("%1 rows were kept; %2")
                                         .arg(Formatted(kept), FirstLetterLowered(error.Cause)));
                throw;
            }
            ScanBatch.reset();
        });
    EndSelect();
    // The user closed the window meanwhile: the scan is over, and they asked to leave.
    if (HideAfterScan) {
        hide();
        return;
    }
    // Nothing on the disc is left out silently: what could not be read or held is counted.
    const QString leftOut =
        LeftOutLine(TreeScannerSelect.ProblemCount(), TreeScannerSelect.FirstProblem().Text);
    if (FilesFound <= 0)
        Messages.ShowMessage(QStringLiteral("No Data Inserted.") + leftOut);
    else
        Messages.ShowMessage(
            Formatted(FilesFound) + QStringLiteral(" Data. All Done with Success. ") +
            QStringLiteral("Bytes: ") + Formatted(TotalBytes) + QStringLiteral(".") + leftOut);
}

void TFormInsertData::ScanBetweenFolders() {
    if (RowsInBatch >= ScanBatchRows) {
        ScanBatch->Commit();
        ScanBatch.reset();
        ScanBatch.emplace(TableToExportSelect);
        RowsInBatch = 0;
    }
    QCoreApplication::processEvents();
}

// During a scan only "Stop" answers; the file list stays grey while "Sub-Diretories" is on.
void TFormInsertData::SetCommandsEnabled(bool enabled) {
    for (QWidget* widget : std::initializer_list<QWidget*>{
             DirectoryListBoxDirectory, FileListBoxDirectory, DriveComboBoxDirectory,
             FilterComboBoxDirectory, CheckBoxSubDir, EditLabel, ButtonInsertData, ButtonBack,
             DBGridSelectedData, DBNavigatorSelectedData})
        widget->setEnabled(enabled);
    if (enabled)
        CheckBoxSubDirClick();
}

void TFormInsertData::SelectFiles() {
    // Names the list could not show are told, even when it shows none.
    const QString leftOut =
        LeftOutLine(FileListBoxDirectory->LeftOutCount(), FileListBoxDirectory->FirstLeftOut());
    if (FileListBoxDirectory->Count() == 0 && leftOut.isEmpty()) {
        EndSelect();
        return;
    }
    qint64 count = 0;
    {
        const TWaitCursor wait;
        QString directory = DirectoryListBoxDirectory->CurrentFolder();
        if (!directory.endsWith(QLatin1Char('\\')))
            directory += QLatin1Char('\\');
        const QString label = EditLabel->text();
        const QStringList items = FileListBoxDirectory->Items();
        TBulkTransaction transaction(TableToExportSelect);
        for (int index = 0; index < items.size(); ++index) {
            if (!FileListBoxDirectory->EntrySelected(index))
                continue;
            TableToExportSelect.AppendRecord({label, directory, items[index], QString()});
            ++count;
        }
        transaction.Commit();
    }
    EndSelect();
    Messages.ShowMessage(QString::number(count) + QStringLiteral(" Data. All Done with Success.") +
                         leftOut);
}

void TFormInsertData::TreeScannerSelectDirectoryFound(TTreeScanner& sender) {
    CurrentDirectory = sender.FileFound();
}

void TFormInsertData::TreeScannerSelectFileFound(TTreeScanner& sender) {
    TableToExportSelect.AppendRecord(
        {EditLabel->text(), CurrentDirectory, sender.FileFound(), QString()});
    ++FilesFound;
    ++RowsInBatch;
    TotalBytes += sender.FileSize();
}

void TFormInsertData::DataSourceSelectedDataDataChange(int) {
    CounterPanel->setText(RecordCounterText(TableSelectedData));
}

// Every staging row or none: a catalog that refuses part-way (read-only, busy, full) gets
// nothing, the staging rows stay for a second press, and that press adds each row once.
void TFormInsertData::ButtonInsertDataClick() {
    DataSourceSelectedData.PostPendingEdit();
    TableData.Close();
    qint64 count = 0;
    try {
        OpenWorkCursor(TableToExportData, TableData);
        TableToExportData.Last();
        TableSelectedData.Close();
        OpenWorkCursor(TableToExportSelect, TableSelectedData);
        // Every staging row in its order, all or none, in one statement of the engine.
        count = TableToExportData.AppendRowsOf(TableToExportSelect.TableName());
    } catch (const std::exception&) {
        TableToExportData.Close();
        RecoverFromFailedSelect();
        throw;
    }
    TableToExportSelect.Close();
    TableSelectedData.Open();
    Messages.ShowMessage(QString::number(count) +
                         QStringLiteral(" Data Inserted. All Done with Success."));
    if (TableSelectedData.RecordCount() > 0) {
        TableSelectedData.Close();
        TableSelectedData.EmptyTable();
        TableSelectedData.Open();
    }
    hide();
}
