#include "widgets/PickerGlyph.h"

#include <QBitmap>
#include <QImage>
#include <array>

// Outside any namespace: the macro declares the resource's own init function there.
static void InitPickerResources() {
    Q_INIT_RESOURCE(pickers);
}

namespace {
QPixmap Load(const char* name) {
    const QImage image(QStringLiteral(":/pickers/") + QLatin1String(name));
    QPixmap pixmap = QPixmap::fromImage(image);
    // The artwork is painted on a key colour; the bottom-left pixel names it.
    pixmap.setMask(QBitmap::fromImage(
        image.createMaskFromColor(image.pixel(0, image.height() - 1), Qt::MaskInColor)));
    return pixmap;
}

std::array<QPixmap, 11> LoadAll() {
    InitPickerResources();
    return {QPixmap(),          Load("floppy"),        Load("hard"),
            Load("network"),    Load("cdrom"),         Load("ram"),
            Load("openfolder"), Load("currentfolder"), Load("closedfolder"),
            Load("executable"), Load("unknownfile")};
}
} // namespace

QPixmap PickerGlyph(TPickerGlyph glyph) {
    static const std::array<QPixmap, 11> glyphs = LoadAll();
    return glyphs[static_cast<size_t>(glyph)];
}
