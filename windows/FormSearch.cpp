#include "windows/FormSearch.h"

#include "widgets/MessageService.h"
#include "widgets/UserCommand.h"
#include "windows/SearchModel.h"
#include "windows/WindowPieces.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTableView>
#include <QVBoxLayout>

namespace {
constexpr QSize InitialSize(760, 440);
// Narrower than this beside the main window, the window stands over it instead.
constexpr int NarrowestBeside = 480;
// The field choice's first item looks in every field; the others follow the field order.
const QString AllFieldsText = QStringLiteral("All fields");
} // namespace

TFormSearch::TFormSearch(TMessageService& messages, QString catalogPath, QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Window)
    , Messages(messages)
    , MainWindow(mainWindow)
    , Model(new TSearchModel(std::move(catalogPath), this)) {
    setObjectName(QStringLiteral("FormSearch"));
    setWindowTitle(QStringLiteral("Search - Zandrel - By Qorvin\u00ae"));
    QFont font = this->font();
    font.setPointSize(8);
    setFont(font);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(CreateChoices());
    CreateGrid();
    layout->addWidget(GridResults, 1);
    auto* bottom = new QHBoxLayout;
    LabelCount = new QLabel(this);
    LabelCount->setObjectName(QStringLiteral("LabelCount"));
    bottom->addWidget(LabelCount, 1);
    ButtonExport = PushButton(this, "ButtonExport", QStringLiteral("Export..."), {});
    bottom->addWidget(ButtonExport);
    layout->addLayout(bottom);
    connect(ButtonExport, &QPushButton::clicked, this, [this] {
        emit ExportRequested(EditText->text(), ComboBoxField->currentData().toInt());
    });
    resize(InitialSize);

    connect(Model, &TSearchModel::CountChanged, this, &TFormSearch::ShowCount);
    connect(Model, &TSearchModel::Failed, this,
            [this](const QString& text) { Messages.ShowError(text); });
    ShowCount();
}

TFormSearch::~TFormSearch() = default;

QLayout* TFormSearch::CreateChoices() {
    auto* choices = new QHBoxLayout;
    QLabel* labelText = NavyLabel(this, "LabelText", QStringLiteral("Text"), {});
    EditText = new QLineEdit(this);
    EditText->setObjectName(QStringLiteral("EditText"));
    EditText->setAccessibleName(QStringLiteral("Text"));
    EditText->installEventFilter(this);
    labelText->setBuddy(EditText);
    QLabel* labelField = NavyLabel(this, "LabelField", QStringLiteral("Field"), {});
    ComboBoxField = new QComboBox(this);
    ComboBoxField->setObjectName(QStringLiteral("ComboBoxField"));
    ComboBoxField->setAccessibleName(QStringLiteral("Field"));
    ComboBoxField->addItem(AllFieldsText, AllFields);
    for (int field = 0; field < CatalogFieldCount; ++field)
        ComboBoxField->addItem(QString::fromLatin1(CatalogFields[size_t(field)].Title), field);
    labelField->setBuddy(ComboBoxField);
    choices->addWidget(labelText);
    choices->addWidget(EditText, 1);
    choices->addWidget(labelField);
    choices->addWidget(ComboBoxField);
    connect(EditText, &QLineEdit::textChanged, this,
            [this] { RunUserCommand(Messages, [this] { EditTextChange(); }); });
    connect(ComboBoxField, &QComboBox::currentIndexChanged, this,
            [this] { RunUserCommand(Messages, [this] { EditTextChange(); }); });
    return choices;
}

