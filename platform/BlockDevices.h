#pragma once
// What sysfs and /dev/disk/by-label tell about block devices: which are optical, floppy
// or removable, and each labelled device's volume label. Read without root rights and
// without touching a medium, so a label read never blocks on an empty drive.

#include <QByteArray>
#include <QHash>
#include <QString>
#include <vector>

struct TBlockDevice {
    QByteArray Name; // "sr0", "sdb1"
    quint32 Major = 0;
    quint32 Minor = 0;
    bool Removable = false; // the disk's sysfs flag (a partition takes its disk's)
    bool Optical = false;
    bool Floppy = false;
};

struct TBlockDevices {
    std::vector<TBlockDevice> Devices; // sorted by name
    QHash<quint64, QString> Labels;    // by DeviceKey(major, minor)

    // From a sysfs class folder ("/sys/class/block") and a by-label folder; folders that
    // cannot be read give nothing.
    static TBlockDevices Read(const QByteArray& classFolder = "/sys/class/block",
                              const QByteArray& labelFolder = "/dev/disk/by-label");
    // Undoes udev's "\xNN" escapes of a by-label link name and reads it as UTF-8.
    static QString UnescapeLabel(QByteArrayView linkName);
    static quint64 DeviceKey(quint32 major, quint32 minor) { return quint64(major) << 32 | minor; }

    const TBlockDevice* Find(quint32 major, quint32 minor) const;
    QString LabelOf(quint32 major, quint32 minor) const {
        return Labels.value(DeviceKey(major, minor));
    }
};
