#pragma once
// How long a connection waits for another program's write to end before it reports the table
// busy: 1500 ms unless set otherwise. Connections opened afterwards take a new setting; tests
// that wait on a busy file shorten it.

void SetBusyTimeout(int milliseconds);
int BusyTimeout();
