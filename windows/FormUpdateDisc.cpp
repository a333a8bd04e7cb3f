#include "windows/FormUpdateDisc.h"

#include "catalog/TableCursor.h"
#include "platform/FileSystem.h"
#include "platform/WildcardPattern.h"
#include "widgets/MessageService.h"
#include "widgets/UserCommand.h"
#include "widgets/WaitCursor.h"
#include "widgets/pickers/DriveSelector.h"
#include "widgets/pickers/FilterSelector.h"
#include "widgets/pickers/FolderList.h"
#include "widgets/records/DataSource.h"
#include "windows/WindowPieces.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {
constexpr QSize InsideSize(345, 400);
constexpr int SummaryTop = 336;

const QString CompareCaption = QStringLiteral("Compare");

// "12 new files, 3 gone (1 of them with a comment), 4,985 unchanged".
QString SummaryOf(const TDiscComparison& counts) {
    QString summary =
        Counted(counts.NewFiles, QStringLiteral("new file"), QStringLiteral("new files")) +
        QStringLiteral(", ") + Formatted(counts.Gone) + QStringLiteral(" gone");
    if (counts.GoneWithComment > 0)
        summary +=
            QStringLiteral(" (%1 of them with a comment)").arg(Formatted(counts.GoneWithComment));
    summary += QStringLiteral(", ") + Formatted(counts.Unchanged) + QStringLiteral(" unchanged");
    if (counts.Unread > 0)
        summary += QStringLiteral(", %1 where the scan could not read, kept as they are")
                       .arg(Counted(counts.Unread, QStringLiteral("row"), QStringLiteral("rows")));
    return summary;
}
} // namespace

TFormUpdateDisc::TFormUpdateDisc(TMessageService& messages, TFileSystem& files,
                                 TDataSource& mainSource, QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Window)
    , TreeScannerUpdate(files)
    , Messages(messages)
    , Files(files)
    , MainSource(mainSource)
    , MainWindow(mainWindow) {
    setObjectName(QStringLiteral("FormUpdateDisc"));
    setWindowTitle(QStringLiteral("Update Disc - Zandrel - By Qorvin\u00ae"));
    QFont font = this->font();
    font.setPointSize(8);
    setFont(font);
    // The pickers draw on the button face.
    QPalette face = palette();
    face.setColor(QPalette::Base, face.color(QPalette::Button));

    NavyLabel(this, "LabelLabel", QStringLiteral("CD Label"), {8, 8});
    EditLabel = new QLineEdit(this);
    EditLabel->setObjectName(QStringLiteral("EditLabel"));
    EditLabel->setGeometry(8, 24, 225, 21);
    EditLabel->setReadOnly(true);
    NavyLabel(this, "LabelDrive", QStringLiteral("Drive"), {8, 52});
    DirectoryListBoxDirectory = new TFolderList(Messages, Files, this);
    DirectoryListBoxDirectory->setObjectName(QStringLiteral("DirectoryListBoxDirectory"));
    DirectoryListBoxDirectory->setGeometry(8, 112, 225, 145);
    DriveComboBoxDirectory = new TDriveSelector(Messages, Files, this);
    DriveComboBoxDirectory->setObjectName(QStringLiteral("DriveComboBoxDirectory"));
    DriveComboBoxDirectory->setGeometry(8, 68, 225, DriveComboBoxDirectory->sizeHint().height());
    DriveComboBoxDirectory->SetTextCase(tcUpperCase);
    DriveComboBoxDirectory->SetDirList(DirectoryListBoxDirectory);
    NavyLabel(this, "LabelFolder", QStringLiteral("Folder"), {8, 96});
    NavyLabel(this, "LabelMask", QStringLiteral("Mask"), {8, 264});
    FilterComboBoxDirectory = new TFilterSelector(Messages, this);
    FilterComboBoxDirectory->setObjectName(QStringLiteral("FilterComboBoxDirectory"));
    FilterComboBoxDirectory->setGeometry(8, 280, 225, FilterComboBoxDirectory->sizeHint().height());
    for (QWidget* picker : std::initializer_list<QWidget*>{
             DirectoryListBoxDirectory, DriveComboBoxDirectory, FilterComboBoxDirectory})
        picker->setPalette(face);

    ButtonCompare = PushButton(this, "ButtonCompare", CompareCaption, {248, 24, 89, 25});
    ButtonApply = PushButton(this, "ButtonApply", QStringLiteral("Apply"), {248, 56, 89, 25});
    CheckBoxDeleteCommented =
        new QCheckBox(QStringLiteral("Also delete the gone files that have comments"), this);
    CheckBoxDeleteCommented->setObjectName(QStringLiteral("CheckBoxDeleteCommented"));
    CheckBoxDeleteCommented->setGeometry(8, 312, CheckBoxDeleteCommented->sizeHint().width(), 17);
    const int width = std::max(InsideSize.width(), CheckBoxDeleteCommented->geometry().right() + 8);
    LabelSummary = new QLabel(this);
    LabelSummary->setObjectName(QStringLiteral("LabelSummary"));
    LabelSummary->setWordWrap(true);
    LabelSummary->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    LabelSummary->setGeometry(8, SummaryTop, width - 16, InsideSize.height() - SummaryTop - 8);
    resize(width, InsideSize.height());

    const auto command = [this](void (TFormUpdateDisc::*handler)()) {
        return [this, handler] {
            RunUserCommand(Messages, [this, handler] { (this->*handler)(); });
        };
    };
    connect(ButtonCompare, &QPushButton::clicked, this,
            command(&TFormUpdateDisc::ButtonCompareClick));
    connect(ButtonApply, &QPushButton::clicked, this, command(&TFormUpdateDisc::ButtonApplyClick));
    TreeScannerUpdate.OnDirectoryFound = [this](TTreeScanner& sender) {
        TreeScannerUpdateDirectoryFound(sender);
    };
    TreeScannerUpdate.OnFileFound = [this](TTreeScanner& sender) {
        TreeScannerUpdateFileFound(sender);
    };
    // A folder or file the scan cannot read is no gone file: its rows stay.
    TreeScannerUpdate.OnProblem = [this](const TScanProblem& problem) {
        Update->AddUnread(problem.Path);
    };
    TreeScannerUpdate.ProcessMessages = [] {
        QCoreApplication::processEvents();
    };
    Forget({});
}

