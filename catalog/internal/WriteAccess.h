#pragma once
// Whether the rows of a table file can be stored, and in the user's words why not: the
// medium, the file, its folder or its log files may each forbid it.

#include "catalog/DataError.h"

#include <QString>
#include <optional>

struct TWriteAccess {
    // None when rows can be stored; else what forbids it, naming the file or folder.
    std::optional<TDataError> ReadOnlyReason;
    // Nobody can write the medium (a disc, a read-only mount): the file never changes.
    bool ReadOnlyMedium = false;
    // This user may make files beside the table (the log's shared-memory file).
    bool FolderWritable = false;
};

TWriteAccess WriteAccessOf(const QString& path);
