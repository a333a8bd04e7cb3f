#include "windows/FormDiscs.h"

#include "catalog/DataError.h"
#include "catalog/TableCursor.h"
#include "widgets/MessageService.h"
#include "widgets/PromptService.h"
#include "widgets/UserCommand.h"
#include "widgets/WaitCursor.h"
#include "widgets/records/DataSource.h"
#include "windows/WindowPieces.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QHideEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <numeric>

namespace {
constexpr int ColumnWidths[] = {190, 80, 70};
constexpr QSize ButtonSize(89, 25);
} // namespace

TFormDiscs::TFormDiscs(TMessageService& messages, TPromptService& prompts, TDataSource& mainSource,
                       QWidget* mainWindow)
    : QWidget(mainWindow, Qt::Window)
    , Messages(messages)
    , Prompts(prompts)
    , MainSource(mainSource)
    , MainWindow(mainWindow)
    , GridDiscs(new QTableView(this))
    , LabelCount(NavyLabel(this, "LabelCount", {}, {})) {
    setObjectName(QStringLiteral("FormDiscs"));
    setWindowTitle(QStringLiteral("Discs - Zandrel - By Qorvin\u00ae"));
    QFont font = this->font();
    font.setPointSize(8);
    setFont(font);

    GridDiscs->setObjectName(QStringLiteral("GridDiscs"));
    GridDiscs->setModel(&Model);
    GridDiscs->setSelectionBehavior(QAbstractItemView::SelectRows);
    GridDiscs->setSelectionMode(QAbstractItemView::SingleSelection);
    GridDiscs->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridDiscs->setTabKeyNavigation(false);
    GridDiscs->verticalHeader()->hide();
    GridDiscs->verticalHeader()->setDefaultSectionSize(GridDiscs->fontMetrics().height() + 4);
    for (int column = 0; column < int(std::size(ColumnWidths)); ++column)
        GridDiscs->setColumnWidth(column, ColumnWidths[column]);
    GridDiscs->horizontalHeader()->setStretchLastSection(true);

    auto* buttons = new QVBoxLayout;
    buttons->setSpacing(7);
    const auto command = [this](void (TFormDiscs::*handler)()) {
        return [this, handler] {
            RunUserCommand(Messages, [this, handler] { (this->*handler)(); });
        };
    };
    struct TButton {
        const char* Name;
        const char* Caption;
        void (TFormDiscs::*Handler)();
    };
    const TButton shown[] = {
        {"ButtonGoTo", "Go To", &TFormDiscs::ButtonGoToClick},
        {"ButtonRename", "Rename...", &TFormDiscs::ButtonRenameClick},
        {"ButtonDelete", "Delete...", &TFormDiscs::ButtonDeleteClick},
        {"ButtonUpdate", "Update...", &TFormDiscs::ButtonUpdateClick},
        {"ButtonExport", "Export...", &TFormDiscs::ButtonExportClick},
    };
    for (const TButton& button : shown) {
        QPushButton* made = PushButton(this, button.Name, QLatin1String(button.Caption), {});
        made->setFixedSize(ButtonSize);
        connect(made, &QPushButton::clicked, this, command(button.Handler));
        buttons->addWidget(made);
        DiscButtons.push_back(made);
    }
    buttons->addStretch(1);
    auto* columns = new QHBoxLayout;
    columns->addWidget(GridDiscs, 1);
    columns->addLayout(buttons);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addLayout(columns, 1);
    layout->addWidget(LabelCount);
    resize(std::accumulate(std::begin(ColumnWidths), std::end(ColumnWidths), 0) + 2 * 8 + 8 +
               ButtonSize.width() + 24,
           360);

    // Enter or a double click on a disc goes to it.
    connect(GridDiscs, &QTableView::activated, this, command(&TFormDiscs::ButtonGoToClick));
    connect(GridDiscs->selectionModel(), &QItemSelectionModel::currentChanged, this,
            &TFormDiscs::ChoiceChanged);
    connect(&Model, &QAbstractItemModel::modelReset, this, &TFormDiscs::ChoiceChanged);
    connect(&MainSource, &TDataSource::DataChange, this, &TFormDiscs::MainDataChange);
    ChoiceChanged();
}

TFormDiscs::~TFormDiscs() = default;

