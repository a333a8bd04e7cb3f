#include "widgets/MessageService.h"

#include "catalog/DataError.h"
#include "platform/FileSystemError.h"

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
    if (const auto* dataError = dynamic_cast<const TDataError*>(&error))
        return dataError->Text;
    if (const auto* fileError = dynamic_cast<const TFileSystemError*>(&error))
        return fileError->Text;
    return QString::fromLocal8Bit(error.what());
}

bool TMessageService::ConfirmDelete() {
    return Show(
        {TBoxKind::Confirmation, QStringLiteral("Confirm"), QStringLiteral("Delete record?")});
}

QString TMessageService::ApplicationTitle() {
    return QCoreApplication::applicationName();
}

QString TMessageService::WithFullStop(const QString& text) {
    if (!text.isEmpty() && text.back() > QLatin1Char('.'))
        return text + QLatin1Char('.');
    return text;
}
