#pragma once
// One entry of a picker: its text, its glyph and how far from the left edge it is drawn.

#include "widgets/pickers/PickerGlyph.h"

#include <QString>

struct TPickerLine {
    QString Text;
    TPickerGlyph Glyph = TPickerGlyph::None;
    int Indent = 2; // pixels from the left edge to the glyph
};
