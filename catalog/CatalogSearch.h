#pragma once
// A search of the catalogue for a piece of text through a connection of its own that never
// writes, so its answers stay while the windows' cursors are closed: the rows whose field (or
// any field) holds the text by the rule of "Find", in record order. It steps one row at a
// time, so a caller can stop between any two and go on later, and reads the matches from a
// row its caller found before. Where the file keeps its search index, the index proposes the
// rows; a text shorter than three characters, or a file without it, is looked for in every row.

#include "catalog/CatalogRecord.h"

#include <QString>
#include <memory>
#include <vector>

// The field choice that looks in all four fields.
inline constexpr int AllFields = -1;

struct TFoundRow {
    qint64 RowId = 0;
    TFieldValues Values;
};

class TCatalogSearch {
public:
    // Opens the catalogue at `path` for reading: no file is made or changed, and none is left
    // beside it. Throws TDataError naming the file when it cannot be read.
    explicit TCatalogSearch(const QString& path);
    ~TCatalogSearch();
    TCatalogSearch(const TCatalogSearch&) = delete;
    TCatalogSearch& operator=(const TCatalogSearch&) = delete;

    const QString& Path() const;
    // Whether the file keeps its whole search index.
    bool Indexed() const;

    // Looks for `text` in `field` (a field index, or AllFields) from the first row on; the
    // search going on is dropped at once.
    void Start(const QString& text, int field);
    // Drops the search going on, and what the engine holds for it.
    void Stop();
    // Moves to the next row looked at, matching or not; false at the end of the table.
    bool Step();
    // The row Step moved to: its rowid, whether it matches, and its fields.
    qint64 RowId() const;
    bool Matched() const;
    TFieldValues Values() const;

    // Up to `count` matches from rowid `fromRowId` on, after passing over `skip` of them.
    std::vector<TFoundRow> Read(qint64 fromRowId, qint64 skip, qint64 count);

    // Whether another connection committed to the file since the last Start.
    bool Changed();

private:
    struct TOpenFile;
    std::unique_ptr<TOpenFile> File;
};
