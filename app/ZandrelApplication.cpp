#include "app/ZandrelApplication.h"

#include "widgets/MessageService.h"

TZandrelApplication::TZandrelApplication(int& argc, char** argv, TMessageService& messages)
    : QApplication(argc, argv)
    , Messages(messages) {}

bool TZandrelApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        Messages.ShowError(error);
        return false;
    }
}
