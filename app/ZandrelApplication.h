#pragma once
// The application object: its title and icon, and the last resort for an error that
// escapes an event handler: the error box, then the event loop goes on. Handlers of the user's
// commands catch their own errors (widgets/UserCommand.h), so nothing should get this far.

#include <QApplication>

class TMessageService;

class TZandrelApplication : public QApplication {
    Q_OBJECT
    Q_PROPERTY(QString Title READ Title WRITE SetTitle)
public:
    TZandrelApplication(int& argc, char** argv, TMessageService& messages);

    // The caption of every message and error box.
    QString Title() const { return applicationName(); }
    void SetTitle(const QString& title) { setApplicationName(title); }

    bool notify(QObject* receiver, QEvent* event) override;

private:
    TMessageService& Messages;
};
