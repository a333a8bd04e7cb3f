#include "catalog/DiscUpdate.h"

#include "catalog/internal/CatalogConnection.h"
#include "catalog/internal/FieldSql.h"

namespace {
// What the comparison made of a row of the disc.
constexpr int KindFound = 0;
constexpr int KindGone = 1;
constexpr int KindUnread = 2;

// Whether `folder` begins with a drive letter and its colon ("D:\DOCS\").
bool HasLetter(const QString& folder) {
    return folder.size() >= 2 && folder[1] == u':' && folder[0].isLetter() &&
           folder[0].unicode() < 128;
}

// The folder as compared: without its drive letter ("\DOCS\").
QString WithoutLetter(const QString& folder) {
    return HasLetter(folder) ? folder.mid(2) : folder;
}
} // namespace

TDiscUpdate::TDiscUpdate(const QString& catalogPath, const QString& label)
    : Connection(
          std::make_unique<TCatalogConnection>(catalogPath, TCatalogConnection::TAccess::AsAllowed))
    , Label(label.toUtf8())
    , AddFound(std::make_unique<TSqliteStatement>()) {
    // In the connection's own temporary store, which grows on disk rather than in memory.
    Connection->Execute(
        ("CREATE TEMP TABLE found (Folder TEXT NOT NULL, File TEXT NOT NULL, "
         "New INTEGER NOT NULL DEFAULT 1);"
         "CREATE TEMP TABLE unread (Folder TEXT NOT NULL, File TEXT);"
         "CREATE TEMP TABLE seen (RowId INTEGER PRIMARY KEY, " +
         FieldList() +
         ");"
         "CREATE TEMP TABLE compared (RowId INTEGER PRIMARY KEY, Folder TEXT NOT NULL, "
         "File TEXT NOT NULL, Commented INTEGER NOT NULL, Kind INTEGER NOT NULL DEFAULT 0);")
            .constData());
    Connection->Prepare(*AddFound, "INSERT INTO found (Folder, File) VALUES (?1, ?2)");
}

TDiscUpdate::~TDiscUpdate() = default;

void TDiscUpdate::AddFile(const QString& folder, const QString& name) {
    // The scan's rows are one transaction of the temporary store: no commit a file.
    if (!Collecting) {
        Connection->Execute("BEGIN");
        Collecting = true;
    }
    const QByteArray folderText = WithoutLetter(folder).toUtf8();
    const QByteArray nameText = name.toUtf8();
    AddFound->BindText(1, folderText);
    AddFound->BindText(2, nameText);
    Connection->Run(*AddFound);
}

void TDiscUpdate::AddUnread(const QString& path) {
    const QString inDisc = WithoutLetter(path);
    const qsizetype split = inDisc.lastIndexOf(u'\\') + 1;
    TSqliteStatement add;
    Connection->Prepare(add, "INSERT INTO unread (Folder, File) VALUES (?1, nullif(?2, ''))");
    const QByteArray folder = inDisc.left(split).toUtf8();
    const QByteArray file = inDisc.mid(split).toUtf8();
    add.BindText(1, folder);
    add.BindText(2, file);
    Connection->Run(add);
}

TDiscComparison TDiscUpdate::Compare(const QString& scope,
                                     const std::function<bool(const QString& name)>& admitted) {
    if (Collecting)
        Connection->Execute("COMMIT");
    Collecting = false;
    // The disc's rows as one snapshot, the one Apply checks against.
    Connection->Execute("BEGIN");
    ReadDiscRows(scope);
    SortRows(scope, admitted);
    const TDiscComparison counts = Count();
    Connection->Execute("COMMIT");
    Compared = true;
    return counts;
}

void TDiscUpdate::ReadDiscRows(const QString& scope) {
    TSqliteStatement read;
    Connection->Prepare(read, "INSERT INTO seen SELECT rowid, " + FieldList() +
                                  " FROM records WHERE " + DiscCondition(QString::fromUtf8(Label)));
    read.BindText(1, Label);
    Connection->Run(read);
    ComparedVersion = Connection->DataVersion();
    TSqliteStatement first;
    Connection->Prepare(first, "SELECT " + QuotedField(DirectoryField) +
                                   " FROM seen ORDER BY RowId LIMIT 1");
    const QString folder = Connection->Step(first) ? first.ColumnText(0) : scope;
    LetterForm = HasLetter(folder) ? folder.left(2).toUtf8() : QByteArray();
}

