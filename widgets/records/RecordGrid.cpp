#include "widgets/records/RecordGrid.h"

#include "widgets/Glyphs.h"
#include "widgets/MessageService.h"
#include "widgets/UserCommand.h"
#include "widgets/records/DataSource.h"
#include "widgets/records/EditKeys.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QStyleOptionHeader>
#include <QTimer>
#include <algorithm>
#include <climits>

namespace {
constexpr int IndicatorWidth = 12;
const QColor TitleColour(0x00, 0x00, 0x80);
const QColor LineColour(0xC0, 0xC0, 0xC0);
} // namespace

TRecordGrid::TRecordGrid(TMessageService& messages, QWidget* parent)
    : QAbstractScrollArea(parent)
    , Messages(messages)
    , Titles(new QStandardItemModel(0, 0, this))
    , TitleRow(new QHeaderView(Qt::Horizontal, this))
    , Indicator(new QWidget(this))
    , InplaceEditor(new QLineEdit(viewport())) {
    setFocusPolicy(Qt::StrongFocus);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    verticalScrollBar()->setTracking(false);
    connect(verticalScrollBar(), &QScrollBar::actionTriggered, this, &TRecordGrid::ScrollBarAction);

    TitleRow->setModel(Titles);
    TitleRow->setSectionsMovable(true);
    TitleRow->setSectionsClickable(false);
    TitleRow->setHighlightSections(false);
    TitleRow->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    TitleRow->setSectionResizeMode(QHeaderView::Interactive);
    TitleRow->setStretchLastSection(false);
    TitleRow->setMinimumSectionSize(2);
    TitleRow->setFocusPolicy(Qt::NoFocus);
    // Dragging a title border or a title reads the cursor again for the scroll bar.
    auto relayout = [this] {
        RunUserCommand(Messages, [this] {
            UpdateScrollBars();
            UpdateEditorGeometry();
        });
        viewport()->update();
    };
    connect(TitleRow, &QHeaderView::sectionResized, this, relayout);
    connect(TitleRow, &QHeaderView::sectionMoved, this, relayout);

    Indicator->setBackgroundRole(QPalette::Base);
    Indicator->setAutoFillBackground(true);
    Indicator->installEventFilter(this);
    TitleRow->viewport()->installEventFilter(this);

    InplaceEditor->hide();
    InplaceEditor->setFrame(false);
    InplaceEditor->setContextMenuPolicy(Qt::NoContextMenu);
    InplaceEditor->setAcceptDrops(false);
    InplaceEditor->installEventFilter(this);
}

TRecordGrid::~TRecordGrid() = default;

void TRecordGrid::SetDataSource(TDataSource* source) {
    TDataSource::Bind(Source, source, this, &TRecordGrid::DataSourceNotified,
                      &TRecordGrid::DataSourceChanged);
}

void TRecordGrid::DataSourceChanged() {
    DataSourceNotified(Active() ? TCursorEvent::Opened : TCursorEvent::Closed, -1);
}

void TRecordGrid::SetColumns(const std::vector<TGridColumn>& columns) {
    HideEditor();
    Columns = columns;
    Titles->setColumnCount(ColumnCount());
    for (int column = 0; column < ColumnCount(); ++column) {
        auto* title = new QStandardItem(Columns[column].Title);
        title->setForeground(TitleColour);
        Titles->setHorizontalHeaderItem(column, title);
        TitleRow->resizeSection(column, Columns[column].Width);
    }
    CurrentCol = 0;
    BindColumns();
    UpdateGeometries();
}

bool TRecordGrid::Active() const {
    return DataSource() && DataSource()->Active();
}

TTableCursor& TRecordGrid::Cursor() const {
    return *DataSource()->DataSet();
}

qint64 TRecordGrid::CurrentPos() const {
    return Active() ? std::max<qint64>(1, Cursor().CurrentPosition()) : 1;
}

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

int TRecordGrid::FieldOf(int column) const {
    return column >= 0 && column < static_cast<int>(ColumnFields.size()) ? ColumnFields[column]
                                                                         : -1;
}

void TRecordGrid::BindColumns() {
    ColumnFields.assign(Columns.size(), -1);
    if (!Active())
        return;
    for (std::size_t column = 0; column < Columns.size(); ++column)
        ColumnFields[column] = Cursor().FieldIndex(Columns[column].FieldName);
}

