#pragma once
// The matches of a search as a table view reads them: the four fields of each matching row,
// counted a slice at a time on the event loop, so typing is never kept waiting, and read as
// they are shown, so a million matches cost what a screenful does.

#include "catalog/SearchResults.h"

#include <QAbstractTableModel>
#include <QTimer>
#include <memory>

class TSearchModel : public QAbstractTableModel {
    Q_OBJECT
public:
    // Searches the catalogue at `path`, opened at the first search.
    explicit TSearchModel(QString path, QObject* parent = nullptr);
    ~TSearchModel() override;
    Q_DISABLE_COPY_MOVE(TSearchModel)

    // Looks for `text` in `field` (a field index, or AllFields): the search going on is
    // dropped at once, and the first page of matches is read before it returns. An empty
    // text lists nothing. Throws TDataError when the catalogue cannot be read.
    void Search(const QString& text, int field);
    // Drops the matches and the search going on.
    void Clear();
    // Whether a search is on: a text was given and the catalogue read.
    bool Searching() const { return Results && !Text.isEmpty(); }
    bool Counted() const;
    qint64 Count() const { return Shown; }
    // The rowid of the match on `row`; 0 when another program deleted it since the count.
    qint64 RowIdAt(int row) const;
    // Whether another program wrote to the catalogue since the search began.
    bool Outdated() const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

signals:
    // More matches were counted, or all of them.
    void CountChanged();
    // Reading the catalogue failed between two commands of the user (while counting on, or
    // reading the rows a view shows): the search stops, and this says why.
    void Failed(const QString& text);

private:
    void CountOn();
    void Fail(const std::exception& error) const;

    const QString Path;
    std::unique_ptr<TSearchResults> Results;
    QString Text;
    qint64 Shown = 0;
    // Set by the first failure, so a view that goes on asking is told once.
    mutable bool Broken = false;
    QTimer Slices;
};
