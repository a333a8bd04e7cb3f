#include "widgets/MessageService.h"

#include "text/UserError.h"

#include <QCoreApplication>

void TMessageService::ShowMessage(const QString& text) {
    Show({TBoxKind::Information, ApplicationTitle(), text});
}

void TMessageService::ShowError(const QString& errorText) {
    Show({TBoxKind::Error, ApplicationTitle(), WithFullStop(errorText)});
}

void TMessageService::ShowError(const std::exception& error) {
    ShowError(TextOf(error));
}

QString TMessageService::TextOf(const std::exception& error) {
    if (const auto* userError = dynamic_cast<const TUserError*>(&error))
        return userError->Text;
    return QString::fromLocal8Bit(error.what());
}

bool TMessageService::ConfirmDelete() {
    return Confirm(QStringLiteral("Delete record?"));
}

bool TMessageService::Confirm(const QString& question) {
    return Show({TBoxKind::Confirmation, QStringLiteral("Confirm"), question});
}

QString TMessageService::ApplicationTitle() {
    return QCoreApplication::applicationName();
}

QString TMessageService::WithFullStop(const QString& text) {
    if (!text.isEmpty() && text.back() > QLatin1Char('.'))
        return text + QLatin1Char('.');
    return text;
}
