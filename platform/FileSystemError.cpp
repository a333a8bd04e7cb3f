#include "platform/FileSystemError.h"

#include <cerrno>

TFileSystemError::TFileSystemError(int code, const QString& path)
    : TUserError(CodeText(code), TSubject::Folder, path, TPathForm::AfterColon)
    , Code(code) {}

QString TFileSystemError::CodeText(int code) {
    switch (code) {
    case FileNotFound:
        return QStringLiteral("File not found");
    case PathNotFound:
        return QStringLiteral("Invalid filename");
    case TooManyOpenFiles:
        return QStringLiteral("Too many open files");
    case AccessDenied:
        return QStringLiteral("File access denied");
    default:
        return QStringLiteral("I/O error %1").arg(code);
    }
}

int TFileSystemError::CodeOfErrno(int error) {
    switch (error) {
    case ENOENT:
        return FileNotFound;
    case ENOTDIR:
        return NotAFolder;
    case EACCES:
    case EPERM:
        return AccessDenied;
    case EMFILE:
    case ENFILE:
        return TooManyOpenFiles;
    case ENOMEDIUM:
        return NotReady;
    case ENAMETOOLONG:
        return FileNameTooLong;
    case ELOOP:
        return CannotResolve;
    case EINVAL:
    case EILSEQ:
        return InvalidName;
    default:
        return IoDevice;
    }
}
