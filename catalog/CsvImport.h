#pragma once
// A CSV file appended to a catalogue: read through once, so the user is told what it holds
// before anything is written, then appended in one transaction. The separator (comma,
// semicolon, tab or pipe) and a header row are recognised; the first four columns are the
// label, the folder, the file name and the comment.

#include "catalog/CatalogFields.h"
#include "catalog/WorkProgress.h"

#include <QFile>
#include <QString>
#include <array>

class TCsvImport {
public:
    // Reads `csvPath` through, measuring each value against its field in the catalogue file
    // at `catalogPath`: a value longer than its field makes its line one that could not be
    // read, never a value cut short. Throws TDataError naming the file when it cannot be
    // read or is not UTF-8 text (naming the first line that is not).
    TCsvImport(const QString& csvPath, QString catalogPath);

    qint64 Rows() const { return RowCount; }
    // The fields a row gives the catalogue: the columns of the file's first line, at most four.
    int Fields() const { return FieldCount; }
    bool HasHeader() const { return Header; }
    qint64 UnreadableLines() const { return Unreadable; }
    // The first line that could not be read, and why ("an unclosed quote"); 0 for none.
    qint64 FirstUnreadableLine() const { return FirstLine; }
    const QString& FirstProblem() const { return FirstReason; }

    // Appends every row read after the catalogue's last row: all in one transaction, or none.
    // Returns false when `progress` cancelled, with nothing added.
    bool Append(const TWorkProgress& progress);

private:
    // Calls `row` with the fields of each row that can be read, counting the lines that
    // cannot; returns false as soon as `row` does.
    template <typename Row> bool ReadRows(Row&& row);

    QFile File;
    QByteArrayView Text;
    const QString CatalogPath;
    std::array<int, CatalogFieldCount> Sizes{};
    qint64 RowCount = 0;
    int FieldCount = 0;
    bool Header = false;
    qint64 Unreadable = 0;
    qint64 FirstLine = 0;
    QString FirstReason;
};