// The rows the scan judges go to `compared`, each as found or gone, or kept unread.
void TDiscUpdate::SortRows(const QString& scope,
                           const std::function<bool(const QString& name)>& admitted) {
    const QString scopeFolder = WithoutLetter(scope);
    TSqliteStatement rows;
    TSqliteStatement add;
    Connection->Prepare(rows, "SELECT RowId, " + QuotedField(DirectoryField) + ", " +
                                  QuotedField(FileField) + ", " + QuotedField(ComentsField) +
                                  " FROM seen");
    Connection->Prepare(add, "INSERT INTO compared (RowId, Folder, File, Commented) "
                             "VALUES (?1, ?2, ?3, ?4)");
    while (Connection->Step(rows)) {
        const QString folder = WithoutLetter(rows.ColumnText(1));
        const QString file = rows.ColumnText(2);
        if (!folder.startsWith(scopeFolder) || !admitted(file))
            continue;
        const QByteArray folderText = folder.toUtf8();
        const QByteArray fileText = file.toUtf8();
        add.BindInt64(1, rows.ColumnInt64(0));
        add.BindText(2, folderText);
        add.BindText(3, fileText);
        add.BindInt64(4, rows.ColumnText(3).isEmpty() ? 0 : 1);
        Connection->Run(add);
    }
    Connection->Execute(
        ("CREATE INDEX found_names ON found (Folder, File);"
         "CREATE INDEX compared_names ON compared (Folder, File);"
         "UPDATE compared SET Kind = CASE WHEN EXISTS (SELECT 1 FROM unread u WHERE "
         "(u.File IS NULL AND substr(compared.Folder, 1, length(u.Folder)) = u.Folder) OR "
         "(u.Folder = compared.Folder AND u.File = compared.File)) THEN " +
         QByteArray::number(KindUnread) +
         " WHEN EXISTS (SELECT 1 FROM found f WHERE f.Folder = compared.Folder AND "
         "f.File = compared.File) THEN " +
         QByteArray::number(KindFound) + " ELSE " + QByteArray::number(KindGone) +
         " END;"
         "UPDATE found SET New = NOT EXISTS (SELECT 1 FROM compared c WHERE "
         "c.Folder = found.Folder AND c.File = found.File);")
            .constData());
}

TDiscComparison TDiscUpdate::Count() {
    TDiscComparison counts;
    counts.NewFiles = Connection->Value("SELECT count(*) FROM found WHERE New");
    TSqliteStatement kinds;
    Connection->Prepare(kinds, "SELECT Kind, count(*), sum(Commented) FROM compared GROUP BY Kind");
    while (Connection->Step(kinds)) {
        const qint64 count = kinds.ColumnInt64(1);
        switch (kinds.ColumnInt64(0)) {
        case KindFound:
            counts.Unchanged = count;
            break;
        case KindGone:
            counts.Gone = count;
            counts.GoneWithComment = kinds.ColumnInt64(2);
            break;
        default:
            counts.Unread = count;
        }
    }
    return counts;
}

// Whether the disc holds exactly the rows it held at the comparison, each as it was stored.
bool TDiscUpdate::DiscRowsAsCompared() {
    QByteArray same;
    for (int field = 0; field < CatalogFieldCount; ++field)
        same += " AND r." + QuotedField(field) + " IS s." + QuotedField(field);
    TSqliteStatement check;
    Connection->Prepare(check, "SELECT (SELECT count(*) FROM records WHERE " +
                                   DiscCondition(QString::fromUtf8(Label)) +
                                   ") = (SELECT count(*) FROM seen) AND (SELECT count(*) FROM "
                                   "seen s JOIN records r ON r.rowid = s.RowId WHERE 1" +
                                   same + ") = (SELECT count(*) FROM seen)");
    check.BindText(1, Label);
    return Connection->Step(check) && check.ColumnInt64(0) == 1;
}

TDiscChanges TDiscUpdate::Apply(bool alsoCommented) {
    if (!Compared || Applied)
        Connection->Fail(QStringLiteral("The disc must be compared with its files again before "
                                        "an update can be applied."));
    TCatalogTransaction transaction(*Connection);
    // Nobody wrote since the comparison, or the disc's rows are still those compared.
    if (Connection->DataVersion() != ComparedVersion && !DiscRowsAsCompared())
        Connection->Fail(QStringLiteral("Another program or window changed the rows of this "
                                        "disc since they were compared: nothing was changed. "
                                        "Compare again."));
    TDiscChanges changes;
    TSqliteStatement add;
    Connection->Prepare(
        add, "INSERT INTO records (" + FieldList() +
                 ") SELECT ?1, coalesce(?2, '') || Folder, File, '' FROM found WHERE New "
                 "ORDER BY rowid");
    add.BindText(1, Label);
    add.BindText(2, LetterForm);
    Connection->Run(add);
    changes.Added = sqlite3_changes64(Connection->Handle());
    TSqliteStatement drop;
    Connection->Prepare(drop, "DELETE FROM records WHERE rowid IN (SELECT RowId FROM compared "
                              "WHERE Kind = " +
                                  QByteArray::number(KindGone) + " AND (?1 OR NOT Commented))");
    drop.BindInt64(1, alsoCommented ? 1 : 0);
    Connection->Run(drop);
    changes.Deleted = sqlite3_changes64(Connection->Handle());
    transaction.Commit();
    Applied = true;
    return changes;
}
