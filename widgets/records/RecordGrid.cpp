#include "widgets/records/RecordGrid.h"

#include "widgets/MessageService.h"
#include "widgets/UserCommand.h"
#include "widgets/records/DataSource.h"
#include "widgets/records/EditKeys.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QStandardItemModel>
#include <algorithm>

// Construction, the data source's notifications, the keys, the in-place editor and clicks;
// RecordGridView.cpp draws the rows and keeps the scroll bars and geometry.

namespace {
const QColor TitleColour(0x00, 0x00, 0x80);
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

// ---- The title row, the indicator column and the editor ----

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

void TRecordGrid::ClickOutsideCells() {
    if (!Active())
        return;
    WriteBack();
    HideEditor();
}
