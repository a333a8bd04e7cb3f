#pragma once
// The drives by letter and the one mapping between a drive-letter path ("D:\DOCS") and
// the real path under the drive's mount folder, both ways. The Linux drives and the test
// double differ only in how they fill this table.

#include "platform/FileSystem.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <optional>

// Every member has its default here, so a drive reads well built by designated
// initializers: TDrive{.Letter = u'E', .Type = TDriveType::CdRom, .Ready = false}.
struct TDrive {
    QChar Letter{}; // 'A' to 'Z'
    TDriveType Type = TDriveType::Fixed;
    QByteArray MountRoot{}; // the real folder "D:\" stands for; empty when not ready
    QString Label{};
    bool CaseSensitive = true;
    bool CasePreserving = true;
    bool Ready = true;        // false: no medium (entering gives 21)
    QString ConnectionName{}; // "\\SERVER\SHARE" for a network drive
};

// A real path, or the system error code for why a drive path has none.
struct TRealPath {
    QByteArray Path;
    int ErrorCode = 0;
};

class TDriveTable {
public:
    // Adds or replaces the drive with drive.Letter (upper-cased).
    void Set(TDrive drive);
    void Remove(QChar letter);
    const TDrive* Find(QChar letter) const; // either case; nullptr when none
    quint32 Bits() const;

    // "D:\DOCS\OLD" (absolute, as TCurrentFolders gives it) to the real path. Codes:
    // PathNotFound for no such drive, NotReady for a drive without medium.
    TRealPath RealPathOf(const QString& drivePath) const;
    // The real path back to the drive form, through the ready drive whose mount folder
    // holds it most closely; nothing when no drive holds it or a name in it cannot be
    // carried (see RepresentableName).
    std::optional<QString> DrivePathOf(const QByteArray& realPath) const;

    // A Linux name that the drive form can carry: valid UTF-8 with no '\'. Gives the
    // name, or nothing.
    static std::optional<QString> RepresentableName(const char* name, size_t length);
    // Why RepresentableName refuses a name, for the user ("Name holds a backslash").
    static QString NameProblem(const char* name, size_t length);

private:
    std::array<std::optional<TDrive>, 26> Drives;
};