TFormUpdateDisc::~TFormUpdateDisc() = default;

void TFormUpdateDisc::Show(const QString& label) {
    if (!TreeScannerUpdate.SearchInProgress()) {
        Label = label;
        EditLabel->setText(label);
        Forget({});
        RunUserCommand(Messages, [this] { ChooseDiscDrive(); });
    }
    ShowBeside(*this, MainWindow, Placed);
}

// The drive whose volume carries the disc's label, at its root; else the pickers stay.
void TFormUpdateDisc::ChooseDiscDrive() {
    if (Label.isEmpty())
        return;
    for (const QChar letter : Files.DriveLetters()) {
        if (Files.VolumeInformation(letter).Label == Label) {
            DriveComboBoxDirectory->SetChosenDrive(letter);
            DirectoryListBoxDirectory->SetCurrentFolder(QString(letter) + QStringLiteral(":\\"));
            return;
        }
    }
}

void TFormUpdateDisc::Forget(const QString& summary) {
    Update.reset();
    ButtonApply->setEnabled(false);
    LabelSummary->setText(summary);
}

void TFormUpdateDisc::ButtonCompareClick() {
    // Only "Stop" answers during a scan: this click is a stop request.
    if (TreeScannerUpdate.SearchInProgress()) {
        TreeScannerUpdate.ContinueSearch = false;
        return;
    }
    Forget({});
    try {
        Compare();
    } catch (const std::exception&) {
        Forget({});
        throw;
    }
}

void TFormUpdateDisc::Compare() {
    Update = std::make_unique<TDiscUpdate>(MainSource.DataSet()->TableName(), Label);
    TreeScannerUpdate.FileMask = FilterComboBoxDirectory->ChosenMask();
    TreeScannerUpdate.InitialDirectory = DirectoryListBoxDirectory->CurrentFolder();
    HideAfterScan = false;
    RunScanFromButton(
        *ButtonCompare, [this](bool enabled) { SetCommandsEnabled(enabled); },
        [this] { TreeScannerUpdate.StartSearch(); });
    // The user closed the window meanwhile: the scan is over, and they asked to leave.
    if (HideAfterScan) {
        hide();
        return;
    }
    // Whatever was not scanned would look gone: a stopped scan compares nothing.
    if (!TreeScannerUpdate.ContinueSearch) {
        Forget(QStringLiteral("Stopped: nothing was compared."));
        return;
    }
    const TWildcardPattern mask(TreeScannerUpdate.FileMask);
    TDiscComparison counts;
    {
        const TWaitCursor wait;
        counts = Update->Compare(TreeScannerUpdate.InitialDirectory,
                                 [&mask](const QString& name) { return mask.Matches(name); });
    }
    LabelSummary->setText(SummaryOf(counts) + LeftOutLine(TreeScannerUpdate.ProblemCount(),
                                                          TreeScannerUpdate.FirstProblem().Text));
    ButtonApply->setEnabled(counts.NewFiles + counts.Gone > 0);
}

void TFormUpdateDisc::ButtonApplyClick() {
    if (!Update)
        return;
    TDiscChanges changes;
    try {
        const TWaitCursor wait;
        WriteBesideMainWindow(
            MainSource, [&] { changes = Update->Apply(CheckBoxDeleteCommented->isChecked()); });
    } catch (const std::exception&) {
        Forget({});
        throw;
    }
    Forget(QStringLiteral("Applied: %1 added, %2 deleted.")
               .arg(Counted(changes.Added, QStringLiteral("row"), QStringLiteral("rows")),
                    Counted(changes.Deleted, QStringLiteral("row"), QStringLiteral("rows"))));
}

void TFormUpdateDisc::TreeScannerUpdateDirectoryFound(TTreeScanner& sender) {
    CurrentDirectory = sender.FileFound();
}

void TFormUpdateDisc::TreeScannerUpdateFileFound(TTreeScanner& sender) {
    Update->AddFile(CurrentDirectory, sender.FileFound());
}

void TFormUpdateDisc::SetCommandsEnabled(bool enabled) {
    for (QWidget* widget :
         std::initializer_list<QWidget*>{DriveComboBoxDirectory, DirectoryListBoxDirectory,
                                         FilterComboBoxDirectory, CheckBoxDeleteCommented})
        widget->setEnabled(enabled);
    if (!enabled)
        ButtonApply->setEnabled(false);
}

// A comparison is not kept while nobody sees it.
void TFormUpdateDisc::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (!event->spontaneous() && !TreeScannerUpdate.SearchInProgress())
        Forget({});
}

// During a scan, closing stops it, and the window hides once the scan has ended.
void TFormUpdateDisc::closeEvent(QCloseEvent* event) {
    if (TreeScannerUpdate.SearchInProgress()) {
        event->ignore();
        TreeScannerUpdate.ContinueSearch = false;
        HideAfterScan = true;
        return;
    }
    QWidget::closeEvent(event);
}

// Escape stops a running scan.
void TFormUpdateDisc::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && TreeScannerUpdate.SearchInProgress()) {
        TreeScannerUpdate.ContinueSearch = false;
        return;
    }
    QWidget::keyPressEvent(event);
}
