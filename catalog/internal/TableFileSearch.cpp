#include "catalog/internal/TableFile.h"

#include "catalog/internal/SearchSql.h"

void TTableFile::RegisterSearch() {
    if (const int result = RegisterContainsFolded(Connection); result != SQLITE_OK)
        Fail(result);
}

void TTableFile::LookForSearchIndex() {
    SearchIndexed = SingleValue(WholeIndexQuery) != 0;
}

// The engine checks each row the index proposes, or every row, by the rule, without handing
// over the ones that do not match. Any length goes: a text is never a pattern.
qint64 TTableFile::FirstRowContaining(int field, const QString& text, qint64 fromRowId) {
    const QByteArray trigrams = SearchIndexed ? TrigramQuery(text) : QByteArray();
    TSqliteStatement query;
    int result =
        query.Prepare(Connection, MatchingRowsSql(field, !trigrams.isEmpty(), false).constData());
    if (result != SQLITE_OK)
        Fail(result);
    const QByteArray folded = FoldedText(text);
    query.BindInt64(1, fromRowId);
    query.BindText(2, folded);
    if (!trigrams.isEmpty())
        query.BindText(3, trigrams);
    while ((result = query.Step()) == SQLITE_ROW)
        if (query.ColumnInt64(1) != 0)
            return query.ColumnInt64(0);
    if (result != SQLITE_DONE)
        Fail(result);
    return 0;
}
