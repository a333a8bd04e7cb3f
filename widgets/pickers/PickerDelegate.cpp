#include "widgets/pickers/PickerDelegate.h"

#include "widgets/pickers/PickerLineModel.h"

#include <QPainter>

namespace {
constexpr int TextGap = 4; // between a glyph and its text

TPickerLine LineAt(const QModelIndex& index) {
    return {index.data(Qt::DisplayRole).toString(),
            static_cast<TPickerGlyph>(index.data(TPickerLineModel::GlyphRole).toInt()),
            index.data(TPickerLineModel::IndentRole).toInt()};
}
} // namespace

TPickerDelegate::TPickerDelegate(int glyphRowHeight, TTextPlace place, QObject* parent)
    : QStyledItemDelegate(parent)
    , GlyphRowHeight(glyphRowHeight)
    , Place(place) {}

void TPickerDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    PaintEntry(*painter, option, LineAt(index), Place, Glyphs);
}

QSize TPickerDelegate::sizeHint(const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    const TPickerLine line = LineAt(index);
    const QPixmap glyph = Glyphs ? PickerGlyph(line.Glyph) : QPixmap();
    const int glyphWidth = glyph.isNull() ? 0 : glyph.width() + TextGap;
    const int height = std::max(option.fontMetrics.height(), Glyphs ? GlyphRowHeight : 0);
    return {line.Indent + glyphWidth + option.fontMetrics.horizontalAdvance(line.Text) + 2, height};
}

void TPickerDelegate::PaintEntry(QPainter& painter, const QStyleOptionViewItem& option,
                                 const TPickerLine& line, TTextPlace place, bool showGlyph) {
    const QRect& rect = option.rect;
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette::ColorGroup group = !(option.state & QStyle::State_Enabled) ? QPalette::Disabled
                                       : (option.state & QStyle::State_Active) ? QPalette::Active
                                                                               : QPalette::Inactive;
    painter.save();
    painter.fillRect(rect,
                     option.palette.brush(group, selected ? QPalette::Highlight : QPalette::Base));

    int x = rect.left() + line.Indent;
    const QPixmap glyph = showGlyph ? PickerGlyph(line.Glyph) : QPixmap();
    if (!glyph.isNull()) {
        painter.drawPixmap(x, rect.top() + (rect.height() - glyph.height()) / 2, glyph);
        x += glyph.width() + TextGap;
    }
    painter.setFont(option.font);
    painter.setPen(
        option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text));
    const QRect textRect(x, rect.top(), std::max(0, rect.right() - x + 1), rect.height());
    const Qt::Alignment vertical = place == TTextPlace::Top ? Qt::AlignTop : Qt::AlignVCenter;
    painter.drawText(textRect,
                     static_cast<int>((Qt::AlignLeft | vertical).toInt() | Qt::TextSingleLine),
                     line.Text);

    if (option.state & QStyle::State_HasFocus) {
        painter.setPen(
            QPen(option.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text),
                 1, Qt::DotLine));
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect.adjusted(0, 0, -1, -1));
    }
    painter.restore();
}
