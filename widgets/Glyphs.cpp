#include "widgets/Glyphs.h"

#include <QBitmap>
#include <QDir>
#include <QImage>

// Outside any namespace: the macro declares the resource's own init function there.
static void InitGlyphResources() {
    Q_INIT_RESOURCE(glyphs);
}

namespace {
void LoadResourcesOnce() {
    static const bool initialised = (InitGlyphResources(), true);
    (void)initialised;
}
} // namespace

QPixmap Glyph(const QString& name) {
    LoadResourcesOnce();
    const QImage image(QStringLiteral(":/glyphs/") + name);
    QPixmap pixmap = QPixmap::fromImage(image);
    if (!image.isNull() && !image.hasAlphaChannel())
        pixmap.setMask(QBitmap::fromImage(
            image.createMaskFromColor(image.pixel(0, image.height() - 1), Qt::MaskInColor)));
    return pixmap;
}

QIcon ProgramIcon() {
    LoadResourcesOnce();
    const QDir sizes(QStringLiteral(":/icon"));
    QIcon icon;
    for (const QString& name : sizes.entryList(QDir::Files))
        icon.addFile(sizes.filePath(name));
    return icon;
}
