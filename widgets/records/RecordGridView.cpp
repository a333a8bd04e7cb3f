#include "widgets/records/RecordGrid.h"

#include "widgets/Glyphs.h"
#include "widgets/MessageService.h"
#include "widgets/UserCommand.h"

#include <QHeaderView>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionHeader>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <climits>

// The grid's view: the window of shown rows, its geometry and scroll bars, painting, and the
// wheel; RecordGrid.cpp has the notifications, keys, editing and clicks.

namespace {
constexpr int IndicatorWidth = 12;
const QColor LineColour(0xC0, 0xC0, 0xC0);
} // namespace

// ---- Rows and cells on screen ----

int TRecordGrid::RowHeight() const {
    return fontMetrics().height() + 3;
}

int TRecordGrid::VisibleRowCount() const {
    return std::max(1, viewport()->height() / RowHeight());
}

// Rows on screen: the window of records, or one empty row for a closed or empty table.
int TRecordGrid::ShownRows() const {
    const qint64 total = Active() ? Cursor().RowCountWithInsert() : 0;
    return static_cast<int>(std::clamp<qint64>(total - Top + 1, 1, VisibleRowCount()));
}

QRect TRecordGrid::CellRect(int row, int column) const {
    return {TitleRow->sectionViewportPosition(column), row * RowHeight(),
            TitleRow->sectionSize(column), RowHeight()};
}

// Keeps the current row inside the window of shown rows, at the screen row it had when that
// is possible, and the window filled when the table allows.
void TRecordGrid::SyncWindow() {
    if (!Active()) {
        Top = 1;
        ScreenRow = 0;
        return;
    }
    const qint64 rows = VisibleRowCount();
    const qint64 current = CurrentPos();
    if (current < Top || current >= Top + rows)
        Top = current - ScreenRow;
    Top = std::clamp<qint64>(Top, 1, std::max<qint64>(1, Cursor().RowCountWithInsert() - rows + 1));
    Top = std::clamp<qint64>(Top, current - rows + 1, current);
    ScreenRow = static_cast<int>(current - Top);
}

// ---- Scroll bars and geometry ----

void TRecordGrid::UpdateScrollBars() {
    const int rows = VisibleRowCount();
    QScrollBar* vertical = verticalScrollBar();
    if (Active()) {
        // The thumb is the record number; the range leaves a page after the last record.
        const qint64 count = Cursor().RecordCount();
        vertical->setRange(1, static_cast<int>(std::clamp<qint64>(count, 1, INT_MAX)));
        vertical->setPageStep(rows);
        if (Cursor().State() != TCursorState::Insert)
            vertical->setValue(static_cast<int>(std::min<qint64>(Cursor().RecNo(), INT_MAX)));
    } else {
        vertical->setRange(0, 0);
    }
    QScrollBar* horizontal = horizontalScrollBar();
    const int overflow = TitleRow->length() - viewport()->width();
    horizontal->setRange(0, overflow > 0 ? WholeColumnOffset(overflow) : 0);
    horizontal->setPageStep(viewport()->width());
    horizontal->setSingleStep(20);
}

void TRecordGrid::UpdateGeometries() {
    const int titleHeight = TitleRow->sizeHint().height();
    setViewportMargins(IndicatorWidth, titleHeight, 0, 0);
    const QRect area = viewport()->geometry();
    TitleRow->setGeometry(area.left(), area.top() - titleHeight, area.width(), titleHeight);
    Indicator->setGeometry(area.left() - IndicatorWidth, area.top() - titleHeight, IndicatorWidth,
                           area.height() + titleHeight);
    SyncWindow();
    UpdateScrollBars();
    UpdateEditorGeometry();
}

void TRecordGrid::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    RunUserCommand(Messages, [this] { UpdateGeometries(); });
}

void TRecordGrid::scrollContentsBy(int, int) {
    TitleRow->setOffset(horizontalScrollBar()->value());
    UpdateEditorGeometry();
    viewport()->update();
}

void TRecordGrid::UpdateEditorGeometry() {
    if (!EditorShown())
        return;
    InplaceEditor->setGeometry(
        CellRect(static_cast<int>(CurrentPos() - Top), CurrentCol).adjusted(1, 1, -1, -1));
}

void TRecordGrid::ScrollToColumn(int column) {
    const int left = TitleRow->sectionPosition(column);
    const int right = left + TitleRow->sectionSize(column);
    QScrollBar* horizontal = horizontalScrollBar();
    if (left < horizontal->value())
        horizontal->setValue(left);
    if (right > horizontal->value() + viewport()->width())
        horizontal->setValue(std::min(left, WholeColumnOffset(right - viewport()->width())));
}

// The first column start at or after `offset`: a scrolled grid starts with a whole column.
int TRecordGrid::WholeColumnOffset(int offset) const {
    for (int visual = 0; visual < TitleRow->count(); ++visual) {
        const int start = TitleRow->sectionPosition(TitleRow->logicalIndex(visual));
        if (start >= offset)
            return start;
    }
    return offset;
}

void TRecordGrid::ScrollBarAction(int action) {
    RunUserCommand(Messages, [this, action] { ScrollBy(action); });
}

