#include "catalog/TableClaim.h"

#include "catalog/DataError.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

TTableClaim::TTableClaim(const QString& tablePath) {
    const QString lockPath = tablePath + QStringLiteral("-lock");
    Handle = open(QFile::encodeName(lockPath).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (Handle < 0) {
        // Where nothing can be written, nothing can be taken from another copy either.
        if (errno == EROFS)
            return;
        throw TDataError(QStringLiteral("The table cannot be kept for this program alone: %1.")
                             .arg(QString::fromLocal8Bit(std::strerror(errno))),
                         TDataError::TSubject::File, lockPath);
    }
    if (flock(Handle, LOCK_EX | LOCK_NB) != 0) {
        close(Handle);
        Handle = -1;
        throw TDataError(QStringLiteral("Another running copy of the program is cataloguing a "
                                        "disc into this staging table: finish there first, or "
                                        "close that copy."),
                         TDataError::TSubject::File, tablePath);
    }
}

TTableClaim::~TTableClaim() {
    if (Handle >= 0)
        close(Handle);
}