bool TRecordGrid::EditorShown() const {
    return !InplaceEditor->isHidden();
}

QRect TRecordGrid::CellRect(int row, int column) const {
    return {TitleRow->sectionViewportPosition(column), row * RowHeight(),
            TitleRow->sectionSize(column), RowHeight()};
}

QString TRecordGrid::CellText(qint64 position, int column) const {
    const int field = FieldOf(column);
    if (!Active() || field < 0 || position < 1 || position > Cursor().RowCountWithInsert())
        return {};
    // The current row shows the record being edited, not the stored one.
    if (position == Cursor().CurrentPosition())
        return Cursor().FieldText(field);
    return Cursor().RowText(position, field);
}

// ---- Notifications ----

void TRecordGrid::DataSourceNotified(TCursorEvent event, int field) {
    switch (event) {
    case TCursorEvent::Opened:
    case TCursorEvent::Closed:
        CellModified = false;
        HideEditor();
        BindColumns();
        Top = 1;
        ScreenRow = 0;
        SyncWindow();
        break;
    case TCursorEvent::StateChanged:
        break;
    case TCursorEvent::RecordMoved:
    case TCursorEvent::RecordsChanged:
        // Pending cell text was collected before any move or post; what reaches here with it
        // (Cancel, Delete) drops it, as it drops the record's other changes.
        CellModified = false;
        SyncWindow();
        ReloadEditor();
        break;
    case TCursorEvent::FieldChanged:
        if (field == FieldOf(CurrentCol))
            ReloadEditor();
        break;
    case TCursorEvent::CollectPending:
        WriteBack();
        return;
    }
    UpdateScrollBars();
    UpdateEditorGeometry();
    viewport()->update();
    Indicator->update();
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

bool TRecordGrid::eventFilter(QObject* watched, QEvent* event) {
    // The title row and the indicator column are the grid's too: a click there writes the
    // cell back like any click in the grid (the title row still resizes and moves columns).
    if ((watched == Indicator || watched == TitleRow->viewport()) &&
        event->type() == QEvent::MouseButtonPress) {
        setFocus(Qt::MouseFocusReason);
        RunUserCommand(Messages, [this] { ClickOutsideCells(); });
        return false;
    }
    if (watched == Indicator && event->type() == QEvent::Paint) {
        try {
            PaintIndicator();
        } catch (const std::exception& error) {
            ReportReadFault(error);
        }
        return true;
    }
    if (watched == InplaceEditor) {
        if (event->type() == QEvent::KeyPress)
            return RunKeyCommand(
                Messages, [this, event] { return EditorKey(*static_cast<QKeyEvent*>(event)); });
        if (event->type() == QEvent::FocusOut)
            LeaveGrid(static_cast<QFocusEvent*>(event)->reason());
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

// ---- Keyboard ----

bool TRecordGrid::focusNextPrevChild(bool) {
    // Tab moves between columns here (its own key in the key table).
    return false;
}

void TRecordGrid::keyPressEvent(QKeyEvent* event) {
    if (RunKeyCommand(Messages, [this, event] { return GridKey(*event); }))
        event->accept();
    else
        QAbstractScrollArea::keyPressEvent(event);
}

bool TRecordGrid::GridKey(const QKeyEvent& event) {
    if (HandleKey(event))
        return true;
    // A character or Backspace opens the editor and goes into it.
    if (Active() && (KeyTypesCharacter(event) || event.key() == Qt::Key_Backspace)) {
        if (!EditorShown())
            ShowEditor(true);
        QKeyEvent copy(event.type(), event.key(), event.modifiers(), event.text());
        QCoreApplication::sendEvent(InplaceEditor, &copy);
        return true;
    }
    return false;
}

// Keys the editor leaves to the grid; the others edit its text, after asking the grid.
bool TRecordGrid::EditorKey(QKeyEvent& event) {
    const int key = event.key();
    const bool control = event.modifiers() & Qt::ControlModifier;
    const bool caretKey =
        key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Home || key == Qt::Key_End;
    const bool toGrid = (caretKey && control) || (key == Qt::Key_Delete && control) ||
                        (key == Qt::Key_Insert && event.modifiers() == Qt::NoModifier) ||
                        (!caretKey && key != Qt::Key_Delete && key != Qt::Key_Insert);
    if (toGrid && HandleKey(event))
        return true;
    if (KeyChangesText(event)) {
        if (!CanEditModify())
            return true;
        if (FieldRefusesKey(Cursor(), FieldOf(CurrentCol), event)) {
            QApplication::beep();
            return true;
        }
    }
    return false;
}

// The grid's keys. A row applies when the modifiers under its mask are exactly the ones it
// holds (the keypad's aside); the first row that applies acts, and a key with none is not
// the grid's.
bool TRecordGrid::HandleKey(const QKeyEvent& event) {
    struct TKey {
        int Key = 0;
        Qt::KeyboardModifiers Mask;
        Qt::KeyboardModifiers Held;
        void (TRecordGrid::*Action)() = nullptr;
    };
    constexpr Qt::KeyboardModifiers Ctrl = Qt::ControlModifier;
    constexpr Qt::KeyboardModifiers Shift = Qt::ShiftModifier;
    constexpr Qt::KeyboardModifiers Alt = Qt::AltModifier;
    constexpr Qt::KeyboardModifiers Any = Qt::NoModifier;
    constexpr Qt::KeyboardModifiers All =
        Ctrl | Shift | Alt | Qt::MetaModifier | Qt::GroupSwitchModifier;
    static const TKey keys[] = {
        {Qt::Key_Up, Ctrl, Any, &TRecordGrid::KeyUp},
        {Qt::Key_Up, Ctrl, Ctrl, &TRecordGrid::TopShownRow},
        {Qt::Key_Down, Ctrl, Any, &TRecordGrid::KeyDown},
        {Qt::Key_Down, Ctrl, Ctrl, &TRecordGrid::BottomShownRow},
        {Qt::Key_PageUp, Ctrl, Any, &TRecordGrid::PageUp},
        {Qt::Key_PageUp, Ctrl, Ctrl, &TRecordGrid::TopShownRow},
        {Qt::Key_PageDown, Ctrl, Any, &TRecordGrid::PageDown},
        {Qt::Key_PageDown, Ctrl, Ctrl, &TRecordGrid::BottomShownRow},
        {Qt::Key_Left, Ctrl, Any, &TRecordGrid::PreviousColumn},
        {Qt::Key_Left, Ctrl, Ctrl, &TRecordGrid::FirstColumn},
        {Qt::Key_Right, Ctrl, Any, &TRecordGrid::NextColumn},
        {Qt::Key_Right, Ctrl, Ctrl, &TRecordGrid::LastColumn},
        {Qt::Key_Home, Ctrl, Any, &TRecordGrid::FirstColumn},
        {Qt::Key_Home, Ctrl, Ctrl, &TRecordGrid::FirstRecord},
        {Qt::Key_End, Ctrl, Any, &TRecordGrid::LastColumn},
        {Qt::Key_End, Ctrl, Ctrl, &TRecordGrid::LastRecord},
        {Qt::Key_Tab, Alt | Shift, Any, &TRecordGrid::NextColumnOrRow},
        {Qt::Key_Tab, Alt | Shift, Shift, &TRecordGrid::PreviousColumnOrRow},
        {Qt::Key_Backtab, Alt, Any, &TRecordGrid::PreviousColumnOrRow},
        {Qt::Key_Insert, All, Any, &TRecordGrid::InsertRecord},
        {Qt::Key_Delete, Ctrl, Ctrl, &TRecordGrid::DeleteRecord},
        {Qt::Key_Escape, Any, Any, &TRecordGrid::Escape},
        {Qt::Key_F2, Any, Any, &TRecordGrid::EditAtEnd},
        {Qt::Key_Return, Any, Any, &TRecordGrid::EnterKey},
        {Qt::Key_Enter, Any, Any, &TRecordGrid::EnterKey},
    };
    if (!Active())
        return false;
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    const auto applies = [&](const TKey& key) {
        return key.Key == event.key() && (modifiers & key.Mask) == key.Held;
    };
    const auto* const found = std::ranges::find_if(keys, applies);
    if (found == std::end(keys))
        return false;
    (this->*found->Action)();
    return true;
}

void TRecordGrid::TopShownRow() {
    MoveBy(Top - CurrentPos());
}

void TRecordGrid::BottomShownRow() {
    MoveBy(Top + ShownRows() - 1 - CurrentPos());
}

void TRecordGrid::PageUp() {
    MoveBy(-VisibleRowCount());
}

void TRecordGrid::PageDown() {
    MoveBy(VisibleRowCount());
}

void TRecordGrid::FirstRecord() {
    Cursor().First();
}

void TRecordGrid::LastRecord() {
    Cursor().Last();
}

void TRecordGrid::PreviousColumn() {
    StepColumn(-1);
}

void TRecordGrid::NextColumn() {
    StepColumn(1);
}

void TRecordGrid::FirstColumn() {
    MoveToColumn(TitleRow->logicalIndex(0));
}

void TRecordGrid::LastColumn() {
    MoveToColumn(TitleRow->logicalIndex(TitleRow->count() - 1));
}

// Past the last column Tab goes on to the next row, Shift+Tab back to the previous one.
void TRecordGrid::NextColumnOrRow() {
    StepColumn(2);
}

void TRecordGrid::PreviousColumnOrRow() {
    StepColumn(-2);
}

void TRecordGrid::InsertRecord() {
    if (CanEditGrid())
        Cursor().Insert();
}

void TRecordGrid::EditAtEnd() {
    ShowEditor(false);
}

void TRecordGrid::EnterKey() {
    WriteBack();
    EditorShown() ? HideEditor() : ShowEditor(true);
}

void TRecordGrid::KeyUp() {
    TTableCursor& cursor = Cursor();
    if (cursor.State() == TCursorState::Insert && !cursor.Modified() && !CellModified &&
        cursor.Eof())
        cursor.Cancel();
    else
        cursor.MoveBy(-1);
}

void TRecordGrid::KeyDown() {
    TTableCursor& cursor = Cursor();
    if (cursor.State() == TCursorState::Insert && !cursor.Modified() && !CellModified) {
        if (cursor.Eof())
            return;
        cursor.Cancel();
    } else {
        cursor.MoveBy(1);
    }
    if (cursor.Eof() && CanEditGrid())
        cursor.Append();
}

void TRecordGrid::MoveBy(qint64 distance) {
    if (distance != 0)
        Cursor().MoveBy(distance);
}

// Steps of +-1 stop at the ends; +-2 (Tab) wrap to the next or previous row.
void TRecordGrid::StepColumn(int step) {
    const int visual = TitleRow->visualIndex(CurrentCol);
    const int last = TitleRow->count() - 1;
    const int target = visual + (step > 0 ? 1 : -1);
    if (target >= 0 && target <= last) {
        MoveToColumn(TitleRow->logicalIndex(target));
    } else if (step == 2) {
        KeyDown();
        MoveToColumn(TitleRow->logicalIndex(0));
    } else if (step == -2) {
        KeyUp();
        MoveToColumn(TitleRow->logicalIndex(last));
    }
}

void TRecordGrid::MoveToColumn(int column) {
    if (column < 0)
        return;
    if (column != CurrentCol) {
        WriteBack();
        HideEditor();
        CurrentCol = column;
    }
    ScrollToColumn(column);
    viewport()->update();
}

// The row deleted is the one on screen when the key was pressed, whatever is read while
// the question is up.
void TRecordGrid::DeleteRecord() {
    TTableCursor& cursor = Cursor();
    const TShownRow shown = cursor.ShownRow();
    if (ReadOnly || shown.Empty() || !cursor.CanModify())
        return;
    if (!ConfirmDelete || Messages.ConfirmDelete())
        cursor.Delete(shown);
}

void TRecordGrid::Escape() {
    if (CellModified) {
        CellModified = false;
        ReloadEditor();
    } else if (DataSource()->Editing()) {
        Cursor().Cancel();
    }
    HideEditor();
}

// ---- The in-place editor ----

bool TRecordGrid::CanEditGrid() const {
    return !ReadOnly && Active() && Cursor().CanModify();
}

// Asked before every keystroke that would change the cell: starts the edit and marks the cell.
bool TRecordGrid::CanEditModify() {
    if (!CanEditGrid() || FieldOf(CurrentCol) < 0)
        return false;
    if (!DataSource()->Edit())
        return false;
    CellModified = true;
    return true;
}

void TRecordGrid::ShowEditor(bool selectAll) {
    if (!Active() || ColumnCount() == 0)
        return;
    ScrollToColumn(CurrentCol);
    if (!EditorShown()) {
        const int field = FieldOf(CurrentCol);
        const int size = field >= 0 ? Cursor().FieldSize(field) : 0;
        InplaceEditor->setMaxLength(size > 0 ? size : UnlimitedLength);
        InplaceEditor->setText(CellText(CurrentPos(), CurrentCol));
        InplaceEditor->show();
        UpdateEditorGeometry();
    }
    InplaceEditor->setFocus(Qt::OtherFocusReason);
    if (selectAll)
        InplaceEditor->selectAll();
    else
        InplaceEditor->end(false);
    viewport()->update();
}

void TRecordGrid::HideEditor() {
    if (!EditorShown())
        return;
    if (InplaceEditor->hasFocus())
        setFocus(Qt::OtherFocusReason);
    InplaceEditor->hide();
    viewport()->update();
}

void TRecordGrid::ReloadEditor() {
    if (!EditorShown() || CellModified)
        return;
    const QString value = CellText(CurrentPos(), CurrentCol);
    // Equal text is left alone so the caret and selection stay where the user put them.
    if (value != InplaceEditor->text()) {
        InplaceEditor->setText(value);
        InplaceEditor->selectAll();
    }
}

// The cell's text goes into the field; posting is left to the cursor's moves and Post.
void TRecordGrid::WriteBack() {
    const int field = FieldOf(CurrentCol);
    if (!CellModified || field < 0 || !Active())
        return;
    Cursor().SetFieldText(field, InplaceEditor->text());
    CellModified = false;
    ReloadEditor();
}

void TRecordGrid::LeaveGrid(Qt::FocusReason reason) {
    if (reason == Qt::ActiveWindowFocusReason || reason == Qt::PopupFocusReason || !Active())
        return;
    const QWidget* next = QApplication::focusWidget();
    if (next == this || next == InplaceEditor)
        return;
    RunUserCommand(
        Messages,
        [this] {
            TTableCursor& cursor = Cursor();
            if (cursor.State() == TCursorState::Insert && !cursor.Modified() && !CellModified)
                cursor.Cancel();
            else
                WriteBack();
        },
        [this] { setFocus(Qt::OtherFocusReason); });
    viewport()->update();
}

void TRecordGrid::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void TRecordGrid::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    LeaveGrid(event->reason());
}

// ---- Mouse ----

void TRecordGrid::mousePressEvent(QMouseEvent* event) {
    setFocus(Qt::MouseFocusReason);
    RunUserCommand(Messages, [this, event] { ClickCell(*event); });
}

void TRecordGrid::ClickCell(const QMouseEvent& event) {
    if (!Active())
        return;
    const QPoint point = event.position().toPoint();
    const int row = point.y() / RowHeight();
    const qint64 position = Top + row;
    const int column = TitleRow->logicalIndexAt(point.x());
    if (row >= VisibleRowCount() || column < 0 ||
        position > std::max<qint64>(1, Cursor().RowCountWithInsert())) {
        ClickOutsideCells();
        return;
    }
    const bool wasCurrent = position == CurrentPos() && column == CurrentCol;
    if (wasCurrent && event.button() == Qt::LeftButton && !EditorShown()) {
        ShowEditor(false);
        const QPoint inEditor = InplaceEditor->mapFrom(viewport(), point);
        InplaceEditor->setCursorPosition(InplaceEditor->cursorPositionAt(inEditor));
        return;
    }
    WriteBack();
    HideEditor();
    MoveBy(position - CurrentPos());
    MoveToColumn(column);
}

// A notch (120 eighths of a degree) or a row's height of touchpad pixels is one row; fine
// wheels and touchpads send parts of that, which add up until they make whole rows.
void TRecordGrid::ClickOutsideCells() {
    if (!Active())
        return;
    WriteBack();
    HideEditor();
}

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
