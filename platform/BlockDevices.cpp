#include "platform/BlockDevices.h"

#include <QList>
#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {
// The first line of a small sysfs file, without its newline.
QByteArray ReadLine(const QByteArray& path) {
    const int handle = open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (handle < 0)
        return {};
    char buffer[64];
    const ssize_t length = read(handle, buffer, sizeof buffer);
    close(handle);
    if (length <= 0)
        return {};
    const QByteArray text(buffer, length);
    return text.left(text.indexOf('\n'));
}

std::vector<QByteArray> NamesIn(const QByteArray& folder) {
    std::vector<QByteArray> names;
    DIR* listing = opendir(folder.constData());
    if (!listing)
        return names;
    while (const dirent* item = readdir(listing))
        if (item->d_name[0] != '.')
            names.emplace_back(item->d_name);
    closedir(listing);
    return names;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}
} // namespace

TBlockDevices TBlockDevices::Read(const QByteArray& classFolder, const QByteArray& labelFolder) {
    TBlockDevices result;
    for (const QByteArray& name : NamesIn(classFolder)) {
        const QByteArray folder = classFolder + '/' + name;
        const QList<QByteArray> numbers = ReadLine(folder + "/dev").split(':');
        if (numbers.size() != 2)
            continue;
        TBlockDevice device;
        device.Name = name;
        device.Major = numbers[0].toUInt();
        device.Minor = numbers[1].toUInt();
        // A partition has no flag of its own; its disk is the folder above it.
        const bool partition = access((folder + "/partition").constData(), F_OK) == 0;
        device.Removable = ReadLine(folder + (partition ? "/../removable" : "/removable")) == "1";
        device.Optical = name.startsWith("sr");
        device.Floppy = name.startsWith("fd");
        result.Devices.push_back(device);
    }
    std::sort(result.Devices.begin(), result.Devices.end(),
              [](const TBlockDevice& a, const TBlockDevice& b) { return a.Name < b.Name; });

    for (const QByteArray& name : NamesIn(labelFolder)) {
        struct stat info {};
        if (stat((labelFolder + '/' + name).constData(), &info) == 0 && info.st_rdev != 0)
            result.Labels.insert(DeviceKey(major(info.st_rdev), minor(info.st_rdev)),
                                 UnescapeLabel(name));
    }
    return result;
}

QString TBlockDevices::UnescapeLabel(QByteArrayView linkName) {
    QByteArray bytes;
    for (qsizetype i = 0; i < linkName.size(); ++i) {
        const int high = i + 3 < linkName.size() && linkName[i] == '\\' && linkName[i + 1] == 'x'
                             ? HexDigit(linkName[i + 2])
                             : -1;
        const int low = high >= 0 ? HexDigit(linkName[i + 3]) : -1;
        if (low >= 0) {
            bytes += char(high << 4 | low);
            i += 3;
        } else {
            bytes += linkName[i];
        }
    }
    return QString::fromUtf8(bytes);
}

const TBlockDevice* TBlockDevices::Find(quint32 major, quint32 minor) const {
    for (const TBlockDevice& device : Devices)
        if (device.Major == major && device.Minor == minor)
            return &device;
    return nullptr;
}
