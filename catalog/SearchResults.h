#pragma once
// The matches of one search as a list a window shows: counted a slice at a time, so the window
// answers between slices however many there are, and read as they are shown, a block of rows
// at a time, from places the count kept. Never the whole list in memory: a million matches
// keep about 16,000 places and a few blocks of rows.

#include "catalog/CatalogSearch.h"

#include <QDeadlineTimer>
#include <array>

class TSearchResults {
public:
    // The first rows counted are kept as they are found, so the first page needs no reading.
    // A hundred rows: more than a window shows, and no more than a keystroke waits for.
    static constexpr qint64 FirstPageRows = 100;

    // Opens the catalogue at `path` for searching (TCatalogSearch).
    explicit TSearchResults(const QString& path);

    TCatalogSearch& Search() { return Catalog; }

    // Looks for `text` in `field` anew; what was counted and read before is dropped.
    void Start(const QString& text, int field);
    // Drops the search and its matches.
    void Stop();
    // Counts on until `deadline` passes, the last row has been looked at, or the first page
    // has just been counted, so that a window shows it at once.
    void CountOn(const QDeadlineTimer& deadline);
    // The matches counted so far: all of them once Counted().
    qint64 Count() const { return Found; }
    bool Counted() const { return Done; }
    // Match `index` (from 0, below Count()) in record order, read with its block when it is
    // not at hand. A row another program deleted since the count comes back with rowid 0.
    const TFoundRow& Row(qint64 index);

private:
    static constexpr qint64 BlockRows = 64;

    // Where reading can start: the rowid of match `Index`. One every BlockRows matches, and
    // one after every long run of rows without a match, so a block read through every row
    // never walks more than BlockRows such runs.
    struct TAnchor {
        qint64 Index = 0;
        qint64 RowId = 0;
    };
    struct TBlock {
        qint64 Number = -1;
        std::vector<TFoundRow> Rows;
        quint64 LastUse = 0;
    };

    TBlock& BlockNumbered(qint64 number);
    void ReadBlock(TBlock& block);
    void Keep(qint64 index);

    TCatalogSearch Catalog;
    qint64 Found = 0;
    bool Done = true;
    qint64 LastFoundRowId = 0;
    std::vector<TAnchor> Anchors;
    std::array<TBlock, 16> Blocks;
    quint64 Uses = 0;
};
