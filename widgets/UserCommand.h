#pragma once
// The boundary of every handler that carries out a user's command (a key, a click, a menu
// item). An error ends the command there and shows in the error box, so it never unwinds
// through Qt's own frames; the application's notify() is only the last resort.

#include "widgets/MessageService.h"

#include <exception>

// Runs `command`; on an error runs `onError` (to put the focus back, end a press ...), then
// shows the error box. Returns false when the command failed.
template <typename Command, typename OnError>
bool RunUserCommand(TMessageService& messages, Command&& command, OnError&& onError) {
    try {
        command();
        return true;
    } catch (const std::exception& error) {
        onError();
        messages.ShowError(error);
        return false;
    }
}

template <typename Command> bool RunUserCommand(TMessageService& messages, Command&& command) {
    return RunUserCommand(messages, command, [] {});
}

// Runs a key's command, which returns whether it used the key up. A key whose command failed
// counts as used: it is dropped with the rest of its command.
template <typename KeyCommand> bool RunKeyCommand(TMessageService& messages, KeyCommand&& command) {
    bool used = true;
    RunUserCommand(messages, [&] { used = command(); });
    return used;
}
