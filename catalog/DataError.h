#pragma once
// The one error type of the storage layer: a text a user can act on, naming the file or
// the cursor concerned. Errors unwind the current event handler and reach the error box.

#include <QString>
#include <stdexcept>

class TDataError : public std::runtime_error {
public:
    explicit TDataError(const QString& text)
        : std::runtime_error(text.toStdString())
        , Text(text) {}

    const QString Text;
};
