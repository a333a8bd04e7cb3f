#include "platform/LinuxFileSystem.h"

#include <QSet>
#include <QStringList>
#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <unistd.h>

namespace {
bool IsNetwork(const QByteArray& type) {
    static const QSet<QByteArray> types = {"nfs", "nfs4", "cifs", "smb3", "smbfs", "fuse.sshfs"};
    return types.contains(type);
}

bool IsCaseInsensitive(const QByteArray& type) {
    static const QSet<QByteArray> types = {"vfat", "msdos", "exfat", "iso9660",
                                           "udf",  "ntfs",  "ntfs3", "fuseblk"};
    return types.contains(type);
}

// Folders where the system keeps its own tmpfs mounts; those are not RAM disks a user made.
bool IsSystemFolder(const QByteArray& folder) {
    static const QByteArray folders[] = {"/proc", "/sys",     "/dev",      "/run",
                                         "/tmp",  "/var/run", "/var/lock", "/snap"};
    return std::any_of(std::begin(folders), std::end(folders), [&](const QByteArray& system) {
        return folder == system || folder.startsWith(system + '/');
    });
}

// A file system on a device of its own (snap images aside).
bool IsRealFileSystem(const TMountEntry& mount) {
    if (mount.FileSystemType == "squashfs")
        return false;
    return mount.Major != 0 || mount.Source.startsWith('/') || mount.FileSystemType == "zfs";
}

// Device key of a mount, so a bind mount of a listed device is seen as the same drive.
QByteArray IdentityOf(const TMountEntry& mount) {
    return QByteArray::number(mount.Major) + ':' + QByteArray::number(mount.Minor);
}

TDrive DriveOf(const TMountEntry& mount, TDriveType type, const TBlockDevices& devices) {
    TDrive drive;
    drive.Type = type;
    drive.MountRoot = mount.MountPoint;
    drive.Label = devices.LabelOf(mount.Major, mount.Minor);
    drive.CaseSensitive = !IsCaseInsensitive(mount.FileSystemType);
    drive.CasePreserving = true;
    drive.Ready = true;
    return drive;
}

TDrive UnlistedRootDrive() {
    TDrive drive;
    drive.Type = TDriveType::Fixed;
    drive.MountRoot = "/";
    return drive;
}

TDrive NotReadyDrive(TDriveType type) {
    TDrive drive;
    drive.Type = type;
    drive.Ready = false;
    return drive;
}

QByteArray ReadWholeFile(const char* path) {
    QByteArray text;
    const int handle = open(path, O_RDONLY | O_CLOEXEC);
    if (handle < 0)
        return text;
    char buffer[16384];
    ssize_t length;
    while ((length = read(handle, buffer, sizeof buffer)) > 0)
        text.append(buffer, length);
    close(handle);
    return text;
}
} // namespace

TLinuxFileSystem::TLinuxFileSystem() {
    RefreshDrives();
    char* working = getcwd(nullptr, 0);
    const std::optional<QString> folder =
        working ? Drives().DrivePathOf(QByteArray(working)) : std::nullopt;
    std::free(working);
    if (folder)
        Folders().Enter(*folder);
    else
        Folders().AdoptDriveIfNone(u'C');
}

void TLinuxFileSystem::RefreshDrives() {
    SetDrives(DriveTableOf(TMountEntry::Parse(ReadWholeFile("/proc/self/mountinfo")),
                           TBlockDevices::Read()));
}

