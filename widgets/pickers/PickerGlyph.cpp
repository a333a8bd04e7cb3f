#include "widgets/pickers/PickerGlyph.h"

#include "widgets/Glyphs.h"

#include <array>

namespace {
std::array<QPixmap, 11> LoadAll() {
    return {QPixmap(),
            Glyph(QStringLiteral("floppy")),
            Glyph(QStringLiteral("hard")),
            Glyph(QStringLiteral("network")),
            Glyph(QStringLiteral("cdrom")),
            Glyph(QStringLiteral("ram")),
            Glyph(QStringLiteral("openfolder")),
            Glyph(QStringLiteral("currentfolder")),
            Glyph(QStringLiteral("closedfolder")),
            Glyph(QStringLiteral("executable")),
            Glyph(QStringLiteral("unknownfile"))};
}
} // namespace

QPixmap PickerGlyph(TPickerGlyph glyph) {
    // Loaded once: a listing of 100,000 files draws the same few glyphs over and over.
    static const std::array<QPixmap, 11> glyphs = LoadAll();
    return glyphs[static_cast<size_t>(glyph)];
}
