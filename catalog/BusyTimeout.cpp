#include "catalog/BusyTimeout.h"

namespace {
int Milliseconds = 1500;
} // namespace

void SetBusyTimeout(int milliseconds) {
    Milliseconds = milliseconds;
}

int BusyTimeout() {
    return Milliseconds;
}
