#pragma once
// Runs a user's action on a picker. A folder that cannot be entered ends the action; its error
// shows in the error box, or goes on to the event loop's error handler when no box is given.

#include "platform/FileSystemError.h"
#include "widgets/MessageService.h"

template <typename Action> void RunPickerAction(TMessageService* messages, Action&& action) {
    try {
        action();
    } catch (const TFileSystemError& error) {
        if (!messages)
            throw;
        messages->ShowError(error.Text);
    }
}
