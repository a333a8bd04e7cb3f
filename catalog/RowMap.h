#pragma once
// The table's rowids in order, so record numbers map to rows without OFFSET scans. A table
// that was only ever appended to holds one unbroken run of rowids and costs no memory; once a
// row in the middle goes, the map keeps the sorted rowids (8 bytes a row).

#include <QtGlobal>
#include <vector>

class TRowMap {
public:
    void SetRun(qint64 firstRowId, qint64 count);
    void SetRowIds(std::vector<qint64> rowIds);

    qint64 Count() const;
    // `recordNumber` counts from 1 and must be within 1..Count().
    qint64 RowIdAt(qint64 recordNumber) const;
    bool Contains(qint64 rowId) const;
    // The record number of `rowId`, or where it would stand: that of the first greater row.
    qint64 RecordNumberOf(qint64 rowId) const;

    void Add(qint64 rowId);
    void Remove(qint64 rowId);

private:
    void SpellOutRun();

    bool IsRun = true;
    qint64 FirstRowId = 1;
    qint64 RunCount = 0;
    std::vector<qint64> RowIds;
};
