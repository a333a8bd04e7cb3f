#include "app/FormZandrel.h"

#include "catalog/CatalogUpgrade.h"
#include "catalog/DataError.h"
#include "widgets/MessageService.h"
#include "widgets/UserCommand.h"
#include "widgets/WaitCursor.h"
#include "widgets/records/BoundEdit.h"
#include "widgets/records/RecordGrid.h"
#include "widgets/records/RecordNavigator.h"
#include "windows/WindowPieces.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QProgressDialog>
#include <QScreen>
#include <QStatusBar>
#include <QVBoxLayout>

namespace {
// The stored size is the whole window with a Windows frame (4 px borders, 19 px caption);
// Qt sizes the inside, menu bar included.
constexpr QSize InsideSize(744 - 2 * 4, 563 - 2 * 4 - 19);
constexpr int PanelTopHeight = 97;
constexpr int PanelBottomHeight = 41;

const QString AboutText = QStringLiteral("Bugs or Sugestions send mail to:\r"
                                         "zandrel.bugs@example.org or\r"
                                         "qorvin.support@example.org");
} // namespace

TFormZandrel::TFormZandrel(TMessageService& messages, QString catalogPath, QWidget* parent)
    : QMainWindow(parent)
    , Messages(messages)
    , CatalogPath(std::move(catalogPath)) {
    setObjectName(QStringLiteral("FormZandrel"));
    setWindowTitle(QStringLiteral("Zandrel - By Qorvin\u00ae"));
    QFont font = this->font();
    font.setPointSize(8);
    setFont(font);

    DataSourceData.SetDataSet(&TableData);
    connect(&DataSourceData, &TDataSource::DataChange, this,
            &TFormZandrel::DataSourceDataDataChange);

    CreateMenu();
    auto* client = new QWidget;
    auto* layout = new QVBoxLayout(client);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(CreatePanelTop());
    layout->addWidget(CreatePanelBottom());
    auto* grid = new TRecordGrid(Messages);
    grid->setObjectName(QStringLiteral("DBGridData"));
    grid->SetColumns(CatalogGridColumns());
    grid->SetDataSource(&DataSourceData);
    layout->addWidget(grid, 1);
    setCentralWidget(client);
    CreateStatusBar();

    // The platform's sans-serif is wider than the one the layout was drawn with: widen the
    // window just enough that the about label is not cut off.
    resize(std::max(InsideSize.width(), LabelByQorvin->geometry().right() + 8),
           InsideSize.height());
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    // A catalogue made before the search index or the table of discs gets them now; one that
    // cannot, or a build the user cancelled, is searched and its discs counted through its
    // rows as before.
    RunUserCommand(Messages, [this] { PrepareCatalog(); });
    // A missing or unreadable catalog is reported now, before the window shows; the window
    // then opens with the cursor closed and every later reopen tries the same file again.
    RunUserCommand(Messages, [this] { FormCreate(); });
}

TFormZandrel::~TFormZandrel() = default;

