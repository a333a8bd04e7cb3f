#pragma once
// The table's rowids in order, so record numbers map to rows without OFFSET scans. A table
// that was only ever appended to holds one unbroken run of rowids and costs no memory. Once
// a row in the middle has gone, the map first knows only the two end rows (opening stays as
// cheap) and lists the sorted rowids (8 bytes a row) when a row between them is asked for.

#include <QtGlobal>
#include <vector>

class TRowMap {
public:
    void SetRun(qint64 firstRowId, qint64 count);
    void SetEnds(qint64 firstRowId, qint64 lastRowId, qint64 count);
    void SetRowIds(std::vector<qint64> rowIds);

    qint64 Count() const;
    // Whether RowIdAt(recordNumber) / RecordNumberOf(rowId) can answer without the list.
    bool Knows(qint64 recordNumber) const;
    bool KnowsRowId(qint64 rowId) const;
    // `recordNumber` counts from 1 and must be within 1..Count().
    qint64 RowIdAt(qint64 recordNumber) const;
    // The record number of `rowId`, or where it would stand: that of the first greater row.
    qint64 RecordNumberOf(qint64 rowId) const;

    // Both return false when the map knows too little; the caller then lists the rowids.
    bool Add(qint64 rowId);
    bool Remove(qint64 rowId);

private:
    void SpellOutRun();

    enum class TLayout { Run, Ends, Listed };
    TLayout Layout = TLayout::Run;
    qint64 FirstRowId = 1;
    qint64 LastRowId = 0;
    qint64 RowCount = 0;
    std::vector<qint64> RowIds;
};
