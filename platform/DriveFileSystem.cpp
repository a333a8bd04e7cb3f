#include "platform/DriveFileSystem.h"

#include "platform/FileSystemError.h"
#include "platform/WildcardPattern.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
bool IsDots(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Attributes, size and identity of `name` under the open folder `folder` (or of a whole
// path with AT_FDCWD): one stat, two for a symbolic link. Returns 0, or the errno of why the
// entry cannot be looked at (ENOENT when it is gone).
int StatEntry(int folder, const char* name, TFoundEntry& entry) {
    struct stat info {};
    if (fstatat(folder, name, &info, AT_SYMLINK_NOFOLLOW) != 0)
        return errno;
    quint32 attributes = 0;
    if (S_ISLNK(info.st_mode)) {
        attributes = TFileAttribute::ReparsePoint;
        struct stat target {};
        if (fstatat(folder, name, &target, 0) != 0) {
            // A dangling link: an entry of its own, neither file nor folder.
            entry.Attributes = attributes;
            entry.Size = 0;
            entry.Device = info.st_dev;
            entry.Inode = info.st_ino;
            return 0;
        }
        info = target;
    }
    if (S_ISDIR(info.st_mode))
        attributes |= TFileAttribute::Directory;
    else if (S_ISREG(info.st_mode))
        attributes |= TFileAttribute::Archive;
    else
        attributes |= TFileAttribute::System;
    if (!(info.st_mode & S_IWUSR))
        attributes |= TFileAttribute::ReadOnly;
    const char* base = std::strrchr(name, '/');
    base = base ? base + 1 : name;
    if (base[0] == '.' && !IsDots(base))
        attributes |= TFileAttribute::Hidden;
    entry.Attributes = attributes;
    entry.Size = S_ISREG(info.st_mode) ? qint64(info.st_size) : 0;
    entry.Device = info.st_dev;
    entry.Inode = info.st_ino;
    return 0;
}

// Windows tells a missing last folder (2) from a missing folder on the way (3).
int CodeOfEnterFailure(int error, const QByteArray& realPath) {
    if (error != ENOENT && error != ENOTDIR)
        return TFileSystemError::CodeOfErrno(error);
    const qsizetype slash = realPath.lastIndexOf('/');
    const QByteArray parent = slash > 0 ? realPath.left(slash) : QByteArray("/");
    struct stat info {};
    if (stat(parent.constData(), &info) != 0 || !S_ISDIR(info.st_mode))
        return TFileSystemError::PathNotFound;
    return TFileSystemError::CodeOfErrno(error);
}

bool IsBareDrive(const QString& path) {
    return path.size() == 2 && path[1] == u':';
}

} // namespace

// A folder held open by its handle; sub-folders are opened relative to it. It reads its
// entries through the file system that opened it, which it must not outlive.
class TDriveFileSystem::TDriveFolder : public TOpenFolder {
public:
    // Takes `handle` (an open folder), closing it on failure.
    static TOpenedFolder Adopt(TDriveFileSystem& files, int handle, bool atRoot) {
        DIR* listing = fdopendir(handle);
        if (!listing) {
            const int error = errno;
            close(handle);
            return {nullptr, TFileSystemError::CodeOfErrno(error)};
        }
        return {std::unique_ptr<TOpenFolder>(new TDriveFolder(files, listing, atRoot)), 0};
    }
    ~TDriveFolder() override { closedir(Listing); }
    TDriveFolder(const TDriveFolder&) = delete;
    TDriveFolder& operator=(const TDriveFolder&) = delete;

    TFindResult Find(const QString& pattern, quint32 attributeMask) override;

    TOpenedFolder OpenSubFolder(const QString& name) override {
        const QByteArray bytes = name.toUtf8();
        if (bytes.contains('/') || bytes.contains('\0') || bytes.isEmpty())
            return {nullptr, TFileSystemError::InvalidName};
        const int handle = openat(dirfd(Listing), bytes.constData(),
                                  O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (handle < 0)
            return {nullptr, TFileSystemError::CodeOfErrno(errno)};
        return Adopt(Files, handle, false);
    }

    std::pair<quint64, quint64> Identity() override {
        struct stat info {};
        if (fstat(dirfd(Listing), &info) != 0)
            return {};
        return {info.st_dev, info.st_ino};
    }

private:
    TDriveFolder(TDriveFileSystem& files, DIR* listing, bool atRoot)
        : Files(files)
        , Listing(listing)
        , AtRoot(atRoot) {}

    TDriveFileSystem& Files;
    DIR* Listing;
    bool AtRoot; // a drive root lists no "." and ".."
};

TFindResult TDriveFileSystem::TDriveFolder::Find(const QString& pattern, quint32 attributeMask) {
    TFindResult result;
    rewinddir(Listing); // each search reads the folder as it is now
    const int handle = dirfd(Listing);
    const TWildcardPattern wildcard(pattern);
    const quint32 refused = ~attributeMask & (TFileAttribute::Hidden | TFileAttribute::System |
                                              TFileAttribute::Directory);
    for (int position = 0;; ++position) {
        errno = 0;
        const dirent* item = Files.ReadEntry(Listing, position);
        if (!item) {
            // A read error ends the listing too: what came before is kept, with the error.
            if (errno != 0)
                result.ErrorCode = TFileSystemError::CodeOfErrno(errno);
            break;
        }
        const char* name = item->d_name;
        if (AtRoot && IsDots(name))
            continue;
        // Hidden is in the name, so a refused hidden entry costs no stat.
        if (name[0] == '.' && (refused & TFileAttribute::Hidden) && !IsDots(name))
            continue;
        const size_t length = std::strlen(name);
        std::optional<QString> text = TDriveTable::RepresentableName(name, length);
        const QString shown = text ? QString() : QString::fromUtf8(name, qsizetype(length));
        if (!wildcard.Matches(text ? *text : shown))
            continue;
        TFoundEntry entry;
        if (const int error = StatEntry(handle, name, entry); error != 0) {
            // Gone since readdir is nothing lost; an entry that cannot be looked at (a folder
            // that may be listed but not searched) is reported, not passed over.
            if (error != ENOENT && !IsDots(name))
                result.LeftOut.push_back(
                    {text ? *text : shown, 0,
                     TFileSystemError::CodeText(TFileSystemError::CodeOfErrno(error))});
            continue;
        }
        if (entry.Attributes & refused)
            continue; // not admitted
        if (text) {
            entry.Name = std::move(*text);
            result.Entries.push_back(std::move(entry));
        } else {
            result.LeftOut.push_back(
                {shown, entry.Attributes, TDriveTable::NameProblem(name, length)});
        }
    }
    return result;
}

quint32 TDriveFileSystem::LogicalDrives() {
    RefreshDrives();
    return Table.Bits();
}

TDriveType TDriveFileSystem::DriveType(QChar letter) {
    const TDrive* drive = Table.Find(letter);
    return drive ? drive->Type : TDriveType::NoRootDir;
}

TVolumeInfo TDriveFileSystem::VolumeInformation(QChar letter) {
    RefreshDrives();
    const TDrive* drive = Table.Find(letter);
    if (!drive || !drive->Ready)
        return {};
    return {true, drive->Label, drive->CaseSensitive, drive->CasePreserving};
}

std::optional<QString> TDriveFileSystem::ConnectionName(QChar letter) {
    const TDrive* drive = Table.Find(letter);
    if (!drive || drive->Type != TDriveType::Remote || drive->ConnectionName.isEmpty())
        return std::nullopt;
    return drive->ConnectionName;
}

void TDriveFileSystem::SetCurrentFolder(const QString& path) {
    RefreshDrives();
    const std::optional<QString> absolute = Current.Resolve(path);
    if (!absolute)
        throw TFileSystemError(TFileSystemError::PathNotFound, path);
    int code = Enter(*absolute);
    // A kept folder that is gone (another disc in the drive) must not lock the user out
    // of the drive for good: a bare "D:" falls back to the root.
    const QString root = absolute->left(3);
    if (code != 0 && code != TFileSystemError::NotReady && IsBareDrive(path) && *absolute != root) {
        Current.Forget(root[0]);
        code = Enter(root);
    }
    if (code != 0)
        throw TFileSystemError(code, *absolute);
}

int TDriveFileSystem::Enter(const QString& absolute) {
    const TRealPath real = Table.RealPathOf(absolute);
    if (real.ErrorCode != 0)
        return real.ErrorCode;
    if (chdir(real.Path.constData()) != 0)
        return CodeOfEnterFailure(errno, real.Path);
    Current.Enter(absolute);
    return 0;
}

QString TDriveFileSystem::CurrentFolder() {
    return Current.CurrentFolder();
}

TFindResult TDriveFileSystem::Find(const QString& pattern, quint32 attributeMask) {
    TFindResult result;
    // The folder part runs up to the last separator, or is the "D:" of "D:*.txt".
    const qsizetype separator = std::max(pattern.lastIndexOf(u'\\'), pattern.lastIndexOf(u'/'));
    qsizetype split = separator + 1;
    if (separator < 0 && pattern.size() >= 2 && pattern[1] == u':')
        split = 2;
    const QString folderPart = pattern.left(split);
    const std::optional<QString> folder = folderPart.isEmpty()
                                              ? std::optional<QString>(Current.CurrentFolder())
                                              : Current.Resolve(folderPart);
    if (!folder || folder->isEmpty()) {
        result.ErrorCode = TFileSystemError::PathNotFound;
        return result;
    }
    TOpenedFolder opened = OpenFolder(*folder);
    if (!opened.Folder) {
        result.ErrorCode = opened.ErrorCode;
        return result;
    }
    return opened.Folder->Find(pattern.mid(split), attributeMask);
}

TOpenedFolder TDriveFileSystem::OpenFolder(const QString& path) {
    const std::optional<QString> folder = Current.Resolve(path);
    if (!folder || folder->isEmpty())
        return {nullptr, TFileSystemError::PathNotFound};
    const TRealPath real = Table.RealPathOf(*folder);
    if (real.ErrorCode != 0)
        return {nullptr, real.ErrorCode};
    const int handle = open(real.Path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle < 0)
        return {nullptr, CodeOfEnterFailure(errno, real.Path)};
    return TDriveFolder::Adopt(*this, handle, folder->size() == 3);
}

std::optional<TFoundEntry> TDriveFileSystem::EntryOf(const QString& path) {
    const std::optional<QString> absolute = Current.Resolve(path);
    if (!absolute)
        return std::nullopt;
    const TRealPath real = Table.RealPathOf(*absolute);
    TFoundEntry entry;
    if (real.ErrorCode != 0 || StatEntry(AT_FDCWD, real.Path.constData(), entry) != 0)
        return std::nullopt;
    entry.Name = absolute->mid(absolute->lastIndexOf(u'\\') + 1);
    return entry;
}

dirent* TDriveFileSystem::ReadEntry(DIR* listing, int) {
    return readdir(listing);
}

void TDriveFileSystem::SetDrives(TDriveTable table) {
    for (int n = 0; n < 26; ++n) {
        const QChar letter(u'A' + n);
        if (Table.Find(letter) && !table.Find(letter))
            Current.Forget(letter);
    }
    Table = std::move(table);
}
