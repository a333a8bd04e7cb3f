#pragma once
// The program's own bitmaps, by resource name ("dbn_first", "dbn_first_grey", "dbgarrow" ...).

#include <QPixmap>

QPixmap Glyph(const QString& name);
