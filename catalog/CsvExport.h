#pragma once
// Rows of a catalogue written as a CSV file (RFC 4180): fields separated by commas and lines
// ended by CR LF, a field holding a comma, a quote or a line break quoted with its quotes
// doubled, UTF-8 throughout, after the header row "Label,Directory,File,Coments".

#include "catalog/WorkProgress.h"

#include <QString>
#include <vector>

// The rows an export writes: the whole catalogue or one disc in record order, or rows listed
// by their rowids (a search's results) in the order listed.
struct TExportRows {
    enum class TKind { Catalogue, Disc, Listed };
    TKind Kind = TKind::Catalogue;
    QString Label;
    std::vector<qint64> RowIds;

    static TExportRows Catalogue() { return {}; }
    static TExportRows Disc(const QString& label) { return {TKind::Disc, label, {}}; }
    static TExportRows Listed(std::vector<qint64> rowIds) {
        return {TKind::Listed, {}, std::move(rowIds)};
    }
};

struct TExportResult {
    bool Complete = false; // false when cancelled: no file was written
    qint64 Rows = 0;       // a listed row deleted meanwhile is not written
    // Values that were not UTF-8 text in the catalogue (another program's bytes), written
    // with U+FFFD for each byte that was not; and the rowid of the first such row.
    qint64 NotText = 0;
    qint64 FirstNotTextRow = 0;
};

// Writes `rows` of the catalogue file `catalogPath` to `csvPath`. The file appears under its
// name only when complete: it is written beside it and renamed, so a cancelled or failed
// export leaves no file of that name, and any file it replaces stays until then. Throws
// TDataError naming the file that failed.
TExportResult ExportRows(const QString& catalogPath, const TExportRows& rows,
                         const QString& csvPath, const TWorkProgress& progress);
