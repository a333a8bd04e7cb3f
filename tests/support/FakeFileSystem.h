#pragma once
// The test double: drives that are fresh temporary folders with the letters, kinds,
// labels, case flags and readiness a test chooses. Everything else is the real code of
// TDriveFileSystem, so folder searches and errors behave as on Linux drives. The case
// flags are only reported: names are looked up as the folder's own file system does.
//
//   TFakeFileSystem files;
//   const QString root = files.AddDrive(u'D', TDriveType::CdRom, "MY DISC");
//   QDir(root).mkpath("DOCS/OLD");                 // build the tree through real paths
//   files.SetCurrentFolder("D:\\DOCS");
//   files.SetReady(u'D', false);                    // take the disc out: entering gives 21
//   files.FailListing("D:\\DOCS", 300, EIO);        // a bad sector after 300 entries

#include "platform/DriveFileSystem.h"

#include <functional>
#include <map>
#include <utility>

class TFakeFileSystem : public TDriveFileSystem {
public:
    TFakeFileSystem();
    // Removes every drive folder (also names Qt cannot decode) and puts the process's
    // working directory back where it was at construction.
    ~TFakeFileSystem() override;
    TFakeFileSystem(const TFakeFileSystem&) = delete;
    TFakeFileSystem& operator=(const TFakeFileSystem&) = delete;

    // Adds (or replaces) drive.Letter; its root is a fresh empty folder unless
    // drive.MountRoot names one. The first drive added becomes the current drive, at its
    // root; the working directory moves only with SetCurrentFolder. Returns the real root
    // folder.
    QString AddDrive(TDrive drive);
    QString AddDrive(QChar letter, TDriveType type, const QString& label = {});
    void RemoveDrive(QChar letter);
    // A drive that is not ready keeps its folder, to be ready again later with the same
    // content (the disc put back).
    void SetReady(QChar letter, bool ready);
    void SetLabel(QChar letter, const QString& label);

    // The real path a drive path stands for, to build trees and check the working
    // directory: "D:\DOCS" gives "<root of D>/DOCS". Empty for no such drive.
    QString RealPath(const QString& drivePath) const;

    // Every listing of the folder `drivePath`, however it was opened, fails with `error` (an
    // errno value) after its first `entries` entries ("." and ".." among them), as a failing
    // disc does. False when there is no such folder.
    bool FailListing(const QString& drivePath, int entries, int error);

protected:
    dirent* ReadEntry(DIR* listing, int position) override;

private:
    void EditDrive(QChar letter, const std::function<void(TDrive&)>& edit);

    struct TListingFault {
        int Entries = 0;
        int Error = 0;
    };

    QByteArray ScratchFolder;
    QByteArray StartFolder;
    std::map<std::pair<quint64, quint64>, TListingFault> ListingFaults; // by device, inode
};
