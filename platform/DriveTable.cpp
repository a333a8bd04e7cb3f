#include "platform/DriveTable.h"

#include "platform/FileSystemError.h"

#include <QList>
#include <cstring>

namespace {
int IndexOf(QChar letter) {
    const char16_t upper = letter.toUpper().unicode();
    return upper >= u'A' && upper <= u'Z' ? upper - u'A' : -1;
}

// The mount folder with no trailing '/', so "/" becomes "" and joins as "" + "/DOCS".
QByteArray JoinBase(const QByteArray& mountRoot) {
    return mountRoot.endsWith('/') ? mountRoot.chopped(1) : mountRoot;
}
} // namespace

void TDriveTable::Set(TDrive drive) {
    const int index = IndexOf(drive.Letter);
    if (index < 0)
        return;
    drive.Letter = QChar(u'A' + index);
    Drives[index] = std::move(drive);
}

void TDriveTable::Remove(QChar letter) {
    if (const int index = IndexOf(letter); index >= 0)
        Drives[index].reset();
}

const TDrive* TDriveTable::Find(QChar letter) const {
    const int index = IndexOf(letter);
    return index >= 0 && Drives[index] ? &*Drives[index] : nullptr;
}

quint32 TDriveTable::Bits() const {
    quint32 bits = 0;
    for (int n = 0; n < 26; ++n)
        if (Drives[n])
            bits |= 1u << n;
    return bits;
}

TRealPath TDriveTable::RealPathOf(const QString& drivePath) const {
    if (drivePath.size() < 3 || drivePath[1] != u':' || drivePath[2] != u'\\')
        return {{}, TFileSystemError::PathNotFound};
    const TDrive* drive = Find(drivePath[0]);
    if (!drive)
        return {{}, TFileSystemError::PathNotFound};
    if (!drive->Ready || drive->MountRoot.isEmpty())
        return {{}, TFileSystemError::NotReady};
    QByteArray path = JoinBase(drive->MountRoot);
    for (QStringView name : QStringView(drivePath).mid(3).split(u'\\', Qt::SkipEmptyParts)) {
        const QByteArray bytes = name.toUtf8();
        if (bytes.contains('/') || bytes.contains('\0'))
            return {{}, TFileSystemError::InvalidName};
        path += '/' + bytes;
    }
    return {path.isEmpty() ? QByteArray("/") : path, 0};
}

std::optional<QString> TDriveTable::DrivePathOf(const QByteArray& realPath) const {
    const TDrive* best = nullptr;
    qsizetype bestLength = -1;
    for (const std::optional<TDrive>& drive : Drives) {
        if (!drive || !drive->Ready || drive->MountRoot.isEmpty())
            continue;
        const QByteArray base = JoinBase(drive->MountRoot);
        const bool holds = realPath.startsWith(base) &&
                           (realPath.size() == base.size() || realPath[base.size()] == '/');
        if (holds && base.size() > bestLength) {
            best = &*drive;
            bestLength = base.size();
        }
    }
    if (!best)
        return std::nullopt;
    QString path = QString(best->Letter) + QStringLiteral(":\\");
    bool first = true;
    for (const QByteArray& name : realPath.mid(bestLength).split('/')) {
        if (name.isEmpty() || name == ".")
            continue;
        const std::optional<QString> text = RepresentableName(name.constData(), name.size());
        if (!text || name == "..")
            return std::nullopt;
        if (!first)
            path += u'\\';
        path += *text;
        first = false;
    }
    return path;
}

std::optional<QString> TDriveTable::RepresentableName(const char* name, size_t length) {
    bool ascii = true;
    for (size_t i = 0; i < length; ++i) {
        if (name[i] == '\\')
            return std::nullopt;
        if (static_cast<unsigned char>(name[i]) >= 0x80)
            ascii = false;
    }
    if (ascii)
        return QString::fromLatin1(name, qsizetype(length));
    // Invalid sequences decode to U+FFFD, so a name that does not survive the round trip
    // was not valid UTF-8 (overlong forms and encoded surrogates included).
    const QByteArrayView bytes(name, qsizetype(length));
    QString text = QString::fromUtf8(bytes);
    if (text.toUtf8() != bytes)
        return std::nullopt;
    return text;
}

QString TDriveTable::NameProblem(const char* name, size_t length) {
    if (std::memchr(name, '\\', length))
        return QStringLiteral("Name holds a backslash");
    return QStringLiteral("Name is not valid UTF-8");
}
