#pragma once
// The one door to drives, volume labels, current folders and folder searches. Everything
// above the platform layer talks to a TFileSystem, never to the real file system.
//
// Usage, for the scanner and the pickers:
//   - Paths are in the drive-letter form everywhere: "D:\" for a root, "D:\DOCS\OLD" below
//     it. CurrentFolder() gives that form with no trailing backslash except at a root.
//     SetCurrentFolder() also takes a path relative to the current folder ("OLD", ".."),
//     a bare "D:" (that drive's current folder, its root when it has none), "D:OLD" and
//     "\DOCS". '/' is read as '\'. The drive letter is reported upper-case, the names
//     as they were given (as Windows does); "." and ".." are worked out in the text.
//   - Listing a folder: Find("D:\DOCS\*.*", TFileAttribute::AnyFile) returns every entry
//     with its name, attributes, size, device and inode. The pattern is the part after the
//     last backslash; a pattern with no folder part searches the current folder, "D:*.txt"
//     drive D's current folder. One pattern per call: ';' is an ordinary character, so a
//     caller with "*.txt;*.doc" searches twice. "*", "*.*" and an empty pattern match
//     every name (a caller for whom an empty piece finds nothing skips the call).
//     Entries "." and ".." come back in every folder except a drive root, like Windows.
//     Hidden, system and folder entries come back only when their bit is in the mask.
//   - Errors: SetCurrentFolder() throws TFileSystemError (platform/FileSystemError.h)
//     with a Windows system error code (2, 3, 4, 5, 21 no medium, others) and leaves the
//     current folders and the process's working directory as they were. Find() never
//     throws: a folder that cannot be listed gives no entries and its code in ErrorCode; a
//     listing that a read error ends gives the entries read before it and the error's code.
//     Label reads never throw or block: an unreadable volume gives Readable false.
//   - Names a Linux file system allows but this form cannot carry (a '\' inside a name, or
//     bytes that are not valid UTF-8) are left out of Entries and can never be named in a
//     path; a listing gives them in LeftOut instead, so a walk can report them.
//   - A walk opens each folder from its parent (OpenFolder, then TOpenFolder::OpenSubFolder)
//     rather than by its whole path: a folder swapped for a link meanwhile is not
//     followed, and a tree deeper than the system's path limit is still reached. A folder
//     opened again is checked against its listed Device/Inode with TOpenFolder::Identity.
//   - A symbolic link comes back as what it leads to (a folder link has Directory) with
//     ReparsePoint added, like a Windows link; a walk must not enter ReparsePoint folders,
//     and Device/Inode let it see a folder reached twice through a bind mount.

#include <QString>
#include <QtGlobal>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

// The values of the Windows drive types, so a glyph table can be indexed by them.
enum class TDriveType {
    Unknown = 0,
    NoRootDir = 1, // no such drive
    Removable = 2,
    Fixed = 3,
    Remote = 4,
    CdRom = 5,
    RamDisk = 6,
};

// Windows file attribute bits, as the folder search reports and filters them.
namespace TFileAttribute {
inline constexpr quint32 ReadOnly = 0x01;      // the owner may not write it
inline constexpr quint32 Hidden = 0x02;        // name starts with '.' ("." and ".." aside)
inline constexpr quint32 System = 0x04;        // fifo, socket or device
inline constexpr quint32 VolumeId = 0x08;      // never found on Linux; kept for masks
inline constexpr quint32 Directory = 0x10;     // a folder, or a link to one
inline constexpr quint32 Archive = 0x20;       // a regular file, or a link to one
inline constexpr quint32 ReparsePoint = 0x400; // a symbolic link (added to the above)
inline constexpr quint32 AnyFile = 0x3F;       // the mask that admits every entry
} // namespace TFileAttribute

// One entry of a folder search.
struct TFoundEntry {
    QString Name;           // the bare name as stored on disk
    quint32 Attributes = 0; // TFileAttribute bits
    qint64 Size = 0;        // bytes of a file (of its target for a link); 0 for a folder
    quint64 Device = 0;     // of what the name leads to, so a walk can spot a folder twice
    quint64 Inode = 0;
};

