#pragma once
// The modal boxes the system shows: message, error and delete confirmation. Widgets and windows
// ask this service, so tests replace the one virtual call and never block on a box.

#include <QString>
#include <exception>

enum class TBoxKind { Information, Error, Confirmation };

struct TBoxRequest {
    TBoxKind Kind = TBoxKind::Information;
    QString Caption;
    QString Text;
};

class TMessageService {
public:
    virtual ~TMessageService() = default;

    // A box with one "OK" button, captioned with the application title.
    void ShowMessage(const QString& text);
    // The error box: error icon, the error's text with the full-stop rule applied.
    void ShowError(const QString& errorText);
    // The error box for a caught error.
    void ShowError(const std::exception& error);
    // "Confirm" / "Delete record?" with "OK" (default) and "Cancel"; true when OK was chosen.
    bool ConfirmDelete();
    // "Confirm" / `question`, as ConfirmDelete asks.
    bool Confirm(const QString& question);

    // The application title is the caption of every message and error box.
    static QString ApplicationTitle();
    // A caught error's text: the text of a TUserError, else the library's message.
    static QString TextOf(const std::exception& error);
    // A full stop is added when the text's last character sorts after the full stop.
    static QString WithFullStop(const QString& text);

protected:
    // Shows the box modally; returns true for "OK", false for "Cancel" or a dismissed box.
    virtual bool Show(const TBoxRequest& request) = 0;
};
