#pragma once
// The one error type of the storage layer: a text a user can act on, naming the file or
// the cursor concerned. Errors unwind the current event handler and reach the error box.

#include "text/UserError.h"

class TDataError : public TUserError {
public:
    // `cause` is what failed underneath, when `text` tells what that meant for a larger work.
    explicit TDataError(const QString& text, const QString& cause = {})
        : TUserError(text)
        , Cause(cause.isEmpty() ? text : cause) {}
    // What failed on the table file or folder at `path`.
    TDataError(const QString& what, TSubject subject, const QString& path)
        : TUserError(what, subject, path)
        , Cause(Text) {}
    // What `cause` meant for a larger work: `work` put before it, on the same file or folder.
    TDataError(const QString& work, const TUserError& cause)
        : TUserError(work + cause.What, cause.Subject, cause.Path, cause.Form)
        , Cause(cause.Text) {}

    const QString Cause;
};
