#include "catalog/SearchResults.h"

#include <algorithm>

namespace {
// Rows without a match after which the next match is a place to start reading from: a block
// read through every row then walks at most 64 such runs, a few milliseconds.
constexpr quint64 LongRun = 1024;
// How many rows are looked at between two looks at the clock.
constexpr int StepsBetweenLooks = 16;
} // namespace

TSearchResults::TSearchResults(const QString& path)
    : Catalog(path) {}

void TSearchResults::Start(const QString& text, int field) {
    Stop();
    Catalog.Start(text, field);
    Done = false;
}

void TSearchResults::Stop() {
    Catalog.Stop();
    Found = 0;
    Done = true;
    LastFoundRowId = 0;
    Anchors.clear();
    for (TBlock& block : Blocks)
        block = {};
}

void TSearchResults::CountOn(const QDeadlineTimer& deadline) {
    for (int steps = 1; !Done; ++steps) {
        if (!Catalog.Step()) {
            Done = true;
            break;
        }
        if (Catalog.Matched()) {
            const qint64 rowId = Catalog.RowId();
            // Rowids only grow along the walk: their difference taken unsigned never overflows.
            if (Found % BlockRows == 0 || quint64(rowId) - quint64(LastFoundRowId) > LongRun)
                Anchors.push_back({Found, rowId});
            LastFoundRowId = rowId;
            if (Found < FirstPageRows)
                Keep(Found);
            if (++Found == FirstPageRows)
                break;
        }
        if (steps % StepsBetweenLooks == 0 && deadline.hasExpired())
            break;
    }
}

// Puts the match the walk stands on into its block, when the block holds the ones before it.
void TSearchResults::Keep(qint64 index) {
    TBlock& block = BlockNumbered(index / BlockRows);
    if (qint64(block.Rows.size()) == index % BlockRows)
        block.Rows.push_back({Catalog.RowId(), Catalog.Values()});
}

const TFoundRow& TSearchResults::Row(qint64 index) {
    static const TFoundRow gone;
    TBlock& block = BlockNumbered(index / BlockRows);
    const qint64 offset = index % BlockRows;
    if (qint64(block.Rows.size()) <= offset)
        ReadBlock(block);
    return offset < qint64(block.Rows.size()) ? block.Rows[size_t(offset)] : gone;
}

// The block of that number when it is at hand, else the one used longest ago, emptied for it.
TSearchResults::TBlock& TSearchResults::BlockNumbered(qint64 number) {
    auto found = std::find_if(Blocks.begin(), Blocks.end(),
                              [number](const TBlock& block) { return block.Number == number; });
    if (found == Blocks.end()) {
        found =
            std::min_element(Blocks.begin(), Blocks.end(), [](const TBlock& a, const TBlock& b) {
                return a.LastUse < b.LastUse;
            });
        *found = {number, {}, 0};
    }
    found->LastUse = ++Uses;
    return *found;
}

// Reads the block's matches that have been counted, each run between two places from the
// first of them, so no read walks the rows between runs.
void TSearchResults::ReadBlock(TBlock& block) {
    const qint64 first = block.Number * BlockRows;
    const qint64 wanted = std::min(BlockRows, Found - first);
    block.Rows.clear();
    while (qint64(block.Rows.size()) < wanted) {
        const qint64 index = first + qint64(block.Rows.size());
        const auto next = std::upper_bound(
            Anchors.begin(), Anchors.end(), index,
            [](qint64 wantedIndex, const TAnchor& anchor) { return wantedIndex < anchor.Index; });
        const TAnchor& from = *std::prev(next);
        const qint64 runEnd = next == Anchors.end() ? Found : next->Index;
        const qint64 count = std::min(wanted - qint64(block.Rows.size()), runEnd - index);
        std::vector<TFoundRow> rows = Catalog.Read(from.RowId, index - from.Index, count);
        const bool whole = qint64(rows.size()) == count;
        block.Rows.insert(block.Rows.end(), std::make_move_iterator(rows.begin()),
                          std::make_move_iterator(rows.end()));
        // Another program deleted rows since the count: the rest is not where the places say.
        if (!whole)
            break;
    }
}
