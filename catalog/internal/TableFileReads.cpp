#include "catalog/internal/TableFile.h"

#include "catalog/internal/FieldSql.h"

#include <QStringList>
#include <algorithm>

namespace {
constexpr int BlockRows = 256;
} // namespace

void TTableFile::ReadRowMap() {
    const qint64 count = SingleValue("SELECT count(*) FROM records");
    const qint64 first = count ? SingleValue("SELECT min(rowid) FROM records") : 1;
    const qint64 last = count ? SingleValue("SELECT max(rowid) FROM records") : 0;
    if (last - first + 1 == count)
        RowMap.SetRun(first, count);
    else
        RowMap.SetEnds(first, last, count);
    Damage.clear();
    ForgetCachedRows();
}

void TTableFile::ListRowIds() {
    std::vector<qint64> rowIds;
    rowIds.reserve(size_t(RowMap.Count()));
    TSqliteStatement query;
    int result = query.Prepare(Connection, "SELECT rowid FROM records ORDER BY rowid");
    if (result != SQLITE_OK)
        Fail(result);
    while ((result = query.Step()) == SQLITE_ROW)
        rowIds.push_back(query.ColumnInt64(0));
    if (result != SQLITE_DONE)
        Fail(result);
    RowMap.SetRowIds(std::move(rowIds));
}

qint64 TTableFile::RowIdAt(qint64 recordNumber) {
    if (!RowMap.Knows(recordNumber)) {
        for (const TBlock& block : Blocks) {
            const qint64 offset = recordNumber - block.FirstRecord;
            if (offset >= 0 && offset < block.Size())
                return (*block.Rows)[size_t(offset)].RowId;
        }
        ListRowIds();
    }
    return RowMap.RowIdAt(recordNumber);
}

qint64 TTableFile::RecordNumberOf(qint64 rowId) {
    if (!RowMap.KnowsRowId(rowId)) {
        for (const TBlock& block : Blocks) {
            if (block.Size() == 0 || rowId < block.Rows->front().RowId ||
                rowId > block.Rows->back().RowId)
                continue;
            const auto found = std::lower_bound(
                block.Rows->begin(), block.Rows->end(), rowId,
                [](const TStoredRow& row, qint64 wanted) { return row.RowId < wanted; });
            return block.FirstRecord + (found - block.Rows->begin());
        }
        ListRowIds();
    }
    return RowMap.RecordNumberOf(rowId);
}

void TTableFile::ForgetCachedRows() {
    for (TBlock& block : Blocks)
        block = {};
    ++RowsGeneration;
}

std::shared_ptr<const TStoredRow> TTableFile::Row(qint64 recordNumber) {
    if (recordNumber < 1 || recordNumber > RowMap.Count())
        Fail(QStringLiteral("Record %1 is outside the table's %2 rows.")
                 .arg(recordNumber)
                 .arg(RowMap.Count()));
    const TBlock* found = nullptr;
    for (const TBlock& block : Blocks)
        if (recordNumber >= block.FirstRecord && recordNumber < block.FirstRecord + block.Size())
            found = &block;
    if (!found) {
        // Blocks start at multiples of BlockRows, so a walk in either direction reuses them.
        ReadBlock((recordNumber - 1) / BlockRows * BlockRows + 1);
        found = &Blocks[(NextBlock + Blocks.size() - 1) % Blocks.size()];
    }
    // Shares the block, so the row outlives the cache without being copied.
    return {found->Rows, &(*found->Rows)[size_t(recordNumber - found->FirstRecord)]};
}

// Reads the rows from `firstRecord` on into the next block. The rows come back by rowid, so
// the rowids the map expects are checked: a table changed between the look for other
// writers and this read is read again rather than shown at the wrong place, and rows that
// disagree with a map read afresh while nobody committed show that the file is damaged.
void TTableFile::ReadBlock(qint64 firstRecord) {
    std::vector<TStoredRow> read;
    if (!ReadRowsAsMapped(firstRecord, read)) {
        // The next look for other writers reads the schema again if someone committed.
        const qint64 version = DataVersion();
        const bool committed = version != LastDataVersion;
        if (!committed && !Damage.isEmpty())
            Fail(Damage);
        ReadRowMap();
        if (!committed && firstRecord <= RowMap.Count() && !ReadRowsAsMapped(firstRecord, read) &&
            DataVersion() == version)
            Fail(DamageFound());
        Fail(QStringLiteral("Another program changed the table while it was read; try "
                            "again."));
    }
    TBlock& block = Blocks[NextBlock];
    block.FirstRecord = firstRecord;
    block.Rows = std::make_shared<const std::vector<TStoredRow>>(std::move(read));
    NextBlock = (NextBlock + 1) % Blocks.size();
}

