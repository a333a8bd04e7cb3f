#include "catalog/internal/DiscCounts.h"

QByteArray PauseDiscCountsSql() {
    return "INSERT INTO " + QByteArray(DiscCountsPausedTable) + " VALUES (1)";
}

// The folders come after their discs, so the trigger that counts a disc's new folder finds it.
QByteArray CountAppendedDiscsSql(const QByteArray& label, const QByteArray& folder,
                                 const QByteArray& source) {
    return "INSERT INTO discs (Label, Files, Folders) SELECT " + label + ", count(*), 0 FROM " +
           source +
           " WHERE true GROUP BY 1 ON CONFLICT (Label) DO UPDATE SET Files = Files + "
           "excluded.Files; "
           "INSERT INTO disc_folders (Label, Directory, Files) SELECT " +
           label + ", " + folder + ", count(*) FROM " + source +
           " WHERE true GROUP BY 1, 2 ON CONFLICT (Label, Directory) DO UPDATE SET Files = "
           "Files + excluded.Files; "
           "DELETE FROM " +
           DiscCountsPausedTable;
}
