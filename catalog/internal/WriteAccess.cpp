#include "catalog/internal/WriteAccess.h"

#include <QDir>
#include <QFileInfo>
#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

// Whether this process may write `path`, by its effective rights (as the kernel will judge
// the open), not by its real user id.
bool Writable(const QString& path) {
    return faccessat(AT_FDCWD, QFile::encodeName(path).constData(), W_OK, AT_EACCESS) == 0;
}

bool OnReadOnlyMedium(const QString& folder) {
    struct statvfs medium {};
    return statvfs(QFile::encodeName(folder).constData(), &medium) == 0 &&
           (medium.f_flag & ST_RDONLY);
}

std::optional<TDataError> ReadOnlyReason(const QFileInfo& info, bool readOnlyMedium,
                                         bool folderWritable) {
    const QString path = info.filePath();
    const QString cannotStore = QStringLiteral("the row cannot be stored.");
    if (readOnlyMedium)
        return TDataError(QStringLiteral("The table is on a medium that cannot be written (a disc "
                                         "or a read-only mount): ") +
                              cannotStore,
                          TDataError::TSubject::File, path);
    // The permission bits decide for the file itself, so a read-only file browses the same
    // way for root.
    const auto writable =
        QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    if (!(info.permissions() & writable) || !Writable(path))
        return TDataError(QStringLiteral("Table is read-only: ") + cannotStore,
                          TDataError::TSubject::File, path);
    if (!folderWritable)
        return TDataError(
            QStringLiteral("The folder holding the table cannot be written: ") + cannotStore,
            TDataError::TSubject::Folder, QDir::toNativeSeparators(info.absolutePath()));
    for (const char* suffix : {"-wal", "-shm"}) {
        const QString companion = path + QLatin1String(suffix);
        if (QFileInfo::exists(companion) && !Writable(companion))
            return TDataError(QStringLiteral("The table's log file belongs to another user and "
                                             "cannot be written: ") +
                                  cannotStore,
                              TDataError::TSubject::File, companion);
    }
    return std::nullopt;
}

} // namespace

TWriteAccess WriteAccessOf(const QString& path) {
    const QFileInfo info(path);
    const bool readOnlyMedium = OnReadOnlyMedium(info.absolutePath());
    const bool folderWritable = Writable(info.absolutePath());
    return {ReadOnlyReason(info, readOnlyMedium, folderWritable), readOnlyMedium, folderWritable};
}