// Read-only, a row at a time, in the main grid's columns; every row as high as the others,
// so the view never measures a million of them.
void TFormSearch::CreateGrid() {
    GridResults = new QTableView(this);
    GridResults->setObjectName(QStringLiteral("GridResults"));
    GridResults->setAccessibleName(QStringLiteral("Results"));
    GridResults->setModel(Model);
    GridResults->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridResults->setSelectionBehavior(QAbstractItemView::SelectRows);
    GridResults->setSelectionMode(QAbstractItemView::SingleSelection);
    GridResults->setTabKeyNavigation(false);
    GridResults->setWordWrap(false);
    QHeaderView* rows = GridResults->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(GridResults->fontMetrics().height() + 4);
    const std::vector<TGridColumn> columns = CatalogGridColumns();
    for (size_t column = 0; column < columns.size(); ++column)
        GridResults->setColumnWidth(int(column), columns[column].Width);
    connect(GridResults, &QTableView::activated, this, [this](const QModelIndex& index) {
        RunUserCommand(Messages, [this, row = index.row()] { GoToResult(row); });
    });
}

void TFormSearch::Show() {
    const bool wasHidden = !isVisible();
    show();
    // Its frame is known once shown.
    if (!Placed) {
        PlaceBesideMainWindow();
        Placed = true;
    }
    raise();
    activateWindow();
    if (wasHidden)
        RunUserCommand(Messages, [this] { EditTextChange(); });
}

// To the right of the main window, else to its left, narrowed to the room there; where
// neither side has room enough, over the main window's right edge.
void TFormSearch::PlaceBesideMainWindow() {
    if (!MainWindow)
        return;
    const QRect main = MainWindow->frameGeometry();
    const QRect area = MainWindow->screen()->availableGeometry();
    const int frame = frameGeometry().width() - width();
    const int roomRight = area.right() - main.right();
    const int roomLeft = main.left() - area.left();
    if (std::max(roomRight, roomLeft) - frame >= NarrowestBeside)
        resize(std::min(width(), std::max(roomRight, roomLeft) - frame), height());
    const int wide = frameGeometry().width();
    const int left = roomRight >= wide  ? main.right() + 1
                     : roomLeft >= wide ? main.left() - wide
                                        : area.right() + 1 - wide;
    move(left, main.top());
}

void TFormSearch::FormClose() {
    hide();
    Model->Clear();
}

void TFormSearch::closeEvent(QCloseEvent* event) {
    event->ignore();
    FormClose();
}

// Coming back to the window after another program (or the main window) wrote: the matches
// are looked for again, so none is out of date.
void TFormSearch::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    StayEnabledBesideParent(*this, *event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        RunUserCommand(Messages, [this] {
            if (Model->Outdated())
                EditTextChange();
        });
}

void TFormSearch::EditTextChange() {
    Model->Search(EditText->text(), ComboBoxField->currentData().toInt());
}

void TFormSearch::GoToResult(int row) {
    if (row >= 0 && row < Model->rowCount())
        emit GoToRowRequested(Model->RowIdAt(row));
}

bool TFormSearch::EditTextKeyPress(int key) {
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        RunUserCommand(Messages, [this] {
            const QModelIndex current = GridResults->currentIndex();
            GoToResult(current.isValid() ? current.row() : 0);
        });
        return true;
    case Qt::Key_Down:
    case Qt::Key_PageDown:
        if (Model->rowCount() == 0)
            return false;
        GridResults->setFocus();
        if (!GridResults->currentIndex().isValid())
            GridResults->setCurrentIndex(Model->index(0, 0));
        return true;
    default:
        return false;
    }
}

bool TFormSearch::eventFilter(QObject* watched, QEvent* event) {
    if (watched == EditText && event->type() == QEvent::KeyPress &&
        EditTextKeyPress(static_cast<QKeyEvent*>(event)->key()))
        return true;
    return QWidget::eventFilter(watched, event);
}

QString TFormSearch::CountText(qint64 rows) {
    return rows == 0 ? QStringLiteral("No rows")
                     : Counted(rows, QStringLiteral("row"), QStringLiteral("rows"));
}

// Export is offered while there is a search whose rows are not known to be none.
void TFormSearch::ShowCount() {
    ButtonExport->setEnabled(Model->Searching() && (!Model->Counted() || Model->Count() > 0));
    if (!Model->Searching())
        LabelCount->clear();
    else if (!Model->Counted())
        LabelCount->setText(QStringLiteral("Searching..."));
    else
        LabelCount->setText(CountText(Model->Count()));
}
