#pragma once
// The pickers' glyphs by what they stand for: drive kinds, folder states and file kinds.

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