void TRecordGrid::ScrollBy(int action) {
    QScrollBar* vertical = verticalScrollBar();
    if (!Active())
        return;
    const qint64 current = CurrentPos();
    const qint64 shown = ShownRows();
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        MoveBy(Top - 1 - current);
        break;
    case QAbstractSlider::SliderSingleStepAdd:
        MoveBy(Top + shown - current);
        break;
    case QAbstractSlider::SliderPageStepSub:
        MoveBy(-VisibleRowCount());
        break;
    case QAbstractSlider::SliderPageStepAdd:
        MoveBy(VisibleRowCount());
        break;
    case QAbstractSlider::SliderToMinimum:
        Cursor().First();
        break;
    case QAbstractSlider::SliderToMaximum:
        Cursor().Last();
        break;
    case QAbstractSlider::SliderMove: {
        // Dragging only moves the thumb; dropping it goes to that record.
        if (vertical->isSliderDown())
            return;
        const qint64 position = vertical->sliderPosition();
        if (position <= 1)
            Cursor().First();
        else if (position < Cursor().RecordCount())
            Cursor().SetRecNo(position);
        else
            Cursor().Last();
        break;
    }
    default:
        return;
    }
    // The thumb shows where the cursor went, whatever the bar computed.
    if (Active() && Cursor().State() != TCursorState::Insert)
        vertical->setSliderPosition(static_cast<int>(std::min<qint64>(Cursor().RecNo(), INT_MAX)));
}

// ---- Painting ----

// A row that cannot be read (a failing disc, a damaged file) must not escape a paint: the
// error box would be painted over, closed, and the paint fail again without end.
void TRecordGrid::paintEvent(QPaintEvent*) {
    try {
        PaintRows();
        ReadFaultReported = false;
    } catch (const std::exception& error) {
        ReportReadFault(error);
    }
}

void TRecordGrid::ReportReadFault(const std::exception& error) {
    if (ReadFaultReported)
        return;
    ReadFaultReported = true;
    // Shown once the paint is over: a modal box must not run inside a paint event.
    QTimer::singleShot(0, this,
                       [this, text = TMessageService::TextOf(error)] { Messages.ShowError(text); });
}

void TRecordGrid::PaintRows() {
    QPainter painter(viewport());
    const bool active = Active();
    const int rows = ShownRows();
    const qint64 current = CurrentPos();
    const bool focused = hasFocus() || InplaceEditor->hasFocus();
    for (int row = 0; row < rows; ++row) {
        const qint64 position = Top + row;
        for (int visual = 0; visual < TitleRow->count(); ++visual) {
            const int column = TitleRow->logicalIndex(visual);
            const QRect cell = CellRect(row, column);
            if (cell.right() < 0 || cell.left() > viewport()->width())
                continue;
            const bool selected =
                focused && active && position == current && column == CurrentCol && !EditorShown();
            if (selected)
                painter.fillRect(cell.adjusted(0, 0, -1, -1), palette().highlight());
            painter.setPen(selected ? palette().highlightedText().color()
                                    : palette().text().color());
            painter.drawText(cell.adjusted(2, 0, -3, -1), Qt::AlignLeft | Qt::AlignVCenter,
                             CellText(position, column));
            painter.setPen(LineColour);
            painter.drawLine(cell.topRight(), cell.bottomRight());
            painter.drawLine(cell.bottomLeft(), cell.bottomRight());
        }
    }
}

void TRecordGrid::PaintIndicator() {
    QPainter painter(Indicator);
    const int titleHeight = viewport()->geometry().top() - Indicator->geometry().top();
    QStyleOptionHeader corner;
    corner.initFrom(Indicator);
    corner.rect = QRect(0, 0, IndicatorWidth, titleHeight);
    style()->drawControl(QStyle::CE_HeaderSection, &corner, &painter, Indicator);
    const int rowHeight = RowHeight();
    const int rows = ShownRows();
    painter.fillRect(0, titleHeight, IndicatorWidth, rows * rowHeight, palette().button());
    painter.setPen(palette().mid().color());
    for (int row = 0; row < rows; ++row) {
        const int bottom = titleHeight + (row + 1) * rowHeight - 1;
        painter.drawLine(0, bottom, IndicatorWidth - 1, bottom);
    }
    painter.drawLine(IndicatorWidth - 1, titleHeight, IndicatorWidth - 1,
                     titleHeight + rows * rowHeight - 1);
    if (!Active())
        return;
    static const QPixmap Arrow = Glyph(QStringLiteral("dbgarrow"));
    static const QPixmap EditMark = Glyph(QStringLiteral("dbedit"));
    static const QPixmap InsertMark = Glyph(QStringLiteral("dbinsert"));
    const TCursorState state = Cursor().State();
    const QPixmap& mark = state == TCursorState::Edit     ? EditMark
                          : state == TCursorState::Insert ? InsertMark
                                                          : Arrow;
    const int top = titleHeight + static_cast<int>(CurrentPos() - Top) * rowHeight;
    painter.drawPixmap((IndicatorWidth - 1 - mark.width()) / 2,
                       top + (rowHeight - 1 - mark.height()) / 2, mark);
}

// ---- Wheel ----

// A notch (120 eighths of a degree) or a row's height of touchpad pixels is one row; fine
// wheels and touchpads send parts of that, which add up until they make whole rows.
void TRecordGrid::wheelEvent(QWheelEvent* event) {
    event->accept();
    const int angle = event->angleDelta().y();
    const int rows = angle != 0 ? WheelAngle.Add(angle, 120)
                                : WheelPixels.Add(event->pixelDelta().y(), RowHeight());
    if (rows != 0)
        RunUserCommand(Messages, [this, rows] {
            if (Active())
                Cursor().MoveBy(-rows);
        });
}

int TRecordGrid::TWheelRest::Add(int delta, int perRow) {
    // Turning back drops what the other way left over.
    if ((delta > 0 && Rest < 0) || (delta < 0 && Rest > 0))
        Rest = 0;
    Rest += delta;
    const int rows = Rest / perRow;
    Rest -= rows * perRow;
    return rows;
}
