#pragma once
// How long work on a whole catalogue tells how far it has come.

#include <QtGlobal>
#include <functional>

// Told how far the work has come (`done` of `total`, often); returns false to cancel.
using TWorkProgress = std::function<bool(qint64 done, qint64 total)>;
