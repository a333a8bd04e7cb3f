#include "platform/MountEntry.h"

#include <QList>

namespace {
bool IsOctal(char c) {
    return c >= '0' && c <= '7';
}

QByteArray Unescape(QByteArrayView field) {
    QByteArray result;
    result.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size() && IsOctal(field[i + 1]) &&
            IsOctal(field[i + 2]) && IsOctal(field[i + 3])) {
            result += char(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) |
                           (field[i + 3] - '0'));
            i += 3;
        } else {
            result += field[i];
        }
    }
    return result;
}
} // namespace

std::vector<TMountEntry> TMountEntry::Parse(QByteArrayView text) {
    std::vector<TMountEntry> entries;
    for (const QByteArray& line : text.toByteArray().split('\n')) {
        // id parent major:minor root mount-point options [optional...] - type source options
        const QList<QByteArray> fields = line.split(' ');
        const qsizetype dash = fields.indexOf(QByteArray("-"), 6);
        if (fields.size() < 6 || dash < 0 || dash + 2 >= fields.size())
            continue;
        const QList<QByteArray> device = fields[2].split(':');
        bool majorOk = false;
        bool minorOk = false;
        TMountEntry entry;
        if (device.size() == 2) {
            entry.Major = device[0].toUInt(&majorOk);
            entry.Minor = device[1].toUInt(&minorOk);
        }
        if (!majorOk || !minorOk)
            continue;
        entry.Root = Unescape(fields[3]);
        entry.MountPoint = Unescape(fields[4]);
        entry.FileSystemType = Unescape(fields[dash + 1]);
        entry.Source = Unescape(fields[dash + 2]);
        entries.push_back(std::move(entry));
    }
    return entries;
}
