#include "catalog/RowMap.h"

#include <algorithm>
#include <numeric>

void TRowMap::SetRun(qint64 firstRowId, qint64 count) {
    IsRun = true;
    FirstRowId = firstRowId;
    RunCount = count;
    RowIds.clear();
    RowIds.shrink_to_fit();
}

void TRowMap::SetRowIds(std::vector<qint64> rowIds) {
    IsRun = false;
    RowIds = std::move(rowIds);
}

qint64 TRowMap::Count() const {
    return IsRun ? RunCount : qint64(RowIds.size());
}

qint64 TRowMap::RowIdAt(qint64 recordNumber) const {
    return IsRun ? FirstRowId + recordNumber - 1 : RowIds[size_t(recordNumber - 1)];
}

bool TRowMap::Contains(qint64 rowId) const {
    if (IsRun)
        return rowId >= FirstRowId && rowId < FirstRowId + RunCount;
    return std::binary_search(RowIds.begin(), RowIds.end(), rowId);
}

qint64 TRowMap::RecordNumberOf(qint64 rowId) const {
    if (IsRun)
        return std::clamp(rowId - FirstRowId, qint64(0), RunCount) + 1;
    return std::lower_bound(RowIds.begin(), RowIds.end(), rowId) - RowIds.begin() + 1;
}

void TRowMap::Add(qint64 rowId) {
    if (IsRun && RunCount == 0) {
        FirstRowId = rowId;
        RunCount = 1;
        return;
    }
    if (IsRun && rowId == FirstRowId + RunCount) {
        ++RunCount;
        return;
    }
    SpellOutRun();
    RowIds.insert(std::lower_bound(RowIds.begin(), RowIds.end(), rowId), rowId);
}

void TRowMap::Remove(qint64 rowId) {
    if (IsRun && RunCount > 0 && (rowId == FirstRowId || rowId == FirstRowId + RunCount - 1)) {
        if (rowId == FirstRowId)
            ++FirstRowId;
        --RunCount;
        return;
    }
    SpellOutRun();
    const auto found = std::lower_bound(RowIds.begin(), RowIds.end(), rowId);
    if (found != RowIds.end() && *found == rowId)
        RowIds.erase(found);
}

void TRowMap::SpellOutRun() {
    if (!IsRun)
        return;
    RowIds.resize(size_t(RunCount));
    std::iota(RowIds.begin(), RowIds.end(), FirstRowId);
    IsRun = false;
}
