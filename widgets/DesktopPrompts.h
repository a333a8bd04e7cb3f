#pragma once
// The prompt service of the running program: the desktop's file dialogs for CSV files and a
// box with one line to type in.

#include "widgets/PromptService.h"

class TDesktopPrompts : public TPromptService {
public:
    QString SaveFileName(QWidget* parent, const QString& caption,
                         const QString& suggested) override;
    QString OpenFileName(QWidget* parent, const QString& caption) override;
    std::optional<QString> AskText(QWidget* parent, const QString& caption, const QString& prompt,
                                   const QString& text, int maxLength) override;
};
