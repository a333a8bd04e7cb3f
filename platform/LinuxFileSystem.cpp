#include "platform/LinuxFileSystem.h"

#include <QSet>
#include <QStringList>
#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <unistd.h>
#include <unordered_map>

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

quint64 DeviceKeyOf(const TMountEntry& mount) {
    return TBlockDevices::DeviceKey(mount.Major, mount.Minor);
}

TDrive DriveOf(const TMountEntry& mount, TDriveType type, const TBlockDevices& devices) {
    return {.Type = type,
            .MountRoot = mount.MountPoint,
            .Label = devices.LabelOf(mount.Major, mount.Minor),
            .CaseSensitive = !IsCaseInsensitive(mount.FileSystemType),
            .CasePreserving = true,
            .Ready = true};
}

QByteArray ReadWholeFile(const char* path) {
    QByteArray text;
    const int handle = open(path, O_RDONLY | O_CLOEXEC);
    if (handle < 0)
        return text;
    char buffer[16384];
    ssize_t length = 0;
    while ((length = read(handle, buffer, sizeof buffer)) > 0)
        text.append(buffer, length);
    close(handle);
    return text;
}

// "\\SERVER\SHARE\PATH" of a network mount, empty for any other.
QString ConnectionNameOf(const TMountEntry& mount) {
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

// The mounts that can stand for a drive. Each device once: its mount of the whole file
// system wins over bind mounts of a folder of it, and a later mount on the same folder
// hides an earlier one.
struct TVisibleMounts {
    std::map<QByteArray, const TMountEntry*> ByFolder; // in mount-folder order
    std::unordered_map<quint64, const TMountEntry*> ByDevice;

    explicit TVisibleMounts(const std::vector<TMountEntry>& mounts) {
        for (const TMountEntry& mount : mounts)
            ByFolder[mount.MountPoint] = &mount;
        for (const auto& [folder, mount] : ByFolder) {
            const auto known = ByDevice.find(DeviceKeyOf(*mount));
            if (known == ByDevice.end())
                ByDevice.emplace(DeviceKeyOf(*mount), mount);
            else if (known->second->Root != "/" && mount->Root == "/")
                known->second = mount;
        }
    }

    const TMountEntry* OfDevice(quint32 major, quint32 minor) const {
        const auto found = ByDevice.find(TBlockDevices::DeviceKey(major, minor));
        return found == ByDevice.end() ? nullptr : found->second;
    }
};

using TPlannedDrive = std::pair<const TMountEntry*, TDriveType>;

// The mounts that take letters after the optical drives, in mount-folder order.
struct TMountGroups {
    std::vector<TPlannedDrive> Local;   // fixed and RAM disks, then removable media
    std::vector<TPlannedDrive> Network; // from Z: downwards
};

// Hands out the letters in their order and remembers which devices have one.
class TLetters {
public:
    explicit TLetters(const TBlockDevices& devices)
        : Devices(devices) {}

    // C: is the root folder even where no mount is listed for it, as inside a chroot.
    void PlaceRoot(const TVisibleMounts& visible) {
        const auto root = visible.ByFolder.find("/");
        if (root != visible.ByFolder.end())
            Place(u'C', DriveOf(*root->second, TDriveType::Fixed, Devices), root->second);
        else
            Place(u'C', {.Type = TDriveType::Fixed, .MountRoot = "/"}, nullptr);
    }

    // Floppies on A: and B:, optical drives from D:, with or without a medium.
    void PlaceDeviceDrives(const TVisibleMounts& visible) {
        char16_t floppyLetter = u'A';
        for (const TBlockDevice& device : Devices.Devices) {
            if (!device.Floppy && !device.Optical)
                continue;
            const TDriveType type = device.Floppy ? TDriveType::Removable : TDriveType::CdRom;
            const TMountEntry* mount = visible.OfDevice(device.Major, device.Minor);
            char16_t& next = device.Floppy ? floppyLetter : NextLetter;
            if (next > (device.Floppy ? u'B' : u'Z'))
                continue;
            Place(QChar(next++),
                  mount ? DriveOf(*mount, type, Devices) : TDrive{.Type = type, .Ready = false},
                  mount);
        }
    }

    // The mounts still without a letter, by kind; pseudo file systems and system RAM
    // disks are left out.
    TMountGroups GroupMounts(const TVisibleMounts& visible) const {
        TMountGroups groups;
        std::vector<TPlannedDrive> removable;
        for (const auto& [folder, mount] : visible.ByFolder) {
            const quint64 key = DeviceKeyOf(*mount);
            if (Taken.contains(key) || visible.ByDevice.at(key) != mount)
                continue;
            const TBlockDevice* device = Devices.Find(mount->Major, mount->Minor);
            if (IsNetwork(mount->FileSystemType))
                groups.Network.emplace_back(mount, TDriveType::Remote);
            else if (mount->FileSystemType == "tmpfs" || mount->FileSystemType == "ramfs") {
                if (!IsSystemFolder(folder))
                    groups.Local.emplace_back(mount, TDriveType::RamDisk);
            } else if (IsRealFileSystem(*mount)) {
                if (device && device->Removable)
                    removable.emplace_back(mount, TDriveType::Removable);
                else
                    groups.Local.emplace_back(mount, TDriveType::Fixed);
            }
        }
        groups.Local.insert(groups.Local.end(), removable.begin(), removable.end());
        return groups;
    }

    void PlaceLocal(const std::vector<TPlannedDrive>& drives) {
        for (const auto& [mount, type] : drives)
            if (NextLetter <= u'Z')
                Place(QChar(NextLetter++), DriveOf(*mount, type, Devices), mount);
    }

    // Network drives from Z: down, as far as the letters the others left free.
    void PlaceNetwork(const std::vector<TPlannedDrive>& drives) {
        char16_t networkLetter = u'Z';
        for (const auto& [mount, type] : drives) {
            if (networkLetter < NextLetter)
                break;
            TDrive drive = DriveOf(*mount, type, Devices);
            drive.Label.clear();
            drive.ConnectionName = ConnectionNameOf(*mount);
            Place(QChar(networkLetter--), std::move(drive), mount);
        }
    }

    TDriveTable Table;

private:
    void Place(QChar letter, TDrive drive, const TMountEntry* mount) {
        drive.Letter = letter;
        Table.Set(std::move(drive));
        if (mount)
            Taken.insert(DeviceKeyOf(*mount));
    }

    const TBlockDevices& Devices;
    QSet<quint64> Taken;        // devices that already have a letter
    char16_t NextLetter = u'D'; // the next free letter from D: upwards
};
} // namespace

TLinuxFileSystem::TLinuxFileSystem() {
    TLinuxFileSystem::RefreshDrives(); // named: no override can run before its class is made
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
    const TVisibleMounts visible(mounts);
    TLetters letters(devices);
    letters.PlaceRoot(visible);
    letters.PlaceDeviceDrives(visible);
    const TMountGroups groups = letters.GroupMounts(visible);
    letters.PlaceLocal(groups.Local);
    letters.PlaceNetwork(groups.Network);
    return letters.Table;
}
