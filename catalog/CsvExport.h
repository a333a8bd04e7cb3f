#pragma once
// Rows of a catalogue written as a CSV file (RFC 4180): fields separated by commas and lines
// ended by CR LF, a field holding a comma, a quote or a line break quoted with its quotes
// doubled, UTF-8 throughout, after the header row "Label,Directory,File,Coments".

#include "catalog/WorkProgress.h"

#include <QString>

// The rows an export writes, in record order: the whole catalogue, one disc, or the rows a
// search finds (whose `Field`, or any field for AllFields, holds `Text` as "Find" reads it),
// looked for again as the export reads, so no list of them is ever held.
struct TExportRows {
    enum class TKind { Catalogue, Disc, Matching };
    TKind Kind = TKind::Catalogue;
    QString Label;
    QString Text;
    int Field = 0;

    static TExportRows Catalogue() { return {}; }
    static TExportRows Disc(const QString& label) { return {TKind::Disc, label, {}, 0}; }
    static TExportRows Matching(const QString& text, int field) {
        return {TKind::Matching, {}, text, field};
    }
};

struct TExportResult {
    bool Complete = false; // false when cancelled: no file was written
    qint64 Rows = 0;
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
