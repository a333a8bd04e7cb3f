#pragma once
// Cutting text to a number of characters, as field sizes and label buffers count them.

#include <QString>

// The first `characters` characters of `text`, cut between whole characters: a surrogate
// pair is never split. 0 or less means no limit.
QString CutToCharacters(const QString& text, int characters);