void TFormDiscs::Show() {
    ShowBeside(*this, MainWindow, Placed);
    RunUserCommand(Messages, [this] { ListDiscs(); });
}

// Another program's changes show when the window shows again: nothing is kept open meanwhile.
void TFormDiscs::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (!event->spontaneous())
        Discs.reset();
}

TDiscCatalog& TFormDiscs::Catalogue() {
    if (!Discs)
        Discs = std::make_unique<TDiscCatalog>(MainSource.DataSet()->TableName());
    return *Discs;
}

void TFormDiscs::ListDiscs() {
    const std::optional<TDisc> chosen = ChosenDisc();
    Model.SetDiscs(Catalogue().Discs());
    LabelCount->setText(Counted(Model.rowCount(), QStringLiteral("disc"), QStringLiteral("discs")));
    LabelCount->adjustSize();
    const int row = chosen ? std::max(Model.RowOf(chosen->Label), 0) : 0;
    if (Model.rowCount() > 0)
        GridDiscs->setCurrentIndex(Model.index(std::min(row, Model.rowCount() - 1), 0));
}

// Every change of this program's cursors shows at once: the file tells cheaply whether any
// connection but the window's own wrote since it listed.
void TFormDiscs::MainDataChange() {
    if (isVisible() && Discs)
        RunUserCommand(Messages, [this] {
            if (Discs->ChangedSinceListed())
                ListDiscs();
        });
}

void TFormDiscs::ChoiceChanged() {
    const bool chosen = GridDiscs->currentIndex().isValid();
    for (QPushButton* button : DiscButtons)
        button->setEnabled(chosen);
}

std::optional<TDisc> TFormDiscs::ChosenDisc() const {
    const QModelIndex current = GridDiscs->currentIndex();
    if (!current.isValid())
        return std::nullopt;
    return Model.Disc(current.row());
}

void TFormDiscs::ButtonGoToClick() {
    const std::optional<TDisc> disc = ChosenDisc();
    if (!disc)
        return;
    const qint64 rowId = Catalogue().FirstRowOf(disc->Label);
    if (rowId == 0) {
        ListDiscs();
        throw TDataError(QStringLiteral("The catalogue holds no disc %1 any more: another "
                                        "program or window changed it.")
                             .arg(disc->Label),
                         TDataError::TSubject::File, MainSource.DataSet()->TableName());
    }
    emit GoToRowRequested(rowId);
}

void TFormDiscs::ButtonRenameClick() {
    const std::optional<TDisc> disc = ChosenDisc();
    if (!disc)
        return;
    const std::optional<QString> label =
        Prompts.AskText(this, QStringLiteral("Rename Disc"),
                        QStringLiteral("New label of disc %1:").arg(disc->Label), disc->Label,
                        Catalogue().LabelSize());
    if (!label || *label == disc->Label)
        return;
    if (Catalogue().FirstRowOf(*label) != 0 &&
        !Messages.Confirm(QStringLiteral("The catalogue already holds a disc %1: put both under "
                                         "that label?")
                              .arg(*label)))
        return;
    {
        const TWaitCursor wait;
        WriteBesideMainWindow(MainSource, [&] { Catalogue().Rename(disc->Label, *label); });
        ListDiscs();
    }
    GridDiscs->setCurrentIndex(Model.index(std::max(Model.RowOf(*label), 0), 0));
}

void TFormDiscs::ButtonDeleteClick() {
    const std::optional<TDisc> disc = ChosenDisc();
    if (!disc || !Messages.Confirm(
                     QStringLiteral("Delete the %1 of disc %2?")
                         .arg(Counted(disc->Files, QStringLiteral("row"), QStringLiteral("rows")),
                              disc->Label)))
        return;
    const TWaitCursor wait;
    WriteBesideMainWindow(MainSource, [&] { Catalogue().Delete(disc->Label, disc->Files); });
    ListDiscs();
}

void TFormDiscs::ButtonUpdateClick() {
    if (const std::optional<TDisc> disc = ChosenDisc())
        emit UpdateRequested(disc->Label);
}

void TFormDiscs::ButtonExportClick() {
    if (const std::optional<TDisc> disc = ChosenDisc())
        emit ExportRequested(disc->Label);
}
