#pragma once
// The prompt service of the tests: the file names and texts the user would give come from
// queues the test fills, every caption asked is recorded, and nothing ever blocks. An empty
// queue answers as Cancel does.

#include "widgets/PromptService.h"

#include <QStringList>

class TScriptedPrompts : public TPromptService {
public:
    QStringList FileNames; // for the save and open dialogs, in order
    QStringList Texts;
    QStringList Asked; // the caption of every prompt shown

    QString SaveFileName(QWidget*, const QString& caption, const QString&) override {
        return Next(FileNames, caption);
    }
    QString OpenFileName(QWidget*, const QString& caption) override {
        return Next(FileNames, caption);
    }
    std::optional<QString> AskText(QWidget*, const QString& caption, const QString&, const QString&,
                                   int) override {
        if (Texts.isEmpty()) {
            Asked.append(caption);
            return std::nullopt;
        }
        return Next(Texts, caption);
    }

private:
    QString Next(QStringList& queue, const QString& caption) {
        Asked.append(caption);
        return queue.isEmpty() ? QString() : queue.takeFirst();
    }
};
