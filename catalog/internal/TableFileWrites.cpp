#include "catalog/internal/TableFile.h"

#include "catalog/internal/DiscCounts.h"
#include "catalog/internal/FieldSql.h"

#include <QFileInfo>
#include <QUrl>
#include <limits>

template <typename Write> void TTableFile::WriteInTransaction(Write&& write) {
    if (Bulk == TBulk::Aborted)
        throw TDataError(QStringLiteral("The rows of this bulk work were not stored, nor is "
                                        "anything after them: "),
                         *BulkAbortCause);
    if (Bulk == TBulk::Open) {
        try {
            write();
        } catch (const TDataError& error) {
            // All or none: the engine may already have rolled the whole work back (a full
            // disk), and nothing after a failure may be committed on its own.
            AbortBulk(error);
            throw;
        }
        return;
    }
    RequireOpenedFile();
    Execute("BEGIN IMMEDIATE");
    try {
        NoticeOtherWriters();
        write();
        Execute("COMMIT");
    } catch (...) {
        sqlite3_exec(Connection, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
}

TStoredRow TTableFile::InsertRow(const TFieldValues& values) {
    static const QByteArray sql =
        "INSERT INTO records (" + FieldList() + ") VALUES (" + FieldParameters() + ")";
    PrepareOnce(InsertStatement, sql.constData());
    TStoredRow row{0, values, {}};
    WriteInTransaction([&] {
        std::array<QByteArray, CatalogFieldCount> utf8;
        for (int field = 0; field < CatalogFieldCount; ++field) {
            utf8[size_t(field)] = values[size_t(field)].toUtf8();
            InsertStatement.BindText(field + 1, utf8[size_t(field)]);
        }
        StepWrite(InsertStatement);
        row.RowId = sqlite3_last_insert_rowid(Connection);
    });
    if (!RowMap.Add(row.RowId))
        ListRowIds();
    // A row added after the last leaves every other row where it was: the cached rows stay.
    if (RecordNumberOf(row.RowId) == RowMap.Count())
        ++RowsGeneration;
    else
        ForgetCachedRows();
    return row;
}

// The row is matched on its rowid and on every value exactly as it was stored when read,
// so a rowid that another program freed and used again for a new row is never taken for
// the old one. `first` is the number of the rowid's parameter; the four values follow it.
static QByteArray RowAsSeen(int first) {
    QByteArray condition = "rowid = ?" + QByteArray::number(first);
    for (int field = 0; field < CatalogFieldCount; ++field)
        condition += " AND " + QuotedField(field) + " IS ?" + QByteArray::number(first + 1 + field);
    return condition;
}

// Steps `statement`, whose condition is RowAsSeen(first), on the row `seen`; fails saying
// `notDone` when that row is gone or was changed since it was read.
void TTableFile::StepOnRowAsSeen(TSqliteStatement& statement, int first, const TStoredRow& seen,
                                 const QString& notDone) {
    std::array<QByteArray, CatalogFieldCount> utf8;
    statement.BindInt64(first, seen.RowId);
    static const TStoredValues shown;
    const TStoredValues& stored = seen.Stored ? *seen.Stored : shown;
    for (int field = 0; field < CatalogFieldCount; ++field) {
        utf8[size_t(field)] = seen.Values[size_t(field)].toUtf8();
        statement.BindValue(first + 1 + field, stored[size_t(field)], utf8[size_t(field)]);
    }
    StepWrite(statement);
    if (sqlite3_changes(Connection) == 0)
        Fail(QStringLiteral("The row was deleted or changed by another program or window "
                            "since it was read, so %1")
                 .arg(notDone));
}

TStoredRow TTableFile::UpdateRow(const TStoredRow& seen, const TFieldValues& values) {
    TStoredRow row = seen;
    TStoredValues stored = seen.Stored ? *seen.Stored : TStoredValues();
    std::array<QByteArray, CatalogFieldCount> utf8;
    std::array<bool, CatalogFieldCount> changed{};
    QByteArray assignments;
    for (int field = 0; field < CatalogFieldCount; ++field) {
        changed[size_t(field)] = values[size_t(field)] != seen.Values[size_t(field)];
        if (!changed[size_t(field)])
            continue;
        row.Values[size_t(field)] = values[size_t(field)];
        stored[size_t(field)] = {};
        utf8[size_t(field)] = values[size_t(field)].toUtf8();
        assignments += (assignments.isEmpty() ? "" : ", ") + QuotedField(field) + " = ?" +
                       QByteArray::number(CatalogFieldCount + 2 + field);
    }
    if (assignments.isEmpty())
        return row;
    if (seen.Stored)
        row.Stored = std::make_shared<const TStoredValues>(stored);
    WriteInTransaction([&] {
        TSqliteStatement update;
        if (const int result = update.Prepare(
                Connection,
                ("UPDATE records SET " + assignments + " WHERE " + RowAsSeen(1)).constData());
            result != SQLITE_OK)
            Fail(result);
        for (int field = 0; field < CatalogFieldCount; ++field)
            if (changed[size_t(field)])
                update.BindText(CatalogFieldCount + 2 + field, utf8[size_t(field)]);
        StepOnRowAsSeen(update, 1, seen,
                        QStringLiteral("the edit was not stored. Cancel the edit to see the row "
                                       "as it is now."));
    });
    ForgetCachedRows();
    return row;
}

void TTableFile::DeleteRow(const TStoredRow& seen) {
    static const QByteArray sql = "DELETE FROM records WHERE " + RowAsSeen(1);
    PrepareOnce(DeleteStatement, sql.constData());
    WriteInTransaction([&] {
        StepOnRowAsSeen(DeleteStatement, 1, seen,
                        QStringLiteral("it was not deleted. Refresh to see the table as it is "
                                       "now."));
    });
    if (!RowMap.Remove(seen.RowId))
        ListRowIds();
    ForgetCachedRows();
}

void TTableFile::DeleteAllRows() {
    // An empty table needs no write: emptying it again costs no commit and no disk wait.
    NoticeOtherWriters();
    if (RowMap.Count() == 0)
        return;
    WriteInTransaction([&] { Execute("DELETE FROM records"); });
    RowMap.SetRun(1, 0);
    ForgetCachedRows();
}

qint64 TTableFile::AppendRowsOf(const QString& source) {
    if (Bulk != TBulk::None)
        Fail(QStringLiteral("Rows of another table cannot be appended inside bulk work."));
    TSqliteStatement attach;
    if (const int result = attach.Prepare(Connection, "ATTACH DATABASE ?1 AS source");
        result != SQLITE_OK)
        Fail(result);
    const QByteArray sourceUri = QUrl::fromLocalFile(QFileInfo(source).absoluteFilePath())
                                     .toString(QUrl::FullyEncoded)
                                     .toUtf8() +
                                 "?mode=ro";
    attach.BindText(1, sourceUri);
    if (const int result = attach.Step(); result != SQLITE_DONE) {
        throw TDataError(EngineText(result), TDataError::TSubject::File, source);
    }
    // Each value is cut as a cursor cuts it: to the field's size in characters.
    const auto valueOf = [this](int field) {
        const QByteArray name = QuotedField(field);
        return FieldSizes[size_t(field)] > 0
                   ? "substr(coalesce(" + name + ", ''), 1, " +
                         QByteArray::number(FieldSizes[size_t(field)]) + ")"
                   : "coalesce(" + name + ", '')";
    };
    QByteArray values;
    for (int field = 0; field < CatalogFieldCount; ++field)
        values += (field ? ", " : "") + valueOf(field);
    qint64 appended = 0;
    qint64 lastBefore = 0;
    bool followOn = false;
    try {
        WriteInTransaction([&] {
            lastBefore = SingleValue("SELECT coalesce(max(rowid), 0) FROM records");
            const bool countsDiscs =
                SingleValue("SELECT count(*) FROM main.sqlite_schema WHERE name = '" +
                            QByteArray(DiscCountsPausedTable) + "'") != 0;
            if (countsDiscs)
                Execute(PauseDiscCountsSql().constData());
            Execute(("INSERT INTO main.records (" + FieldList() + ") SELECT " + values +
                     " FROM source.records ORDER BY rowid")
                        .constData());
            appended = sqlite3_changes64(Connection);
            if (countsDiscs)
                Execute(CountAppendedDiscsSql(valueOf(LabelField), valueOf(DirectoryField),
                                              "source.records")
                            .constData());
            // The engine's usual rowids follow on from the last row; only then can the map
            // grow by a run instead of counting a million rows again.
            followOn =
                lastBefore <= std::numeric_limits<qint64>::max() - appended &&
                SingleValue("SELECT count(*) FROM records WHERE rowid > " +
                            QByteArray::number(lastBefore)) == appended &&
                SingleValue("SELECT coalesce(max(rowid), 0) FROM records") == lastBefore + appended;
        });
    } catch (...) {
        sqlite3_exec(Connection, "DETACH DATABASE source", nullptr, nullptr, nullptr);
        throw;
    }
    sqlite3_exec(Connection, "DETACH DATABASE source", nullptr, nullptr, nullptr);
    bool added = followOn;
    for (qint64 offset = 1; added && offset <= appended; ++offset)
        added = RowMap.Add(lastBefore + offset);
    if (added)
        ++RowsGeneration; // the rows before stay where they were, and so do the cached ones
    else
        ReadRowMap();
    return appended;
}

void TTableFile::BeginBulk() {
    RequireOpenedFile();
    Execute("BEGIN IMMEDIATE");
    try {
        NoticeOtherWriters();
    } catch (...) {
        sqlite3_exec(Connection, "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    Bulk = TBulk::Open;
}

void TTableFile::CommitBulk() {
    if (Bulk != TBulk::Aborted) {
        // A file moved or replaced meanwhile gets nothing, like a commit the engine refuses.
        QString cause;
        if (!PathNamesOpenedFile())
            cause = MovedText;
        else if (const int result = sqlite3_exec(Connection, "COMMIT", nullptr, nullptr, nullptr);
                 result != SQLITE_OK)
            cause = EngineText(result);
        if (!cause.isEmpty())
            AbortBulk(TDataError(cause, TDataError::TSubject::File, FilePath));
    }
    if (Bulk == TBulk::Aborted)
        throw TDataError(QStringLiteral("Nothing of this bulk work was stored: "), *BulkAbortCause);
    Bulk = TBulk::None;
}

void TTableFile::AbortBulk(const TDataError& cause) {
    sqlite3_exec(Connection, "ROLLBACK", nullptr, nullptr, nullptr);
    Bulk = TBulk::Aborted;
    BulkAbortCause.emplace(cause);
    ReadRowMap();
}

void TTableFile::RollbackBulk() {
    const bool open = Bulk == TBulk::Open;
    Bulk = TBulk::None;
    BulkAbortCause.reset();
    if (!open)
        return;
    sqlite3_exec(Connection, "ROLLBACK", nullptr, nullptr, nullptr);
    ReadRowMap();
}