void TFormZandrel::CreateMenu() {
    struct TItem {
        const char* Menu;
        const char* MenuName;
        const char* Item;
        const char* ItemName;
        QKeySequence Shortcut;
        void (TFormZandrel::*Handler)();
    };
    const TItem items[] = {
        {"Data", "MenuItemData", "Insert", "MenuItemDataInsert", QKeySequence(Qt::CTRL | Qt::Key_I),
         &TFormZandrel::MenuItemDataInsertClick},
        {"Data", "MenuItemData", "Find", "MenuItemDataFind", QKeySequence(Qt::CTRL | Qt::Key_F),
         &TFormZandrel::MenuItemDataFindClick},
        {"Data", "MenuItemData", "Search...", "MenuItemDataSearch",
         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F), &TFormZandrel::MenuItemDataSearchClick},
        {"Data", "MenuItemData", "Discs...", "MenuItemDataDiscs",
         QKeySequence(Qt::CTRL | Qt::Key_D), &TFormZandrel::MenuItemDataDiscsClick},
        {"Data", "MenuItemData", "Export...", "MenuItemDataExport", QKeySequence(),
         &TFormZandrel::MenuItemDataExportClick},
        {"Data", "MenuItemData", "Import...", "MenuItemDataImport", QKeySequence(),
         &TFormZandrel::MenuItemDataImportClick},
        {"Help", "MenuItemHelp", "Topics", "MenuItemHelpTopics", QKeySequence(),
         &TFormZandrel::MenuItemHelpTopicsClick},
        {"Exit", "MenuItemExit", "Exit", "MenuItemExiExit", QKeySequence(Qt::CTRL | Qt::Key_Q),
         &TFormZandrel::MenuItemExiExitClick},
    };
    menuBar()->setObjectName(QStringLiteral("MainMenu"));
    QMenu* menu = nullptr;
    for (const TItem& item : items) {
        if (!menu || menu->objectName() != QLatin1String(item.MenuName)) {
            menu = menuBar()->addMenu(QLatin1String(item.Menu));
            menu->setObjectName(QLatin1String(item.MenuName));
        }
        QAction* action = menu->addAction(QLatin1String(item.Item));
        action->setObjectName(QLatin1String(item.ItemName));
        action->setShortcut(item.Shortcut);
        connect(action, &QAction::triggered, this, [this, handler = item.Handler] {
            RunUserCommand(Messages, [this, handler] { (this->*handler)(); });
        });
    }
}

QWidget* TFormZandrel::CreatePanelTop() {
    QFrame* panel = RaisedPanel("PanelTop", PanelTopHeight);
    NavyLabel(panel, "LabelLabel", QStringLiteral("CD Label"), {8, 8});
    NavyLabel(panel, "LabelDirectory", QStringLiteral("Directory on CD"), {96, 8});
    NavyLabel(panel, "LabelFile", QStringLiteral("File on Directory"), {416, 8});
    NavyLabel(panel, "LabelComents", QStringLiteral("Coments of File"), {8, 48});
    struct TBox {
        const char* Name = nullptr;
        const char* Field = nullptr;
        QRect Place;
    };
    const TBox boxes[] = {{"DBEditLabel", "Label", {8, 24, 81, 21}},
                          {"DBEditDirectory", "Directory", {96, 24, 313, 21}},
                          {"DBEditFile", "File", {416, 24, 313, 21}},
                          {"DBEditComents", "Coments", {8, 64, 721, 21}}};
    QWidget* previous = nullptr;
    for (const TBox& box : boxes) {
        auto* edit = new TBoundEdit(Messages, panel);
        edit->setObjectName(QLatin1String(box.Name));
        edit->setGeometry(box.Place);
        edit->SetDataField(QLatin1String(box.Field));
        edit->SetDataSource(&DataSourceData);
        if (previous)
            setTabOrder(previous, edit);
        previous = edit;
    }
    return panel;
}

QWidget* TFormZandrel::CreatePanelBottom() {
    QFrame* panel = RaisedPanel("PanelBottom", PanelBottomHeight);
    auto* navigator = new TRecordNavigator(Messages, panel);
    navigator->setObjectName(QStringLiteral("DBNavigatorData"));
    navigator->setGeometry(8, 8, 670, 25);
    navigator->SetDataSource(&DataSourceData);
    LabelByQorvin = NavyLabel(panel, "LabelByQorvin", QStringLiteral("By Qorvin\u00ae"), {688, 16});
    LabelByQorvin->setCursor(Qt::PointingHandCursor);
    LabelByQorvin->installEventFilter(this);
    return panel;
}

void TFormZandrel::CreateStatusBar() {
    setStatusBar(CounterStatusBar(CounterPanel));
}

void TFormZandrel::FormCreate() {
    TableData.Close();
    TableData.SetTableName(CatalogPath);
    TableData.Open();
}

