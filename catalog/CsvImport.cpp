#include "catalog/CsvImport.h"

#include "catalog/internal/CatalogConnection.h"
#include "catalog/internal/CsvReader.h"
#include "catalog/internal/FieldSql.h"

#include <QLocale>
#include <algorithm>

namespace {
constexpr qint64 RowsBetweenLooks = 16384;

// Characters as a field counts them: one for every character, whatever its UTF-8 length.
qsizetype Characters(QByteArrayView utf8) {
    return std::count_if(utf8.begin(), utf8.end(), [](char byte) {
        return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
    });
}

// Whether a first row names the fields, by their names or their grid titles, in order.
bool NamesTheFields(const std::vector<QByteArrayView>& fields) {
    for (size_t field = 0; field < fields.size() && field < CatalogFields.size(); ++field) {
        const QString cell = QString::fromUtf8(fields[field]).trimmed();
        if (cell.compare(QLatin1String(CatalogFields[field].Name), Qt::CaseInsensitive) != 0 &&
            cell.compare(QLatin1String(CatalogFields[field].Title), Qt::CaseInsensitive) != 0)
            return false;
    }
    return true;
}

// The first line of `text` that is not UTF-8, counted from 1.
qint64 FirstLineNotText(QByteArrayView text) {
    qint64 line = 1;
    for (qsizetype start = 0; start < text.size(); ++line) {
        qsizetype end = text.indexOf('\n', start);
        if (end < 0)
            end = text.size();
        if (!text.sliced(start, end - start).isValidUtf8())
            return line;
        start = end + 1;
    }
    return line;
}
} // namespace

TCsvImport::TCsvImport(const QString& csvPath, QString catalogPath)
    : File(csvPath)
    , CatalogPath(std::move(catalogPath)) {
    if (!File.open(QIODevice::ReadOnly))
        throw TDataError(QStringLiteral("The CSV file cannot be read: %1.").arg(File.errorString()),
                         TDataError::TSubject::File, csvPath);
    if (File.size() > 0) {
        // Mapped, not read: a file of any size costs the pages being read.
        const uchar* mapped = File.map(0, File.size());
        if (!mapped)
            throw TDataError(
                QStringLiteral("The CSV file cannot be read: %1.").arg(File.errorString()),
                TDataError::TSubject::File, csvPath);
        Text = QByteArrayView(reinterpret_cast<const char*>(mapped), File.size());
    }
    if (!Text.isValidUtf8())
        throw TDataError(QStringLiteral("Line %1 of the CSV file is not UTF-8 text: nothing was "
                                        "imported. Save the file as UTF-8, then import it again.")
                             .arg(QLocale().toString(FirstLineNotText(Text))),
                         TDataError::TSubject::File, csvPath);
    Sizes = TCatalogConnection(CatalogPath, TCatalogConnection::TAccess::AsAllowed).FieldSizes();
    ReadRows([this](const std::vector<QByteArrayView>&) {
        ++RowCount;
        return true;
    });
}

template <typename Row> bool TCsvImport::ReadRows(Row&& row) {
    Unreadable = 0;
    FirstLine = 0;
    FirstReason.clear();
    TCsvReader reader(Text);
    std::vector<QByteArrayView> fields;
    QString problem;
    bool first = true;
    for (;;) {
        const TCsvReader::TRecord record = reader.Next(fields, problem);
        if (record == TCsvReader::TRecord::End)
            return true;
        if (record == TCsvReader::TRecord::Row) {
            if (first) {
                first = false;
                FieldCount = int(std::min<size_t>(fields.size(), CatalogFieldCount));
                Header = NamesTheFields(fields);
                if (Header)
                    continue;
            }
            problem.clear();
            for (size_t field = 0; field < fields.size() && field < Sizes.size(); ++field) {
                const int size = Sizes[field];
                if (size > 0 && fields[field].size() > size && Characters(fields[field]) > size) {
                    problem = QStringLiteral("a %1 longer than the %2 characters its field holds")
                                  .arg(QLatin1String(CatalogFields[field].Name),
                                       QLocale().toString(size));
                    break;
                }
            }
            if (problem.isEmpty()) {
                if (!row(fields))
                    return false;
                continue;
            }
        }
        if (Unreadable++ == 0) {
            FirstLine = reader.Line();
            FirstReason = problem;
        }
    }
}

bool TCsvImport::Append(const TWorkProgress& progress) {
    TCatalogConnection connection(CatalogPath, TCatalogConnection::TAccess::Write);
    TCatalogTransaction transaction(connection);
    TSqliteStatement insert;
    connection.Prepare(insert, "INSERT INTO records (" + FieldList() + ") VALUES (" +
                                   FieldParameters() + ")");
    qint64 done = 0;
    const bool complete = ReadRows([&](const std::vector<QByteArrayView>& fields) {
        if (done % RowsBetweenLooks == 0 && !progress(done, RowCount))
            return false;
        for (int field = 0; field < CatalogFieldCount; ++field)
            insert.BindText(field + 1, size_t(field) < fields.size() ? fields[size_t(field)]
                                                                     : QByteArrayView());
        connection.Run(insert);
        ++done;
        return true;
    });
    if (!complete || !progress(done, RowCount))
        return false;
    transaction.Commit();
    return true;
}
