#include "widgets/pickers/PickerLineModel.h"

void TPickerLineModel::SetLines(std::vector<TPickerLine> lines) {
    beginResetModel();
    Entries = std::move(lines);
    endResetModel();
}

int TPickerLineModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(Entries.size());
}

QVariant TPickerLineModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const TPickerLine& line = Entries[static_cast<size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        return line.Text;
    case GlyphRole:
        return static_cast<int>(line.Glyph);
    case IndentRole:
        return line.Indent;
    default:
        return {};
    }
}
