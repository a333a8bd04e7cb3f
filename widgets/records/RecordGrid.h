#pragma once
// A grid of records with one column per field and an in-place editor. It reads only the rows
// it shows through the cursor, so a table of any size costs what a screenful does.

#include "widgets/records/DataSource.h"

#include <QAbstractScrollArea>
#include <vector>

class QHeaderView;
class QLineEdit;
class QStandardItemModel;
class TMessageService;

struct TGridColumn {
    QString FieldName;
    QString Title;
    int Width = 64;
};

class TRecordGrid : public QAbstractScrollArea {
    Q_OBJECT
public:
    TRecordGrid(TMessageService& messages, QWidget* parent = nullptr);
    ~TRecordGrid() override;
    Q_DISABLE_COPY_MOVE(TRecordGrid)

    TDataSource* DataSource() const { return Source; }
    void SetDataSource(TDataSource* source);
    void SetColumns(const std::vector<TGridColumn>& columns);
    bool ReadOnly = false;
    bool ConfirmDelete = true;

    int ColumnCount() const { return static_cast<int>(Columns.size()); }
    QHeaderView* Header() const { return TitleRow; }
    QLineEdit* Editor() const { return InplaceEditor; }
    bool EditorShown() const;
    // The current column, as its index in the column list (not its place on screen).
    int CurrentColumn() const { return CurrentCol; }
    // Display position (1-based) of the top row, and how many whole rows fit.
    qint64 TopPosition() const { return Top; }
    int VisibleRowCount() const;
    // Where a shown row (0 = top) and column are drawn, in viewport coordinates.
    QRect CellRect(int row, int column) const;
    // Text a cell shows (for the row at display position `position`).
    QString CellText(qint64 position, int column) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void DataSourceNotified(TCursorEvent event, int field);
    void DataSourceChanged();

    bool Active() const;
    TTableCursor& Cursor() const;
    qint64 CurrentPos() const;
    int RowHeight() const;
    int ShownRows() const;
    int FieldOf(int column) const;
    void BindColumns();

    bool GridKey(const QKeyEvent& event);
    bool HandleKey(const QKeyEvent& event);
    bool EditorKey(QKeyEvent& event);
    // The actions of the key table.
    void KeyUp();
    void KeyDown();
    void TopShownRow();
    void BottomShownRow();
    void PageUp();
    void PageDown();
    void FirstRecord();
    void LastRecord();
    void PreviousColumn();
    void NextColumn();
    void FirstColumn();
    void LastColumn();
    void NextColumnOrRow();
    void PreviousColumnOrRow();
    void InsertRecord();
    void EditAtEnd();
    void EnterKey();
    void MoveBy(qint64 distance);
    void MoveToColumn(int column);
    void StepColumn(int visualStep);
    void DeleteRecord();
    void Escape();

    bool CanEditGrid() const;
    bool CanEditModify();
    void ShowEditor(bool selectAll);
    void HideEditor();
    void ReloadEditor();
    void WriteBack();
    void LeaveGrid(Qt::FocusReason reason);
    void ClickCell(const QMouseEvent& event);
    void ClickOutsideCells();

    // The view (RecordGridView.cpp): the window of shown rows, geometry, scroll bars, painting.
    void SyncWindow();
    void UpdateScrollBars();
    void UpdateGeometries();
    void UpdateEditorGeometry();
    void ScrollToColumn(int column);
    int WholeColumnOffset(int offset) const;
    void ScrollBarAction(int action);
    void ScrollBy(int action);
    void PaintRows();
    void PaintIndicator();
    void ReportReadFault(const std::exception& error);

    TMessageService& Messages;
    QPointer<TDataSource> Source;
    std::vector<TGridColumn> Columns;
    std::vector<int> ColumnFields; // field index per column, -1 when the table lacks it
    QStandardItemModel* Titles;
    QHeaderView* TitleRow;
    QWidget* Indicator;
    QLineEdit* InplaceEditor;
    qint64 Top = 1;
    int ScreenRow = 0; // row of the current record within the window at the last sync
    int CurrentCol = 0;
    bool CellModified = false;
    bool ReadFaultReported = false; // one box per failing spell, not one per repaint
    // What the wheel or touchpad sent that does not yet make a whole row.
    struct TWheelRest {
        int Add(int delta, int perRow); // returns the whole rows now made
        int Rest = 0;
    };
    TWheelRest WheelAngle;
    TWheelRest WheelPixels;
};
