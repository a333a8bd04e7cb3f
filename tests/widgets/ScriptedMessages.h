#pragma once
// The message service of the tests: answers come from a script queued by the test, every box
// is recorded, and nothing ever blocks.

#include "widgets/MessageService.h"

#include <QList>
#include <QStringList>
#include <functional>
#include <utility>

class TScriptedMessages : public TMessageService {
public:
    // Answers for the coming confirmation boxes, in order (true = "OK").
    QList<bool> Answers;
    QList<TBoxRequest> Shown;
    // Runs while a confirmation box is up, before it is answered: what another program or
    // a repaint does meanwhile.
    std::function<void()> WhileAsking;

    QStringList Texts() const {
        QStringList texts;
        for (const TBoxRequest& box : Shown)
            texts.append(box.Text);
        return texts;
    }

protected:
    bool Show(const TBoxRequest& request) override {
        Shown.append(request);
        if (request.Kind != TBoxKind::Confirmation)
            return true;
        if (WhileAsking)
            std::exchange(WhileAsking, nullptr)();
        // An unscripted question is a fault of the test: answer Cancel and let it show.
        return Answers.isEmpty() ? false : Answers.takeFirst();
    }
};
