#pragma once
// The error of a folder that cannot be entered: a Windows system error code, the fixed
// text that code is shown with, and the folder as the caller named it
// (Text: CodeText(Code) + ": " + Path).

#include "text/UserError.h"

class TFileSystemError : public TUserError {
public:
    static constexpr int FileNotFound = 2;
    static constexpr int PathNotFound = 3;
    static constexpr int TooManyOpenFiles = 4;
    static constexpr int AccessDenied = 5;
    static constexpr int NotReady = 21; // a drive with no medium
    static constexpr int InvalidName = 123;
    static constexpr int FileNameTooLong = 206;
    static constexpr int NotAFolder = 267;
    static constexpr int IoDevice = 1117;
    static constexpr int CannotResolve = 1921; // too many levels of symbolic links

    TFileSystemError(int code, const QString& path);

    // "File not found", "Invalid filename", "Too many open files", "File access denied",
    // or "I/O error <code>".
    static QString CodeText(int code);
    // The code for an errno value from a call on a path (ENOENT gives FileNotFound; a
    // caller that knows a parent folder is missing uses PathNotFound).
    static int CodeOfErrno(int error);

    const int Code;
};
