#include "catalog/internal/TableFile.h"

#include "catalog/internal/SearchSql.h"

#include <QScopeGuard>
#include <limits>

void TTableFile::RegisterSearch() {
    if (const int result = RegisterContainsFolded(Connection); result != SQLITE_OK)
        Fail(result);
}

void TTableFile::LookForSearchIndex() {
    SearchIndexed = SingleValue(WholeIndexQuery) != 0;
}

namespace {
// A text of common letters has long lists in the index, which cost more to read than the rows
// up to a near match (Find Next): the rows of so many rowids are read first, before the index
// is asked.
constexpr qint64 RowIdsBeforeTheIndex = 4096;
constexpr qint64 LastRowId = std::numeric_limits<qint64>::max();
} // namespace

// The engine checks each row the index proposes, or every row, by the rule. Any length goes:
// a text is never a pattern.
qint64 TTableFile::FirstRowContaining(int field, const QString& text, qint64 fromRowId) {
    const QByteArray trigrams = SearchIndexed ? TrigramQuery(text) : QByteArray();
    const QByteArray folded = FoldedText(text);
    const qint64 nearEnd = trigrams.isEmpty() || fromRowId > LastRowId - RowIdsBeforeTheIndex
                               ? LastRowId
                               : fromRowId + RowIdsBeforeTheIndex;
    if (const qint64 found = FirstMatchBetween(field, folded, fromRowId, nearEnd);
        found != 0 || nearEnd == LastRowId)
        return found;
    return FirstProposedMatch(field, folded, trigrams, nearEnd + 1);
}

// The first match from `fromRowId` to `toRowId`, 0 for none: the engine reads the rows.
qint64 TTableFile::FirstMatchBetween(int field, const QByteArray& folded, qint64 fromRowId,
                                     qint64 toRowId) {
    TSqliteStatement& query = FindStatements[size_t(field + 1)];
    PrepareOnce(query, FirstMatchBetweenSql(field).constData());
    // Reset, so the statement holds no read of the file, nor the text, once done.
    const auto done = qScopeGuard([&query] { query.Reset(); });
    query.BindInt64(1, fromRowId);
    query.BindText(2, folded);
    query.BindInt64(4, toRowId);
    int result = SQLITE_OK;
    if ((result = query.Step()) == SQLITE_ROW)
        return query.ColumnInt64(0);
    if (result != SQLITE_DONE)
        Fail(result);
    return 0;
}

// The first match from `fromRowId` on among the rows the index proposes, 0 for none.
qint64 TTableFile::FirstProposedMatch(int field, const QByteArray& folded,
                                      const QByteArray& trigrams, qint64 fromRowId) {
    TSqliteStatement query;
    int result = query.Prepare(Connection, MatchingRowsSql(field, true, false).constData());
    if (result != SQLITE_OK)
        Fail(result);
    query.BindInt64(1, fromRowId);
    query.BindText(2, folded);
    query.BindText(3, trigrams);
    while ((result = query.Step()) == SQLITE_ROW)
        if (query.ColumnInt64(1) != 0)
            return query.ColumnInt64(0);
    if (result != SQLITE_DONE)
        Fail(result);
    return 0;
}
