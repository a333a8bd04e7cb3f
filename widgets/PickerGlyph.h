#pragma once
// The pickers' own bitmaps: drive kinds, folder states and file kinds, with the colour of each
// bitmap's bottom-left pixel drawn as transparent.

#include <QPixmap>

enum class TPickerGlyph {
    None,
    Floppy,
    Hard,
    Network,
    CdRom,
    Ram,
    OpenFolder,
    CurrentFolder,
    ClosedFolder,
    Executable,
    UnknownFile,
};

// A null pixmap for None.
QPixmap PickerGlyph(TPickerGlyph glyph);
