#include "widgets/Glyphs.h"

#include <QBitmap>
#include <QImage>

// Outside any namespace: the macro declares the resource's own init function there.
static void InitGlyphResources() {
    Q_INIT_RESOURCE(glyphs);
}

QPixmap Glyph(const QString& name) {
    static const bool initialised = (InitGlyphResources(), true);
    (void)initialised;
    const QImage image(QStringLiteral(":/glyphs/") + name);
    QPixmap pixmap = QPixmap::fromImage(image);
    if (!image.isNull() && !image.hasAlphaChannel())
        pixmap.setMask(QBitmap::fromImage(
            image.createMaskFromColor(image.pixel(0, image.height() - 1), Qt::MaskInColor)));
    return pixmap;
}
