#pragma once
// The one error type of the storage layer: a text a user can act on, naming the file or
// the cursor concerned. Errors unwind the current event handler and reach the error box.

#include <QString>
#include <stdexcept>

class TDataError : public std::runtime_error {
public:
    // `cause` is what failed underneath, when `text` tells what that meant for a larger work.
    explicit TDataError(const QString& text, const QString& cause = {})
        : std::runtime_error(text.toStdString())
        , Text(text)
        , Cause(cause.isEmpty() ? text : cause) {}

    const QString Text;
    const QString Cause;
};
