#include "catalog/CsvExport.h"

#include "catalog/internal/CatalogConnection.h"
#include "catalog/internal/FieldSql.h"

#include <QSaveFile>
#include <array>

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

// The query that gives the rows, with ?1 bound to the label or each listed rowid.
QByteArray RowsQuery(const TExportRows& rows) {
    const QByteArray select = "SELECT rowid, " + FieldList() + " FROM records";
    switch (rows.Kind) {
    case TExportRows::TKind::Catalogue:
        return select + " ORDER BY rowid";
    case TExportRows::TKind::Disc:
        return select + " WHERE " + DiscCondition(rows.Label) + " ORDER BY rowid";
    case TExportRows::TKind::Listed:
        break;
    }
    return select + " WHERE rowid = ?1";
}

qint64 RowCount(TCatalogConnection& connection, const TExportRows& rows, const QByteArray& label) {
    if (rows.Kind == TExportRows::TKind::Listed)
        return qint64(rows.RowIds.size());
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
    const QByteArray label = rows.Label.toUtf8();
    TExportResult result;
    const qint64 total = RowCount(connection, rows, label);
    TCsvWriter writer(csvPath, result);
    for (int field = 0; field < CatalogFieldCount; ++field)
        writer.Add(CatalogFields[size_t(field)].Name, 0, field == 0);
    writer.EndLine();

    TSqliteStatement query;
    connection.Prepare(query, RowsQuery(rows));
    const auto writeRows = [&] {
        while (connection.Step(query)) {
            if (result.Rows % RowsBetweenLooks == 0 && !progress(result.Rows, total))
                return false;
            const qint64 rowId = query.ColumnInt64(0);
            for (int field = 0; field < CatalogFieldCount; ++field)
                writer.Add(query.ColumnBytes(field + 1), rowId, field == 0);
            writer.EndLine();
            ++result.Rows;
        }
        return true;
    };
    if (rows.Kind == TExportRows::TKind::Listed) {
        for (const qint64 rowId : rows.RowIds) {
            query.BindInt64(1, rowId);
            if (!writeRows())
                return result;
            query.Reset();
        }
    } else {
        query.BindText(1, label);
        if (!writeRows())
            return result;
    }
    if (!progress(result.Rows, total))
        return result;
    writer.Commit();
    result.Complete = true;
    return result;
}
