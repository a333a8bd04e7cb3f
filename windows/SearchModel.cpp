#include "windows/SearchModel.h"

#include "widgets/MessageService.h"

#include <climits>

namespace {
// The first slice reads the first page, and ends sooner when the page is full; the later
// ones leave the event loop free between them for the next key.
constexpr int FirstSliceMilliseconds = 100;
constexpr int SliceMilliseconds = 15;
} // namespace

TSearchModel::TSearchModel(QString path, QObject* parent)
    : QAbstractTableModel(parent)
    , Path(std::move(path)) {
    Slices.setInterval(0);
    connect(&Slices, &QTimer::timeout, this, &TSearchModel::CountOn);
}

TSearchModel::~TSearchModel() = default;

void TSearchModel::Search(const QString& text, int field) {
    Slices.stop();
    beginResetModel();
    Shown = 0;
    Text = text;
    Broken = false;
    try {
        if (!Results && !text.isEmpty())
            Results = std::make_unique<TSearchResults>(Path);
        if (Results && text.isEmpty()) {
            Results->Stop();
        } else if (Results) {
            Results->Start(text, field);
            Results->CountOn(QDeadlineTimer(FirstSliceMilliseconds));
            Shown = Results->Count();
        }
    } catch (...) {
        Text.clear();
        endResetModel();
        emit CountChanged();
        throw;
    }
    endResetModel();
    if (!Counted())
        Slices.start();
    emit CountChanged();
}

void TSearchModel::Clear() {
    Slices.stop();
    beginResetModel();
    Results.reset();
    Text.clear();
    Shown = 0;
    endResetModel();
    emit CountChanged();
}

bool TSearchModel::Counted() const {
    return !Searching() || Broken || Results->Counted();
}

void TSearchModel::CountOn() {
    try {
        Results->CountOn(QDeadlineTimer(SliceMilliseconds));
    } catch (const std::exception& error) {
        Fail(error);
    }
    if (Counted())
        Slices.stop();
    const qint64 counted = std::min<qint64>(Results->Count(), INT_MAX);
    if (counted > Shown) {
        beginInsertRows({}, int(Shown), int(counted - 1));
        Shown = counted;
        endInsertRows();
    }
    emit CountChanged();
}

void TSearchModel::Fail(const std::exception& error) const {
    if (Broken)
        return;
    Broken = true;
    // Later, from the event loop: the error box must not open inside a view's painting.
    QMetaObject::invokeMethod(
        const_cast<TSearchModel*>(this),
        [this, text = TMessageService::TextOf(error)] {
            emit const_cast<TSearchModel*>(this)->Failed(text);
        },
        Qt::QueuedConnection);
}

qint64 TSearchModel::RowIdAt(int row) const {
    if (!Searching() || row < 0 || row >= Shown)
        return 0;
    try {
        return Results->Row(row).RowId;
    } catch (const std::exception& error) {
        Fail(error);
        return 0;
    }
}

bool TSearchModel::Outdated() const {
    return Searching() && Results->Search().Changed();
}

int TSearchModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(Shown);
}

int TSearchModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : CatalogFieldCount;
}

QVariant TSearchModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !Searching() || Broken || !index.isValid())
        return {};
    try {
        return Results->Row(index.row()).Values[size_t(index.column())];
    } catch (const std::exception& error) {
        Fail(error);
        return {};
    }
}

QVariant TSearchModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= CatalogFieldCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    return QString::fromLatin1(CatalogFields[size_t(section)].Title);
}
