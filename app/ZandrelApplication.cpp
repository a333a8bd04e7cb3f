#include "app/ZandrelApplication.h"

#include "widgets/Glyphs.h"
#include "widgets/MessageService.h"

TZandrelApplication::TZandrelApplication(int& argc, char** argv, TMessageService& messages)
    : QApplication(argc, argv)
    , Messages(messages) {
    setWindowIcon(ProgramIcon());
    // The installed desktop entry's name, by which a desktop matches the windows to it.
    setDesktopFileName(QStringLiteral(ZANDREL_APP_ID));
}

bool TZandrelApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& error) {
        Messages.ShowError(error);
        return false;
    }
}
