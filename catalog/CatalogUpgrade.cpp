#include "catalog/CatalogUpgrade.h"

#include "catalog/CatalogFields.h"
#include "catalog/DataError.h"
#include "catalog/internal/CatalogConnection.h"
#include "catalog/internal/DiscCounts.h"
#include "catalog/internal/FieldSql.h"
#include "catalog/internal/WriteAccess.h"

#include <QFileInfo>
#include <limits>
#include <vector>

namespace {

// Rows added between two looks at the progress: a few milliseconds of work.
constexpr qint64 ChunkRows = 20000;
// Engine steps between two looks at the progress inside one long statement.
constexpr int StepsBetweenLooks = 200000;

// One of the things a catalogue keeps beside its rows: its tables, filled from the rows a
// chunk at a time, then the triggers that keep it right whoever writes.
struct TPart {
    std::vector<QByteArray> Objects; // every table, index and trigger it has
    QByteArray Drop;                 // what is left of a part that lost some of them
    QByteArray Create;
    QByteArray FillChunk; // from the rows with rowids ?1 to ?2
    QByteArray Finish;    // once every chunk is in
    QByteArray Triggers;
};

// The search index: trigrams of the four fields, case folded, pointing at the rows of
// `records` (no copy of the text), without positions or sizes, which a search of plain text
// never needs.
TPart SearchIndex() {
    const QByteArray addNew = "INSERT INTO records_search (rowid, " + FieldList() +
                              ") VALUES (new.rowid, " + FieldList("new.") + "); ";
    const QByteArray dropOld = "INSERT INTO records_search (records_search, rowid, " + FieldList() +
                               ") VALUES ('delete', old.rowid, " + FieldList("old.") + "); ";
    return {
        {"records_search", "records_search_insert", "records_search_delete",
         "records_search_update"},
        "DROP TRIGGER IF EXISTS records_search_insert;"
        "DROP TRIGGER IF EXISTS records_search_delete;"
        "DROP TRIGGER IF EXISTS records_search_update;"
        "DROP TABLE IF EXISTS records_search;",
        "CREATE VIRTUAL TABLE records_search USING fts5(" + FieldList() +
            ", content='records', content_rowid='rowid', tokenize='trigram', detail='none', "
            "columnsize=0)",
        "INSERT INTO records_search (rowid, " + FieldList() + ") SELECT rowid, " + FieldList() +
            " FROM records WHERE rowid BETWEEN ?1 AND ?2",
        {},
        "CREATE TRIGGER records_search_insert AFTER INSERT ON records BEGIN " + addNew +
            "END;"
            "CREATE TRIGGER records_search_delete AFTER DELETE ON records BEGIN " +
            dropOld +
            "END;"
            "CREATE TRIGGER records_search_update AFTER UPDATE ON records BEGIN " +
            dropOld + addNew + "END;",
    };
}

// The discs: the files of each label and of each of its folders, counted, and the rows of
// `records` found by label. A NULL label or folder counts as an empty one, so that no key
// here can make another program's insert fail.
TPart DiscTable() {
    const auto label = [](const char* row) {
        return "coalesce(" + QByteArray(row) + QuotedField(LabelField) + ", '')";
    };
    const auto folder = [](const char* row) {
        return "coalesce(" + QByteArray(row) + QuotedField(DirectoryField) + ", '')";
    };
    const auto addNew = "INSERT INTO discs (Label, Files, Folders) VALUES (" + label("new.") +
                        ", 1, 0) ON CONFLICT (Label) DO UPDATE SET Files = Files + 1; "
                        "INSERT INTO disc_folders (Label, Directory, Files) VALUES (" +
                        label("new.") + ", " + folder("new.") +
                        ", 1) ON CONFLICT (Label, Directory) DO UPDATE SET Files = Files + 1; ";
    const QByteArray oldFolder =
        " WHERE Label = " + label("old.") + " AND Directory = " + folder("old.");
    const auto dropOld =
        "UPDATE disc_folders SET Files = Files - 1" + oldFolder + "; DELETE FROM disc_folders" +
        oldFolder +
        " AND Files = 0; UPDATE discs SET Files = Files - 1 WHERE Label = " + label("old.") +
        "; DELETE FROM discs WHERE Label = " + label("old.") + " AND Files = 0; ";
    return {
        {"discs", "disc_folders", DiscCountsPausedTable, "records_label", "records_discs_insert",
         "records_discs_delete", "records_discs_update", "disc_folders_insert",
         "disc_folders_delete"},
        "DROP TRIGGER IF EXISTS records_discs_insert;"
        "DROP TRIGGER IF EXISTS records_discs_delete;"
        "DROP TRIGGER IF EXISTS records_discs_update;"
        "DROP TRIGGER IF EXISTS disc_folders_insert;"
        "DROP TRIGGER IF EXISTS disc_folders_delete;"
        "DROP INDEX IF EXISTS records_label;"
        "DROP TABLE IF EXISTS discs;"
        "DROP TABLE IF EXISTS disc_folders;"
        "DROP TABLE IF EXISTS " +
            QByteArray(DiscCountsPausedTable) + ";",
        "CREATE TABLE discs (Label TEXT PRIMARY KEY, Files INTEGER NOT NULL, "
        "Folders INTEGER NOT NULL) WITHOUT ROWID;"
        "CREATE TABLE disc_folders (Label TEXT, Directory TEXT, Files INTEGER NOT NULL, "
        "PRIMARY KEY (Label, Directory)) WITHOUT ROWID;"
        "CREATE TABLE " +
            QByteArray(DiscCountsPausedTable) + " (Paused INTEGER);",
        "INSERT INTO disc_folders (Label, Directory, Files) SELECT " + label("") + ", " +
            folder("") +
            ", count(*) FROM records WHERE rowid BETWEEN ?1 AND ?2 GROUP BY 1, 2 "
            "ON CONFLICT (Label, Directory) DO UPDATE SET Files = Files + excluded.Files",
        "INSERT INTO discs (Label, Files, Folders) SELECT Label, sum(Files), count(*) FROM "
        "disc_folders GROUP BY Label;"
        "CREATE INDEX records_label ON records (" +
            QuotedField(LabelField) + ");",
        "CREATE TRIGGER records_discs_insert AFTER INSERT ON records WHEN NOT EXISTS (SELECT 1 "
        "FROM " +
            QByteArray(DiscCountsPausedTable) + ") BEGIN " + addNew +
            "END;"
            "CREATE TRIGGER records_discs_delete AFTER DELETE ON records BEGIN " +
            dropOld +
            "END;"
            "CREATE TRIGGER records_discs_update AFTER UPDATE OF " +
            QuotedField(LabelField) + ", " + QuotedField(DirectoryField) + " ON records BEGIN " +
            dropOld + addNew +
            "END;"
            "CREATE TRIGGER disc_folders_insert AFTER INSERT ON disc_folders BEGIN "
            "UPDATE discs SET Folders = Folders + 1 WHERE Label = new.Label; END;"
            "CREATE TRIGGER disc_folders_delete AFTER DELETE ON disc_folders BEGIN "
            "UPDATE discs SET Folders = Folders - 1 WHERE Label = old.Label; END;",
    };
}

const std::vector<TPart>& Parts() {
    static const std::vector<TPart> parts = {SearchIndex(), DiscTable()};
    return parts;
}

bool Complete(TCatalogConnection& connection, const TPart& part) {
    for (const QByteArray& object : part.Objects)
        if (!connection.Holds(object.constData()))
            return false;
    return true;
}

// The work of one upgrade: the parts the file lacks, made in one transaction, and the
// progress over all of them.
class TUpgrade {
public:
    TUpgrade(TCatalogConnection& connection, const TUpgradeProgress& progress)
        : Connection(connection)
        , Progress(progress) {}

