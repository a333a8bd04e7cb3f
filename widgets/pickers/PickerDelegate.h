#pragma once
// The owner drawing of the drive selector, folder list and file list: background or highlight,
// the glyph at the entry's indentation, the text 4 pixels after it, a focus rectangle.

#include "widgets/pickers/PickerLine.h"

#include <QStyledItemDelegate>

class TPickerDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    enum class TTextPlace { Centred, Top };

    // glyphRowHeight: the least row height while glyphs are shown (glyph height plus 1).
    TPickerDelegate(int glyphRowHeight, TTextPlace place, QObject* parent);

    bool ShowGlyphs() const { return Glyphs; }
    void SetShowGlyphs(bool show) { Glyphs = show; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    // Also draws the closed drive selector's box.
    static void PaintEntry(QPainter& painter, const QStyleOptionViewItem& option,
                           const TPickerLine& line, TTextPlace place, bool showGlyph);

private:
    int GlyphRowHeight;
    TTextPlace Place;
    bool Glyphs = true;
};
