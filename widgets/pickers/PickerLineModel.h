#pragma once
// The entries of a drive selector, folder list or file list: a plain vector behind a light
// list model, so a folder of 100,000 files is one reset and no per-item objects.

#include "widgets/pickers/PickerLine.h"

#include <QAbstractListModel>
#include <vector>

class TPickerLineModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum TRole { GlyphRole = Qt::UserRole, IndentRole };

    using QAbstractListModel::QAbstractListModel;

    void SetLines(std::vector<TPickerLine> lines);
    const std::vector<TPickerLine>& Lines() const { return Entries; }

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    std::vector<TPickerLine> Entries;
};
