#include "widgets/Glyphs.h"

static void InitGlyphResources() {
    Q_INIT_RESOURCE(glyphs);
}

QPixmap Glyph(const QString& name) {
    static const bool initialised = (InitGlyphResources(), true);
    (void)initialised;
    return QPixmap(QStringLiteral(":/glyphs/") + name);
}
