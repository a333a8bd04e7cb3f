#pragma once
// The program's own bitmaps, by resource name: the navigator's and grid's ("dbn_first",
// "dbn_first_grey", "dbgarrow" ...) and the pickers' ("cdrom", "openfolder" ...).

#include <QIcon>
#include <QPixmap>

// An image without transparency of its own is painted on a key colour, which its bottom-left
// pixel names; that colour is drawn as transparent. A null pixmap for an unknown name.
QPixmap Glyph(const QString& name);

// The program's icon at every size drawn for it (16 to 256 px), for its windows and boxes.
QIcon ProgramIcon();
