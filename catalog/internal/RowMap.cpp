#include "catalog/internal/RowMap.h"

#include <algorithm>
#include <numeric>

void TRowMap::SetRun(qint64 firstRowId, qint64 count) {
    SetEnds(firstRowId, firstRowId + count - 1, count);
    Layout = TLayout::Run;
}

void TRowMap::SetEnds(qint64 firstRowId, qint64 lastRowId, qint64 count) {
    Layout = TLayout::Ends;
    FirstRowId = firstRowId;
    LastRowId = lastRowId;
    RowCount = count;
    RowIds.clear();
    RowIds.shrink_to_fit();
}

void TRowMap::SetRowIds(std::vector<qint64> rowIds) {
    Layout = TLayout::Listed;
    RowIds = std::move(rowIds);
}

qint64 TRowMap::Count() const {
    return Layout == TLayout::Listed ? qint64(RowIds.size()) : RowCount;
}

bool TRowMap::Knows(qint64 recordNumber) const {
    return Layout != TLayout::Ends || recordNumber == 1 || recordNumber == RowCount;
}

bool TRowMap::KnowsRowId(qint64 rowId) const {
    return Layout != TLayout::Ends || rowId <= FirstRowId || rowId >= LastRowId;
}

qint64 TRowMap::RowIdAt(qint64 recordNumber) const {
    switch (Layout) {
    case TLayout::Run:
        return FirstRowId + recordNumber - 1;
    case TLayout::Ends:
        return recordNumber == 1 ? FirstRowId : LastRowId;
    case TLayout::Listed:
        break;
    }
    return RowIds[size_t(recordNumber - 1)];
}

qint64 TRowMap::RecordNumberOf(qint64 rowId) const {
    switch (Layout) {
    case TLayout::Run:
        return std::clamp(rowId - FirstRowId, qint64(0), RowCount) + 1;
    case TLayout::Ends:
        return rowId <= FirstRowId ? 1 : rowId == LastRowId ? RowCount : RowCount + 1;
    case TLayout::Listed:
        break;
    }
    return std::lower_bound(RowIds.begin(), RowIds.end(), rowId) - RowIds.begin() + 1;
}

bool TRowMap::Add(qint64 rowId) {
    if (Layout != TLayout::Listed && RowCount == 0) {
        SetRun(rowId, 1);
        return true;
    }
    if (Layout != TLayout::Listed && rowId > LastRowId) {
        if (rowId != LastRowId + 1)
            Layout = TLayout::Ends; // a gap before the new row
        LastRowId = rowId;
        ++RowCount;
        return true;
    }
    if (Layout == TLayout::Ends)
        return false;
    SpellOutRun();
    RowIds.insert(std::lower_bound(RowIds.begin(), RowIds.end(), rowId), rowId);
    return true;
}

bool TRowMap::Remove(qint64 rowId) {
    if (Layout == TLayout::Run && RowCount > 0 && (rowId == FirstRowId || rowId == LastRowId)) {
        if (rowId == FirstRowId)
            ++FirstRowId;
        else
            --LastRowId;
        --RowCount;
        return true;
    }
    if (Layout == TLayout::Ends)
        return false;
    SpellOutRun();
    const auto found = std::lower_bound(RowIds.begin(), RowIds.end(), rowId);
    if (found != RowIds.end() && *found == rowId)
        RowIds.erase(found);
    return true;
}

void TRowMap::SpellOutRun() {
    if (Layout != TLayout::Run)
        return;
    RowIds.resize(size_t(RowCount));
    std::iota(RowIds.begin(), RowIds.end(), FirstRowId);
    Layout = TLayout::Listed;
}
