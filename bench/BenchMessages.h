#pragma once
// The message service of the benchmarks that drive windows: every box is answered at once
// ("OK"), and the last text is kept so a benchmark can check what the window said.

#include "widgets/MessageService.h"

class TQuietMessages : public TMessageService {
public:
    QString Last;

protected:
    bool Show(const TBoxRequest& request) override {
        Last = request.Text;
        return true;
    }
};
