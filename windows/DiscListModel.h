#pragma once
// The discs of the catalogue as a table for a view: label, files and folders, in the user's
// collator order of labels, the counts with the user's thousands separators.

#include "catalog/DiscCatalog.h"

#include <QAbstractTableModel>
#include <vector>

class TDiscListModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void SetDiscs(std::vector<TDisc> discs);
    const TDisc& Disc(int row) const { return Discs[size_t(row)]; }
    // The row of the disc `label`, -1 when there is none.
    int RowOf(const QString& label) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    std::vector<TDisc> Discs;
};
