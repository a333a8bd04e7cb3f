#include "widgets/DesktopPrompts.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>

namespace {
const QString CsvFilter = QStringLiteral("CSV files (*.csv);;All files (*)");

QString ChosenFile(QFileDialog& dialog) {
    dialog.setNameFilter(CsvFilter);
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
               ? dialog.selectedFiles().constFirst()
               : QString();
}
} // namespace

QString TDesktopPrompts::SaveFileName(QWidget* parent, const QString& caption,
                                      const QString& suggested) {
    QFileDialog dialog(parent, caption);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.selectFile(suggested);
    return ChosenFile(dialog);
}

QString TDesktopPrompts::OpenFileName(QWidget* parent, const QString& caption) {
    QFileDialog dialog(parent, caption);
    dialog.setFileMode(QFileDialog::ExistingFile);
    return ChosenFile(dialog);
}

std::optional<QString> TDesktopPrompts::AskText(QWidget* parent, const QString& caption,
                                                const QString& prompt, const QString& text,
                                                int maxLength) {
    QInputDialog dialog(parent);
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setTextValue(text);
    if (auto* edit = dialog.findChild<QLineEdit*>(); edit && maxLength > 0)
        edit->setMaxLength(maxLength);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}
