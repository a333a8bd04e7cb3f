#pragma once
// The modal dialogs that ask the user for something: a file to save to, a file to open, a
// line of text. Windows ask this service, so tests replace it and never block on a dialog.

#include <QString>
#include <optional>

class QWidget;

class TPromptService {
public:
    virtual ~TPromptService() = default;

    // The file chosen to save to, `suggested` offered first; empty when cancelled.
    virtual QString SaveFileName(QWidget* parent, const QString& caption,
                                 const QString& suggested) = 0;
    // The CSV file chosen to open; empty when cancelled.
    virtual QString OpenFileName(QWidget* parent, const QString& caption) = 0;
    // The text typed in place of `text`, at most `maxLength` characters long (0: no limit);
    // nothing when cancelled.
    virtual std::optional<QString> AskText(QWidget* parent, const QString& caption,
                                           const QString& prompt, const QString& text,
                                           int maxLength) = 0;
};
