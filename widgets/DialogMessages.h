#pragma once
// The message service of the running program: real modal boxes centred on the screen.

#include "widgets/MessageService.h"

class TDialogMessages : public TMessageService {
protected:
    bool Show(const TBoxRequest& request) override;
};
