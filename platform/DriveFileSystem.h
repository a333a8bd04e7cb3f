#pragma once
// The file system over a drive table: current folders, entering folders, folder searches
// and volume facts, shared by the Linux drives and the test double, which differ only in
// how they fill the table.

#include "platform/CurrentFolders.h"
#include "platform/DriveTable.h"
#include "platform/FileSystem.h"

#include <dirent.h>

class TDriveFileSystem : public TFileSystem {
public:
    quint32 LogicalDrives() override;
    TDriveType DriveType(QChar letter) override;
    TVolumeInfo VolumeInformation(QChar letter) override;
    std::optional<QString> ConnectionName(QChar letter) override;
    void SetCurrentFolder(const QString& path) override;
    QString CurrentFolder() override;
    TFindResult Find(const QString& pattern, quint32 attributeMask) override;
    TOpenedFolder OpenFolder(const QString& path) override;
    std::optional<TFoundEntry> EntryOf(const QString& path) override;

protected:
    // Re-reads the drives where a disc may have come or gone: before the drive list, a
    // label read and entering a folder, never inside a search.
    virtual void RefreshDrives() {}
    // Takes a new table; drives that are gone lose their kept current folder.
    void SetDrives(TDriveTable table);
    const TDriveTable& Drives() const { return Table; }
    TCurrentFolders& Folders() { return Current; }
    // Reads the next entry of a folder listing as readdir does: null at the end, null with
    // errno set when the read fails. `position` entries of this listing came before it.
    // The test double makes a folder's listing fail here.
    virtual dirent* ReadEntry(DIR* listing, int position);

private:
    class TDriveFolder; // reads its entries through ReadEntry

    int Enter(const QString& absolute);

    TDriveTable Table;
    TCurrentFolders Current;
};