    // False when the user cancelled.
    bool Run() {
        std::vector<const TPart*> missing;
        for (const TPart& part : Parts())
            if (!Complete(Connection, part))
                missing.push_back(&part);
        Rows = Connection.Value("SELECT count(*) FROM records");
        Total = Rows * qint64(missing.size());
        for (const TPart* part : missing) {
            Connection.Execute(part->Drop.constData());
            Connection.Execute(part->Create.constData());
            if (!FillChunks(part->FillChunk) || !FinishPart(part->Finish))
                return false;
            Connection.Execute(part->Triggers.constData());
            Done += Rows;
        }
        return Progress(Total, Total);
    }

private:
    // Fills a part from the rows a chunk at a time, in rowid order.
    bool FillChunks(const QByteArray& fill) {
        TSqliteStatement chunkEnd;
        TSqliteStatement chunk;
        Connection.Prepare(chunkEnd,
                           "SELECT count(*), max(rowid) FROM (SELECT rowid FROM records WHERE "
                           "rowid >= ?1 ORDER BY rowid LIMIT ?2)");
        Connection.Prepare(chunk, fill);
        qint64 filled = 0;
        qint64 first = std::numeric_limits<qint64>::min();
        for (;;) {
            if (!Progress(Done + filled, Total))
                return false;
            chunkEnd.BindInt64(1, first);
            chunkEnd.BindInt64(2, ChunkRows);
            Connection.Step(chunkEnd);
            const qint64 count = chunkEnd.ColumnInt64(0);
            const qint64 last = chunkEnd.ColumnInt64(1);
            chunkEnd.Reset();
            if (count == 0)
                return true;
            chunk.BindInt64(1, first);
            chunk.BindInt64(2, last);
            Connection.Run(chunk);
            filled += count;
            if (last == std::numeric_limits<qint64>::max())
                return true;
            first = last + 1;
        }
    }

