#pragma once
// One line of /proc/self/mountinfo, and the reading of that file's text. The text comes
// in as a parameter so tests feed recorded texts of other machines.

#include <QByteArray>
#include <QByteArrayView>
#include <vector>

struct TMountEntry {
    quint32 Major = 0; // the st_dev of files on it, split
    quint32 Minor = 0;
    QByteArray Root;       // the folder of the file system seen here: "/" unless a bind mount
    QByteArray MountPoint; // unescaped
    QByteArray FileSystemType;
    QByteArray Source; // unescaped: "/dev/sdb1", "server:/export", "//server/share"

    // Lines with too few fields are left out; mountinfo's "\ooo" escapes (space, tab,
    // newline, backslash) are undone, any other '\' stays as it is.
    static std::vector<TMountEntry> Parse(QByteArrayView text);
};