TDriveTable TLinuxFileSystem::DriveTableOf(const std::vector<TMountEntry>& mounts,
                                           const TBlockDevices& devices) {
    TDriveTable table;
    // Each device once: its mount of the whole file system wins over bind mounts of a
    // folder of it, and a later mount on the same folder hides an earlier one.
    std::map<QByteArray, const TMountEntry*> byDevice;
    std::map<QByteArray, const TMountEntry*> byFolder;
    for (const TMountEntry& mount : mounts)
        byFolder[mount.MountPoint] = &mount;
    for (const auto& [folder, mount] : byFolder) {
        const QByteArray identity = IdentityOf(*mount);
        const auto known = byDevice.find(identity);
        if (known == byDevice.end() || (known->second->Root != "/" && mount->Root == "/"))
            byDevice[identity] = mount;
    }
    const auto mountOf = [&](const TBlockDevice& device) -> const TMountEntry* {
        const auto found = byDevice.find(QByteArray::number(device.Major) + ':' +
                                         QByteArray::number(device.Minor));
        return found == byDevice.end() ? nullptr : found->second;
    };

    QSet<QByteArray> taken; // devices that already have a letter
    const auto place = [&](QChar letter, TDrive drive, const TMountEntry* mount) {
        drive.Letter = letter;
        table.Set(std::move(drive));
        if (mount)
            taken.insert(IdentityOf(*mount));
    };

    // C: is the root folder even where no mount is listed for it, as inside a chroot.
    const auto root = byFolder.find("/");
    if (root != byFolder.end())
        place(u'C', DriveOf(*root->second, TDriveType::Fixed, devices), root->second);
    else
        place(u'C', UnlistedRootDrive(), nullptr);

    // Floppies on A: and B:, optical drives from D:, with or without a medium.
    char16_t floppyLetter = u'A', letter = u'D';
    for (const TBlockDevice& device : devices.Devices) {
        if (!device.Floppy && !device.Optical)
            continue;
        const TDriveType type = device.Floppy ? TDriveType::Removable : TDriveType::CdRom;
        const TMountEntry* mount = mountOf(device);
        char16_t& next = device.Floppy ? floppyLetter : letter;
        if (next > (device.Floppy ? u'B' : u'Z'))
            continue;
        place(QChar(next++), mount ? DriveOf(*mount, type, devices) : NotReadyDrive(type), mount);
    }

    std::vector<std::pair<const TMountEntry*, TDriveType>> local, removable, network;
    for (const auto& [folder, mount] : byFolder) {
        if (taken.contains(IdentityOf(*mount)) || byDevice[IdentityOf(*mount)] != mount)
            continue;
        const TBlockDevice* device = devices.Find(mount->Major, mount->Minor);
        if (IsNetwork(mount->FileSystemType))
            network.emplace_back(mount, TDriveType::Remote);
        else if (mount->FileSystemType == "tmpfs" || mount->FileSystemType == "ramfs") {
            if (!IsSystemFolder(folder))
                local.emplace_back(mount, TDriveType::RamDisk);
        } else if (IsRealFileSystem(*mount)) {
            if (device && device->Removable)
                removable.emplace_back(mount, TDriveType::Removable);
            else
                local.emplace_back(mount, TDriveType::Fixed);
        }
    }
    // byFolder is in mount-folder order already, so each group is too.
    local.insert(local.end(), removable.begin(), removable.end());
    for (const auto& [mount, type] : local)
        if (letter <= u'Z')
            place(QChar(letter++), DriveOf(*mount, type, devices), mount);
    char16_t networkLetter = u'Z';
    for (const auto& [mount, type] : network) {
        if (networkLetter < letter)
            break;
        TDrive drive = DriveOf(*mount, type, devices);
        drive.Label.clear();
        drive.ConnectionName = ConnectionNameOf(*mount);
        place(QChar(networkLetter--), std::move(drive), mount);
    }
    return table;
}

QString TLinuxFileSystem::ConnectionNameOf(const TMountEntry& mount) {
    if (!IsNetwork(mount.FileSystemType))
        return {};
    QString source = QString::fromUtf8(mount.Source);
    if (source.startsWith(QStringLiteral("//"))) {
        source = source.mid(2); // cifs: //server/share
    } else {
        // nfs server:/export, sshfs user@host:path
        const qsizetype colon = source.indexOf(u':');
        if (colon >= 0)
            source = source.left(colon) + u'/' + source.mid(colon + 1);
    }
    const QStringList names = source.split(u'/', Qt::SkipEmptyParts);
    return QStringLiteral("\\\\") + names.join(u'\\');
}