// An entry a listing cannot carry: its name is not one the drive form can hold, or the
// entry cannot be looked at.
struct TLeftOutEntry {
    QString Name;           // as near as text shows it: bytes that are not UTF-8 as U+FFFD
    quint32 Attributes = 0; // TFileAttribute bits
    QString Reason;         // what is wrong with it, for the user

    // What the user is told, naming it in `folder` ("D:\DOCS\" or "D:\DOCS"):
    // "Name holds a backslash: D:\DOCS\a\b.txt".
    QString Text(const QString& folder) const;
};

struct TFindResult {
    std::vector<TFoundEntry> Entries; // in the order the folder holds them, not sorted
    int ErrorCode = 0; // 0, or the system error code of why the folder was not listed to its end
    std::vector<TLeftOutEntry> LeftOut; // admitted by pattern and mask, but not carried
};

class TOpenFolder;

// A folder opened for a walk, or the system error code of why it could not be.
struct TOpenedFolder {
    std::unique_ptr<TOpenFolder> Folder;
    int ErrorCode = 0;
};

// A folder held open: it is listed and its sub-folders are opened through this handle,
// never through a path, so what it stands for cannot change under the walk.
// It is used only while the file system that opened it lives.
class TOpenFolder {
public:
    virtual ~TOpenFolder() = default;
    // As TFileSystem::Find in this folder, with a bare pattern ("*.*").
    virtual TFindResult Find(const QString& pattern, quint32 attributeMask) = 0;
    // The sub-folder `name`; a symbolic link is not followed but refused.
    virtual TOpenedFolder OpenSubFolder(const QString& name) = 0;
    // The device and inode of the folder held, as its parent's listing gives them.
    virtual std::pair<quint64, quint64> Identity() = 0;
};

// What GetVolumeInformation gives. A drive with no medium, or no drive, is not Readable
// and has an empty label.
struct TVolumeInfo {
    bool Readable = false;
    QString Label; // full length; VolumeLabel() gives it only where it fits a buffer
    bool CaseSensitive = false;
    bool CasePreserving = false;
};

class TFileSystem {
public:
    virtual ~TFileSystem() = default;

    // Bit n set: the drive with letter 'A' + n exists (GetLogicalDrives).
    virtual quint32 LogicalDrives() = 0;
    // The same as upper-case letters in order, e.g. "CDZ".
    QString DriveLetters();

    // NoRootDir for a letter that is not a drive. Either case of letter is taken.
    virtual TDriveType DriveType(QChar letter) = 0;

    // Never prompts, never blocks on a missing medium.
    virtual TVolumeInfo VolumeInformation(QChar letter) = 0;
    // The label when it has at most maxChars characters (11 for a buffer of 12), never cut;
    // empty when it is longer or the volume cannot be read.
    QString VolumeLabel(QChar letter, int maxChars);

    // "\\SERVER\SHARE" for a network drive; nothing for any other drive.
    virtual std::optional<QString> ConnectionName(QChar letter) = 0;

    // Enters a folder (see the forms above) and makes it the process's working directory
    // too. Throws TFileSystemError; on failure nothing changes.
    virtual void SetCurrentFolder(const QString& path) = 0;
    // "D:\DOCS\OLD", "D:\" at a root; empty only when there is no drive at all.
    virtual QString CurrentFolder() = 0;

    // A search of one folder with one pattern (see above). Never throws.
    virtual TFindResult Find(const QString& pattern, quint32 attributeMask) = 0;

    // Opens a folder (see the forms above) for a walk; a link on the way is followed.
    virtual TOpenedFolder OpenFolder(const QString& path) = 0;

    // The entry a path names (a root gives an empty Name), nothing when it cannot be had.
    virtual std::optional<TFoundEntry> EntryOf(const QString& path) = 0;
    // The path exists and is a folder (GetFileAttributes with the folder bit).
    bool FolderExists(const QString& path);
};
