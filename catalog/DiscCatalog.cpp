#include "catalog/DiscCatalog.h"

#include "catalog/internal/CatalogConnection.h"
#include "catalog/internal/FieldSql.h"

#include <QLocale>

TDiscCatalog::TDiscCatalog(const QString& path)
    : Connection(
          std::make_unique<TCatalogConnection>(path, TCatalogConnection::TAccess::AsAllowed)) {}

TDiscCatalog::~TDiscCatalog() = default;

std::vector<TDisc> TDiscCatalog::Discs() {
    TSqliteStatement query;
    Connection->Prepare(query, Connection->Holds("discs")
                                   ? "SELECT Label, Files, Folders FROM discs ORDER BY Label"
                                   : "SELECT coalesce(" + QuotedField(LabelField) +
                                         ", '') AS disc, count(*), count(DISTINCT coalesce(" +
                                         QuotedField(DirectoryField) +
                                         ", '')) FROM records GROUP BY disc ORDER BY disc");
    std::vector<TDisc> discs;
    while (Connection->Step(query))
        discs.push_back({query.ColumnText(0), query.ColumnInt64(1), query.ColumnInt64(2)});
    ListedVersion = Connection->DataVersion();
    return discs;
}

bool TDiscCatalog::ChangedSinceListed() {
    return Connection->DataVersion() != ListedVersion;
}

qint64 TDiscCatalog::FirstRowOf(const QString& label) {
    TSqliteStatement query;
    Connection->Prepare(query, "SELECT min(rowid) FROM records WHERE " + DiscCondition(label));
    const QByteArray bound = label.toUtf8();
    query.BindText(1, bound);
    return Connection->Step(query) ? query.ColumnInt64(0) : 0;
}

int TDiscCatalog::LabelSize() {
    return Connection->FieldSizes()[LabelField];
}

qint64 TDiscCatalog::Rename(const QString& label, const QString& newLabel) {
    const int size = LabelSize();
    if (size > 0 && newLabel.toUcs4().size() > size)
        Connection->Fail(QStringLiteral("The label %1 is longer than the %2 characters a label "
                                        "holds: no row was renamed.")
                             .arg(newLabel, QLocale().toString(size)));
    return ChangeDisc("UPDATE records SET " + QuotedField(LabelField) + " = ?2 WHERE " +
                          DiscCondition(label),
                      label, newLabel);
}

void TDiscCatalog::Delete(const QString& label, qint64 rows) {
    ChangeDisc("DELETE FROM records WHERE " + DiscCondition(label), label, {}, rows);
}

qint64 TDiscCatalog::ChangeDisc(const QByteArray& sql, const QString& label, const QString& bound,
                                qint64 expectedRows) {
    TCatalogTransaction transaction(*Connection);
    const QByteArray labelText = label.toUtf8();
    if (expectedRows >= 0) {
        TSqliteStatement count;
        Connection->Prepare(count, "SELECT count(*) FROM records WHERE " + DiscCondition(label));
        count.BindText(1, labelText);
        Connection->Step(count);
        if (const qint64 held = count.ColumnInt64(0); held != expectedRows)
            Connection->Fail(
                QStringLiteral("The disc %1 holds %2 rows now, not %3: another "
                               "program or window changed it. Nothing was changed.")
                    .arg(label, QLocale().toString(held), QLocale().toString(expectedRows)));
    }
    TSqliteStatement change;
    Connection->Prepare(change, sql);
    const QByteArray boundText = bound.toUtf8();
    change.BindText(1, labelText);
    change.BindText(2, boundText); // no parameter ?2 takes nothing
    Connection->Run(change);
    const qint64 changed = sqlite3_changes64(Connection->Handle());
    transaction.Commit();
    return changed;
}