// All in one transaction, with the progress shown at once and Cancel leaving the file as it
// was; the next start offers it again.
void TFormZandrel::PrepareCatalog() {
    if (!CatalogNeedsUpgrade(CatalogPath))
        return;
    QProgressDialog progress(QStringLiteral("Preparing the catalogue for searching and for its "
                                            "list of discs..."),
                             QStringLiteral("Cancel"), 0, 0, this);
    progress.setWindowTitle(windowTitle());
    progress.setWindowModality(Qt::ApplicationModal);
    progress.setMinimumDuration(0);
    progress.setValue(0);
    const TWaitCursor wait;
    UpgradeCatalog(CatalogPath, [&progress](qint64 done, qint64 total) {
        progress.setMaximum(int(std::min<qint64>(total, INT_MAX)));
        progress.setValue(int(std::min<qint64>(done, INT_MAX)));
        QCoreApplication::processEvents();
        return !progress.wasCanceled();
    });
}

void TFormZandrel::FormClose() {
    TableData.Close();
}

void TFormZandrel::closeEvent(QCloseEvent* event) {
    // Greyed while the insert-data window shows: closing now would leave that window, and the
    // program, running without this one. That window comes forward instead.
    if (!isEnabled()) {
        event->ignore();
        emit InsertDataRequested();
        return;
    }
    if (!RunUserCommand(
            Messages, [this] { DataSourceData.PostPendingEdit(); }, [event] { event->ignore(); }))
        return;
    FormClose();
    QMainWindow::closeEvent(event);
}

void TFormZandrel::MenuItemExiExitClick() {
    close();
}

// That window closes the catalog cursor: a modified row is posted first, and a post that
// fails keeps the window from opening.
void TFormZandrel::MenuItemDataInsertClick() {
    DataSourceData.PostPendingEdit();
    emit InsertDataRequested();
}

void TFormZandrel::MenuItemDataFindClick() {
    emit FindRequested();
}

void TFormZandrel::MenuItemDataDiscsClick() {
    emit DiscsRequested();
}

void TFormZandrel::MenuItemDataExportClick() {
    emit ExportRequested();
}

void TFormZandrel::MenuItemDataImportClick() {
    emit ImportRequested();
}

void TFormZandrel::MenuItemDataSearchClick() {
    emit SearchRequested();
}

void TFormZandrel::MenuItemHelpTopicsClick() {
    Messages.ShowMessage(QStringLiteral("Not Available"));
}

void TFormZandrel::LabelByQorvinClick() {
    Messages.ShowMessage(AboutText);
}

void TFormZandrel::ShowRow(qint64 rowId) {
    if (!isEnabled())
        throw TDataError(QStringLiteral("The catalogue is closed while a disc is being "
                                        "catalogued: finish or go back in the insert-data window "
                                        "first."));
    if (!TableData.GoToRowId(rowId))
        throw TDataError(QStringLiteral("The row is no longer in the catalogue: another window or "
                                        "program deleted it."),
                         TDataError::TSubject::File, CatalogPath);
    show();
    raise();
    activateWindow();
}

void TFormZandrel::GoToRow(qint64 rowId) {
    RunUserCommand(Messages, [this, rowId] { ShowRow(rowId); });
}

void TFormZandrel::DataSourceDataDataChange(int) {
    CounterPanel->setText(RecordCounterText(TableData));
}

// The label clicks as a button does: pressed over it and released over it.
bool TFormZandrel::eventFilter(QObject* watched, QEvent* event) {
    if (watched != LabelByQorvin ||
        (event->type() != QEvent::MouseButtonPress && event->type() != QEvent::MouseButtonRelease))
        return QMainWindow::eventFilter(watched, event);
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton)
        return QMainWindow::eventFilter(watched, event);
    const bool over = LabelByQorvin->rect().contains(mouse->position().toPoint());
    if (event->type() == QEvent::MouseButtonPress) {
        LabelPressed = over;
    } else {
        const bool clicked = LabelPressed && over;
        LabelPressed = false;
        if (clicked)
            RunUserCommand(Messages, [this] { LabelByQorvinClick(); });
    }
    return true;
}
