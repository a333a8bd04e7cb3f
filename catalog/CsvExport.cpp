#include "catalog/CsvExport.h"

#include "catalog/internal/CatalogConnection.h"
#include "catalog/internal/FieldSql.h"
#include "catalog/internal/SearchSql.h"

#include <QSaveFile>
#include <array>
#include <limits>

namespace {
// Rows written between two looks at the progress, and the bytes gathered before a write.
constexpr qint64 RowsBetweenLooks = 16384;
constexpr qsizetype WriteBytes = 1 << 20;

// The bytes after which a field must be quoted.
constexpr std::array<bool, 256> QuotedBytes = [] {
    std::array<bool, 256> quoted{};
    for (const unsigned char special : {',', '"', '\r', '\n'})
        quoted[special] = true;
    return quoted;
}();

class TCsvWriter {
public:
    TCsvWriter(const QString& path, TExportResult& result)
        : File(path)
        , Result(result) {
        if (!File.open(QIODevice::WriteOnly))
            Fail();
        Buffer.reserve(WriteBytes + 64 * 1024);
    }

    void Add(QByteArrayView value, qint64 rowId, bool first) {
        if (!first)
            Buffer += ',';
        bool quote = false;
        bool ascii = true;
        for (const char byte : value) {
            quote = quote || QuotedBytes[static_cast<unsigned char>(byte)];
            ascii = ascii && static_cast<unsigned char>(byte) < 0x80;
        }
        QByteArray repaired;
        if (!ascii && !value.isValidUtf8()) {
            repaired = QString::fromUtf8(value).toUtf8();
            value = repaired;
            if (Result.NotText++ == 0)
                Result.FirstNotTextRow = rowId;
        }
        if (!quote) {
            Buffer += value;
            return;
        }
        Buffer += '"';
        for (const char byte : value) {
            if (byte == '"')
                Buffer += '"';
            Buffer += byte;
        }
        Buffer += '"';
    }

    void EndLine() {
        Buffer += "\r\n";
        if (Buffer.size() >= WriteBytes)
            Flush();
    }

    void Commit() {
        Flush();
        if (!File.commit())
            Fail();
    }

private:
    void Flush() {
        if (File.write(Buffer) != Buffer.size())
            Fail();
        Buffer.clear();
    }

    [[noreturn]] void Fail() {
        const QString reason = File.errorString();
        File.cancelWriting();
        throw TDataError(
            QStringLiteral("The CSV file cannot be written: %1. No file was written.").arg(reason),
            TDataError::TSubject::File, File.fileName());
    }

    QSaveFile File;
    TExportResult& Result;
    QByteArray Buffer;
};

// The texts a query is bound to, which must live as long as it.
struct TBoundTexts {
    QByteArray Label;
    QByteArray Folded;
    QByteArray Trigrams;
};

// The query that gives the rows, with what it looks for bound.
void PrepareRows(TCatalogConnection& connection, TSqliteStatement& query, const TExportRows& rows,
                 TBoundTexts& bound) {
    const QByteArray select = "SELECT rowid, " + FieldList() + " FROM records";
    switch (rows.Kind) {
    case TExportRows::TKind::Catalogue:
        connection.Prepare(query, select + " ORDER BY rowid");
        return;
    case TExportRows::TKind::Disc:
        connection.Prepare(query,
                           select + " WHERE " + DiscCondition(rows.Label) + " ORDER BY rowid");
        query.BindText(1, bound.Label);
        return;
    case TExportRows::TKind::Matching:
        break;
    }
    if (RegisterContainsFolded(connection.Handle()) != SQLITE_OK)
        connection.Fail();
    bound.Folded = FoldedText(rows.Text);
    if (connection.Value(WholeIndexQuery) != 0)
        bound.Trigrams = TrigramQuery(rows.Text);
    connection.Prepare(query, MatchesOnlySql(rows.Field, !bound.Trigrams.isEmpty()));
    query.BindInt64(1, std::numeric_limits<qint64>::min());
    query.BindText(2, bound.Folded);
    if (!bound.Trigrams.isEmpty())
        query.BindText(3, bound.Trigrams);
}

// The rows to write, for the progress; 0 (not known) for a search's, which would cost a pass.
qint64 RowCount(TCatalogConnection& connection, const TExportRows& rows, const QByteArray& label) {
    if (rows.Kind == TExportRows::TKind::Matching)
        return 0;
    TSqliteStatement count;
    connection.Prepare(count,
                       rows.Kind == TExportRows::TKind::Disc
                           ? "SELECT count(*) FROM records WHERE " + DiscCondition(rows.Label)
                           : QByteArray("SELECT count(*) FROM records"));
    count.BindText(1, label);
    connection.Step(count);
    return count.ColumnInt64(0);
}
} // namespace

TExportResult ExportRows(const QString& catalogPath, const TExportRows& rows,
                         const QString& csvPath, const TWorkProgress& progress) {
    TCatalogConnection connection(catalogPath, TCatalogConnection::TAccess::AsAllowed);
    // One snapshot of the catalogue for the whole file.
    connection.Execute("BEGIN");
    TBoundTexts bound{rows.Label.toUtf8(), {}, {}};
    TExportResult result;
    const qint64 total = RowCount(connection, rows, bound.Label);
    TCsvWriter writer(csvPath, result);
    for (int field = 0; field < CatalogFieldCount; ++field)
        writer.Add(CatalogFields[size_t(field)].Name, 0, field == 0);
    writer.EndLine();

    TSqliteStatement query;
    PrepareRows(connection, query, rows, bound);
    while (connection.Step(query)) {
        if (result.Rows % RowsBetweenLooks == 0 && !progress(result.Rows, total))
            return result;
        const qint64 rowId = query.ColumnInt64(0);
        for (int field = 0; field < CatalogFieldCount; ++field)
            writer.Add(query.ColumnBytes(field + 1), rowId, field == 0);
        writer.EndLine();
        ++result.Rows;
    }
    if (!progress(result.Rows, total))
        return result;
    writer.Commit();
    result.Complete = true;
    return result;
}
