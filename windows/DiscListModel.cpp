#include "windows/DiscListModel.h"

#include "catalog/CatalogFields.h"
#include "platform/NameOrder.h"
#include "windows/WindowPieces.h"

#include <algorithm>

namespace {
enum TColumn { LabelColumn, FilesColumn, FoldersColumn, ColumnCount };
} // namespace

void TDiscListModel::SetDiscs(std::vector<TDisc> discs) {
    const QCollator order = NameOrder();
    // Labels the collator holds equal follow in code-unit order, so the order is total.
    const auto before = [&order](const TDisc& a, const TDisc& b) {
        const int compared = order.compare(a.Label, b.Label);
        return compared != 0 ? compared < 0 : a.Label < b.Label;
    };
    // The catalogue lists its discs by the labels' bytes, which for labels as volumes carry
    // them (capitals and digits) is already the user's order: looking costs a comparison a
    // disc, a sort a dozen.
    if (!std::is_sorted(discs.begin(), discs.end(), before))
        std::sort(discs.begin(), discs.end(), before);
    beginResetModel();
    Discs = std::move(discs);
    endResetModel();
}

int TDiscListModel::RowOf(const QString& label) const {
    const auto found = std::find_if(Discs.begin(), Discs.end(),
                                    [&label](const TDisc& disc) { return disc.Label == label; });
    return found == Discs.end() ? -1 : int(found - Discs.begin());
}

int TDiscListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(Discs.size());
}

int TDiscListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant TDiscListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid())
        return {};
    const TDisc& disc = Discs[size_t(index.row())];
    if (role == Qt::TextAlignmentRole && index.column() != LabelColumn)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::AccessibleTextRole)
        return {};
    switch (index.column()) {
    case LabelColumn:
        return disc.Label;
    case FilesColumn:
        return Formatted(disc.Files);
    default:
        return Formatted(disc.Folders);
    }
}

QVariant TDiscListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal)
        return {};
    switch (section) {
    case LabelColumn:
        return QString::fromLatin1(CatalogFields[LabelField].Title);
    case FilesColumn:
        return QStringLiteral("Files");
    default:
        return QStringLiteral("Folders");
    }
}