// Reads the rows from `firstRecord` on into `read`; false when they are not the rows the
// map expects there.
bool TTableFile::ReadRowsAsMapped(qint64 firstRecord, std::vector<TStoredRow>& read) {
    const qint64 rows = std::min<qint64>(BlockRows, RowMap.Count() - firstRecord + 1);
    // A walk reads the next block after the last rowid it has, and the last block is read
    // back from the last row, so a table with gaps is walked without listing every rowid.
    qint64 fromRowId = 0;
    for (const TBlock& block : Blocks)
        if (block.Size() > 0 && block.FirstRecord + block.Size() == firstRecord)
            fromRowId = block.Rows->back().RowId + 1;
    const bool backward =
        !fromRowId && !RowMap.Knows(firstRecord) && firstRecord + rows - 1 == RowMap.Count();
    TSqliteStatement& query = backward ? BackwardBlockQuery : BlockQuery;
    static const QByteArray forwardSql =
        "SELECT rowid, " + FieldList() + " FROM records WHERE rowid >= ?1 ORDER BY rowid LIMIT ?2";
    static const QByteArray backwardSql = "SELECT rowid, " + FieldList() +
                                          " FROM records WHERE rowid <= ?1 ORDER BY rowid DESC "
                                          "LIMIT ?2";
    PrepareOnce(BlockQuery, forwardSql.constData());
    PrepareOnce(BackwardBlockQuery, backwardSql.constData());
    query.BindInt64(1, backward    ? RowMap.RowIdAt(RowMap.Count())
                       : fromRowId ? fromRowId
                                   : RowIdAt(firstRecord));
    query.BindInt64(2, rows);
    read.clear();
    read.reserve(size_t(rows));
    int result = SQLITE_OK;
    while ((result = query.Step()) == SQLITE_ROW) {
        TStoredRow& row = read.emplace_back();
        row.RowId = query.ColumnInt64(0);
        std::shared_ptr<TStoredValues> stored;
        for (int field = 0; field < CatalogFieldCount; ++field) {
            const int column = field + 1;
            QString& shown = row.Values[size_t(field)];
            // What is stored beside the text shown for it: text that is not UTF-8 (or starts
            // with a byte order mark, which the text shown drops), a number, NULL, a blob.
            const bool text = query.ColumnType(column) == SQLITE_TEXT;
            if (text) {
                const QByteArrayView bytes = query.ColumnBytes(column);
                shown = QString::fromUtf8(bytes);
                const bool byteOrderMark =
                    bytes.size() >= 3 && bytes[0] == '\xEF' && bytes.startsWith("\xEF\xBB\xBF");
                if (!byteOrderMark && !shown.contains(QChar::ReplacementCharacter))
                    continue;
            }
            if (!stored)
                stored = std::make_shared<TStoredValues>();
            TStoredValue& value = (*stored)[size_t(field)];
            value = query.ColumnValue(column);
            if (!text)
                shown = value.Kind == TStoredValue::TKind::Blob ? QString::fromUtf8(value.Bytes)
                                                                : query.ColumnText(column);
        }
        row.Stored = std::move(stored);
    }
    query.Reset();
    if (result != SQLITE_DONE)
        Fail(result);
    if (backward)
        std::reverse(read.begin(), read.end());

    bool asExpected = qint64(read.size()) == rows;
    for (qint64 offset = 0; asExpected && offset < rows; ++offset)
        if (RowMap.Knows(firstRecord + offset))
            asExpected = RowMap.RowIdAt(firstRecord + offset) == read[size_t(offset)].RowId;
    return asExpected;
}

// The engine's own words on what is wrong with the file, kept until the rows are read anew.
QString TTableFile::DamageFound() {
    TSqliteStatement check;
    QStringList findings;
    int result = check.Prepare(Connection, "PRAGMA quick_check(3)");
    if (result != SQLITE_OK)
        Fail(result);
    while ((result = check.Step()) == SQLITE_ROW)
        findings << check.ColumnText(0).split(u'\n');
    if (result != SQLITE_DONE)
        Fail(result);
    findings.removeAll(QStringLiteral("*** in database main ***"));
    Damage = findings == QStringList(QStringLiteral("ok"))
                 ? QStringLiteral("The table file is damaged: its rows disagree with its row "
                                  "count.")
                 : QStringLiteral("The table file is damaged: %1.").arg(findings.join(u"; "));
    return Damage;
}
