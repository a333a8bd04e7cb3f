#pragma once
// Runs a user's action on a picker. A folder that cannot be entered ends the action; its error
// goes to the picker's error hook, or on to the event loop's error handler when none is set.

#include "platform/FileSystemError.h"

#include <QString>
#include <functional>

using TPickerErrorHook = std::function<void(const QString& errorText)>;

template <typename Action>
void RunPickerAction(const TPickerErrorHook& showError, Action&& action) {
    try {
        action();
    } catch (const TFileSystemError& error) {
        if (!showError)
            throw;
        showError(error.Text);
    }
}