    // Runs the part's last statements, which may take a while on a large file (an index
    // sorts every row), looking at the progress between engine steps.
    bool FinishPart(const QByteArray& finish) {
        if (finish.isEmpty())
            return true;
        sqlite3_progress_handler(Connection.Handle(), StepsBetweenLooks, &TUpgrade::Look, this);
        try {
            Connection.Execute(finish.constData());
        } catch (const TDataError&) {
            sqlite3_progress_handler(Connection.Handle(), 0, nullptr, nullptr);
            if (Cancelled)
                return false;
            throw;
        }
        sqlite3_progress_handler(Connection.Handle(), 0, nullptr, nullptr);
        return true;
    }

    static int Look(void* upgrade) {
        auto* self = static_cast<TUpgrade*>(upgrade);
        self->Cancelled = !self->Progress(self->Done + self->Rows, self->Total);
        return self->Cancelled ? 1 : 0;
    }

    TCatalogConnection& Connection;
    const TUpgradeProgress& Progress;
    qint64 Rows = 0;
    qint64 Total = 0;
    qint64 Done = 0; // rows of the parts made so far
    bool Cancelled = false;
};

} // namespace

bool CatalogNeedsUpgrade(const QString& path) {
    // What is not a writable catalogue is left to the cursor, which says what is wrong.
    if (!QFileInfo(path).isFile() || WriteAccessOf(path).ReadOnlyReason)
        return false;
    TCatalogConnection connection(path, TCatalogConnection::TAccess::AsAllowed);
    if (!connection.Value("SELECT count(*) FROM sqlite_schema WHERE type = 'table' AND "
                          "name = 'records'"))
        return false;
    for (const TPart& part : Parts())
        if (!Complete(connection, part))
            return true;
    return false;
}

bool UpgradeCatalog(const QString& path, const TUpgradeProgress& progress) {
    try {
        TCatalogConnection connection(path, TCatalogConnection::TAccess::Write);
        TCatalogTransaction transaction(connection);
        if (!TUpgrade(connection, progress).Run())
            return false;
        transaction.Commit();
        return true;
    } catch (const TDataError& error) {
        throw TDataError(QStringLiteral("The catalogue cannot be prepared: "), error);
    }
}
