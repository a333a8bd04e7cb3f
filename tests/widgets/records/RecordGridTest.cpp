// The record grid driven by keys and clicks: the key table, the in-place editor, the new row
// at the end, leaving the grid, the scroll bar and the delete confirmation.

#include "widgets/records/RecordGrid.h"
#include "WidgetFixture.h"
#include "widgets/records/DataSource.h"

#include <QFile>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>
#include <memory>

namespace {
constexpr int Rows = 100;
constexpr int Label = 0;
constexpr int Coments = 3;
} // namespace

class RecordGridTest : public QObject, TWidgetFixture {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void columnsShowTitlesAndWidths();
    void keysMoveAsTheKeyTableSays_data();
    void keysMoveAsTheKeyTableSays();
    void newRowAtTheLastRowThenDownKeepsItAndUpRemovesIt_data();
    void newRowAtTheLastRowThenDownKeepsItAndUpRemovesIt();
    void leavingTheGridRemovesAnUntouchedNewRow();
    void leavingTheGridWritesTheCellBackWithoutPosting();
    void typingIntoTheNewRowThenUpPostsIt();
    void tabWritesTheCellButKeepsTheRecordInEdit();
    void escapeTwiceRestoresTheCellThenCancelsTheRecord();
    void cancelFromElsewhereDropsTheCellText();
    void typingPastTheDeclaredSizeIsImpossible();
    void editorOpensAsTheKeySays_data();
    void editorOpensAsTheKeySays();
    void movingARowPostsThePendingEdit();
    void clickMovesToTheCellAndASecondClickEdits();
    void aClickAnywhereInTheGridWritesTheCellBack_data();
    void aClickAnywhereInTheGridWritesTheCellBack();
    void wheelStepsAddUpToWholeRows_data();
    void wheelStepsAddUpToWholeRows();
    void ctrlDeleteAsksFirst_data();
    void ctrlDeleteAsksFirst();
    void ctrlDeleteRemovesOnlyTheRowConfirmed();
    void scrollBarFollowsTheRecordNumber();
    void scrollBarActionsMove_data();
    void scrollBarActionsMove();
    void droppingTheThumbGoesToThatRecord_data();
    void droppingTheThumbGoesToThatRecord();
    void emptyTableShowsOneRowAndTypingInserts();
    void movedColumnsKeepTheirFields();
    void draggingTitlesResizesAndMovesColumns();
    void insertKeyStartsANewRowAtTheCurrentOne();
    void columnWithoutAFieldShowsNothingAndCannotBeEdited();
    void rowsThatCannotBeReadShowOneErrorBox();

private:
    std::unique_ptr<QWidget> Window;
    TRecordGrid* Grid = nullptr;
    QLineEdit* Other = nullptr;

    void Open(int rows);
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    void Type(const QString& text);
    QWidget* Focused() const;
};

void RecordGridTest::init() {
    ResetFixture();
}

void RecordGridTest::cleanup() {
    Window.reset();
    EndFixture();
}

void RecordGridTest::Open(int rows) {
    MakeCatalog(rows);
    Window = std::make_unique<QWidget>();
    Window->resize(700, 400);
    auto* layout = new QVBoxLayout(Window.get());
    Grid = new TRecordGrid(Messages);
    Grid->SetColumns({{QStringLiteral("Label"), QStringLiteral("CD Label"), 70},
                      {QStringLiteral("Directory"), QStringLiteral("Directory on CD"), 262},
                      {QStringLiteral("File"), QStringLiteral("File on Directory"), 258},
                      {QStringLiteral("Coments"), QStringLiteral("Coments of File"), 410}});
    Grid->SetDataSource(Source);
    Other = new QLineEdit;
    layout->addWidget(Grid);
    layout->addWidget(Other);
    Window->show();
    QVERIFY(QTest::qWaitForWindowExposed(Window.get()));
    Cursor->Open();
    Grid->setFocus();
    RecordEvents();
}

QWidget* RecordGridTest::Focused() const {
    return QApplication::focusWidget();
}

void RecordGridTest::Key(int key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(Focused(), static_cast<Qt::Key>(key), modifiers);
}

// Each character goes to whichever widget has the focus then, as a keyboard's would.
void RecordGridTest::Type(const QString& text) {
    for (const QChar character : text)
        QTest::keyClick(Focused(), character.toLatin1());
}

void RecordGridTest::columnsShowTitlesAndWidths() {
    Open(3);
    const QStringList titles = {"CD Label", "Directory on CD", "File on Directory",
                                "Coments of File"};
    const int widths[] = {70, 262, 258, 410};
    QHeaderView* header = Grid->Header();
    QCOMPARE(header->count(), 4);
    for (int column = 0; column < 4; ++column) {
        QCOMPARE(header->model()->headerData(column, Qt::Horizontal).toString(), titles[column]);
        QCOMPARE(header->sectionSize(column), widths[column]);
    }
    QVERIFY(header->sectionsMovable());
    QCOMPARE(header->sectionResizeMode(0), QHeaderView::Interactive);
    QCOMPARE(Grid->CellText(2, 2), QStringLiteral("file2.txt"));
}

void RecordGridTest::keysMoveAsTheKeyTableSays_data() {
    // Starting on record 50 at the top row; the expected record is base + pages x visible rows.
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<int>("base");
    QTest::addColumn<int>("pages");
    QTest::addColumn<int>("column");
    const int none = Qt::NoModifier;
    const int control = Qt::ControlModifier;
    QTest::newRow("Up") << int(Qt::Key_Up) << none << 49 << 0 << 0;
    QTest::newRow("Down") << int(Qt::Key_Down) << none << 51 << 0 << 0;
    QTest::newRow("Page Down") << int(Qt::Key_PageDown) << none << 50 << 1 << 0;
    QTest::newRow("Page Up") << int(Qt::Key_PageUp) << none << 50 << -1 << 0;
    QTest::newRow("Ctrl+Home") << int(Qt::Key_Home) << control << 1 << 0 << 0;
    QTest::newRow("Ctrl+End") << int(Qt::Key_End) << control << Rows << 0 << 0;
    QTest::newRow("Ctrl+Down") << int(Qt::Key_Down) << control << 49 << 1 << 0;
    QTest::newRow("Ctrl+Page Down") << int(Qt::Key_PageDown) << control << 49 << 1 << 0;
    QTest::newRow("Ctrl+Up") << int(Qt::Key_Up) << control << 50 << 0 << 0;
    QTest::newRow("Right") << int(Qt::Key_Right) << none << 50 << 0 << 1;
    QTest::newRow("Left at the first column") << int(Qt::Key_Left) << none << 50 << 0 << 0;
    QTest::newRow("End") << int(Qt::Key_End) << none << 50 << 0 << 3;
    QTest::newRow("Ctrl+Right") << int(Qt::Key_Right) << control << 50 << 0 << 3;
    QTest::newRow("Tab") << int(Qt::Key_Tab) << none << 50 << 0 << 1;
    QTest::newRow("Shift+Tab at the first column, previous row's last")
        << int(Qt::Key_Backtab) << int(Qt::ShiftModifier) << 49 << 0 << 3;
}

void RecordGridTest::keysMoveAsTheKeyTableSays() {
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(int, base);
    QFETCH(int, pages);
    QFETCH(int, column);
    Open(Rows);
    Cursor->SetRecNo(50);
    QCOMPARE(Grid->TopPosition(), 50);
    Key(key, Qt::KeyboardModifiers(modifiers));
    QCOMPARE(Cursor->RecNo(), base + pages * Grid->VisibleRowCount());
    QCOMPARE(Grid->CurrentColumn(), column);
    QCOMPARE(Cursor->State(), TCursorState::Browse);
}

// Down appends after the last row; Insert puts the new row before it, keeping its end flag.
void RecordGridTest::newRowAtTheLastRowThenDownKeepsItAndUpRemovesIt_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("position");
    QTest::newRow("Down appends") << int(Qt::Key_Down) << 6;
    QTest::newRow("Insert") << int(Qt::Key_Insert) << 5;
}

void RecordGridTest::newRowAtTheLastRowThenDownKeepsItAndUpRemovesIt() {
    QFETCH(int, key);
    QFETCH(int, position);
    Open(5);
    Key(Qt::Key_End, Qt::ControlModifier);
    Key(key);
    QCOMPARE(Cursor->State(), TCursorState::Insert);
    QCOMPARE(Cursor->CurrentPosition(), position);
    QCOMPARE(Cursor->RowCountWithInsert(), 6);
    Key(Qt::Key_Down); // again: nothing
    QCOMPARE(Cursor->State(), TCursorState::Insert);
    QCOMPARE(Cursor->RowCountWithInsert(), 6);
    Key(Qt::Key_Up);
    QCOMPARE(Cursor->State(), TCursorState::Browse);
    QCOMPARE(Cursor->RecordCount(), 5);
    QCOMPARE(Cursor->RecNo(), 5);
}

void RecordGridTest::leavingTheGridRemovesAnUntouchedNewRow() {
    Open(5);
    Key(Qt::Key_End, Qt::ControlModifier);
    Key(Qt::Key_Down);
    QCOMPARE(Cursor->State(), TCursorState::Insert);
    Other->setFocus();
    QCOMPARE(Cursor->State(), TCursorState::Browse);
    QCOMPARE(Cursor->RecordCount(), 5);
}

void RecordGridTest::leavingTheGridWritesTheCellBackWithoutPosting() {
    Open(5);
    Key(Qt::Key_End);
    Type(QStringLiteral("left"));
    Events.clear();
    Other->setFocus();
    QCOMPARE(Events, QList<int>{Coments});
    QCOMPARE(Cursor->State(), TCursorState::Edit);
    QCOMPARE(Cursor->FieldText(Coments), QStringLiteral("left"));
    QCOMPARE(Cursor->RowText(1, Coments), QStringLiteral("left"));
}

void RecordGridTest::typingIntoTheNewRowThenUpPostsIt() {
    Open(5);
    Key(Qt::Key_End, Qt::ControlModifier);
    Key(Qt::Key_Down);
    Type(QStringLiteral("CD9"));
    QVERIFY(Grid->EditorShown());
    Key(Qt::Key_Up);
    QCOMPARE(Cursor->State(), TCursorState::Browse);
    QCOMPARE(Cursor->RecordCount(), 6);
    QCOMPARE(Cursor->RowText(6, Label), QStringLiteral("CD9"));
    QCOMPARE(Cursor->RecNo(), 5);
}

void RecordGridTest::tabWritesTheCellButKeepsTheRecordInEdit() {
    Open(5);
    Key(Qt::Key_End);
    Type(QStringLiteral("note"));
    Events.clear();
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    QCOMPARE(Events, QList<int>{Coments});
    QCOMPARE(Cursor->FieldText(Coments), QStringLiteral("note"));
    QCOMPARE(Cursor->State(), TCursorState::Edit);
    QCOMPARE(Grid->CurrentColumn(), 2);
    QCOMPARE(Cursor->RowText(1, Coments), QStringLiteral("note")); // the shown row, unposted
}

void RecordGridTest::escapeTwiceRestoresTheCellThenCancelsTheRecord() {
    Open(5);
    Type(QStringLiteral("XX"));
    QCOMPARE(Cursor->State(), TCursorState::Edit);
    Key(Qt::Key_Escape);
    QVERIFY(!Grid->EditorShown());
    QCOMPARE(Grid->CellText(1, Label), QStringLiteral("CD0"));
    QCOMPARE(Cursor->State(), TCursorState::Edit);
    Events.clear();
    Key(Qt::Key_Escape);
    QCOMPARE(Cursor->State(), TCursorState::Browse);
    QCOMPARE(Events, QList<int>{-1});
    QCOMPARE(Cursor->FieldText(Label), QStringLiteral("CD0"));
}

void RecordGridTest::cancelFromElsewhereDropsTheCellText() {
    Open(5);
    Type(QStringLiteral("XX"));
    Cursor->Cancel(); // as the navigator's Cancel does
    QCOMPARE(Grid->Editor()->text(), QStringLiteral("CD0"));
    Events.clear();
    Key(Qt::Key_Return); // nothing left to write back into a record that is not edited
    QVERIFY(Events.isEmpty());
    QCOMPARE(Cursor->State(), TCursorState::Browse);
}

void RecordGridTest::typingPastTheDeclaredSizeIsImpossible() {
    Open(5);
    const int size = Cursor->FieldSize(Label);
    QVERIFY(size > 0);
    Type(QString(size + 8, QLatin1Char('y')));
    QCOMPARE(Grid->Editor()->text().size(), size);
    Key(Qt::Key_Return);
    QCOMPARE(Cursor->FieldText(Label), QString(size, QLatin1Char('y')));
}

void RecordGridTest::editorOpensAsTheKeySays_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("selected");
    QTest::addColumn<int>("caret");
    QTest::newRow("F2: caret at the end") << int(Qt::Key_F2) << QString() << 3;
    QTest::newRow("Enter: all selected") << int(Qt::Key_Return) << QStringLiteral("CD0") << 3;
}

void RecordGridTest::editorOpensAsTheKeySays() {
    QFETCH(int, key);
    QFETCH(QString, selected);
    QFETCH(int, caret);
    Open(5);
    Key(key);
    QVERIFY(Grid->EditorShown());
    QCOMPARE(Grid->Editor()->selectedText(), selected);
    QCOMPARE(Grid->Editor()->cursorPosition(), caret);
    QCOMPARE(Cursor->State(), TCursorState::Browse); // opening edits nothing yet
    Key(Qt::Key_Return);
    QVERIFY(!Grid->EditorShown());
}

void RecordGridTest::movingARowPostsThePendingEdit() {
    Open(5);
    Key(Qt::Key_End);
    Type(QStringLiteral("kept"));
    Key(Qt::Key_Down);
    QCOMPARE(Cursor->State(), TCursorState::Browse);
    QCOMPARE(Cursor->RecNo(), 2);
    QCOMPARE(Cursor->RowText(1, Coments), QStringLiteral("kept"));
    QVERIFY(Grid->EditorShown()); // a row move keeps the editor, showing the new row
    QCOMPARE(Grid->Editor()->text(), QString());
}

void RecordGridTest::clickMovesToTheCellAndASecondClickEdits() {
    Open(Rows);
    const QPoint cell = Grid->CellRect(3, 2).center();
    QTest::mouseClick(Grid->viewport(), Qt::LeftButton, {}, cell);
    QCOMPARE(Cursor->RecNo(), 4);
    QCOMPARE(Grid->CurrentColumn(), 2);
    QVERIFY(!Grid->EditorShown());
    QTest::mouseClick(Grid->viewport(), Qt::LeftButton, {}, cell);
    QVERIFY(Grid->EditorShown());
    QCOMPARE(Grid->Editor()->text(), QStringLiteral("file4.txt"));
}

// Places in the grid's own coordinates, left of, above and below the data cells.
enum TGridPlace { TitleRow, IndicatorColumn, BelowTheRows, AnotherCellOfTheRow };
Q_DECLARE_METATYPE(TGridPlace)

void RecordGridTest::aClickAnywhereInTheGridWritesTheCellBack_data() {
    QTest::addColumn<TGridPlace>("place");
    QTest::newRow("title row") << TitleRow;
    QTest::newRow("indicator column") << IndicatorColumn;
    QTest::newRow("empty area below the rows") << BelowTheRows;
    QTest::newRow("another cell of the row") << AnotherCellOfTheRow;
}

void RecordGridTest::aClickAnywhereInTheGridWritesTheCellBack() {
    QFETCH(TGridPlace, place);
    Open(5);
    Type(QStringLiteral("clicked"));
    Events.clear();
    const QPoint origin = Grid->viewport()->geometry().topLeft();
    const QRect cell = Grid->CellRect(0, place == AnotherCellOfTheRow ? 1 : 0).translated(origin);
    const QPoint point = place == TitleRow          ? QPoint(cell.center().x(), origin.y() - 4)
                         : place == IndicatorColumn ? QPoint(origin.x() - 4, cell.center().y())
                         : place == BelowTheRows    ? cell.center() + QPoint(0, 7 * cell.height())
                                                    : cell.center();
    QWidget* target = Grid->childAt(point);
    QVERIFY(target);
    QTest::mouseClick(target, Qt::LeftButton, {}, target->mapFrom(Grid, point));
    QCOMPARE(Events, QList<int>{Label});
    QCOMPARE(Cursor->FieldText(Label), QStringLiteral("clicked"));
    QCOMPARE(Cursor->State(), TCursorState::Edit); // written back, not posted
    QCOMPARE(Cursor->RecNo(), 1);
    QVERIFY(!Grid->EditorShown());
}

void RecordGridTest::wheelStepsAddUpToWholeRows_data() {
    // Steps in eighths of a degree (120 a notch) or, for a touchpad, in 120ths of a row's
    // height of pixels; negative turns towards the user, down the table.
    QTest::addColumn<QList<int>>("steps");
    QTest::addColumn<bool>("pixels");
    QTest::addColumn<int>("rows");
    QTest::newRow("one notch") << QList<int>{-120} << false << 1;
    QTest::newRow("two notches up") << QList<int>{240} << false << -2;
    QTest::newRow("three thirds of a notch") << QList<int>{-40, -40, -40} << false << 1;
    QTest::newRow("two thirds of a notch") << QList<int>{-40, -40} << false << 0;
    QTest::newRow("a notch and a half, then a half") << QList<int>{-180, -60} << false << 2;
    QTest::newRow("turning back starts afresh") << QList<int>{-80, 40, -80} << false << 0;
    QTest::newRow("a row's height of pixels in halves") << QList<int>{-60, -60} << true << 1;
    QTest::newRow("pixels short of a row") << QList<int>{-60, -40} << true << 0;
}

void RecordGridTest::wheelStepsAddUpToWholeRows() {
    QFETCH(QList<int>, steps);
    QFETCH(bool, pixels);
    QFETCH(int, rows);
    Open(Rows);
    Cursor->SetRecNo(50);
    const int rowHeight = Grid->CellRect(0, 0).height();
    const QPointF centre = Grid->viewport()->rect().center();
    int sent = 0; // in pixels, so the pieces add up to exactly what the steps say
    int total = 0;
    for (const int step : steps) {
        total += step;
        const int now = total * rowHeight / 120 - sent;
        sent += now;
        QWheelEvent wheel(centre, Grid->viewport()->mapToGlobal(centre),
                          pixels ? QPoint(0, now) : QPoint(), pixels ? QPoint() : QPoint(0, step),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(Grid->viewport(), &wheel);
    }
    QCOMPARE(Cursor->RecNo(), 50 + rows);
}

void RecordGridTest::ctrlDeleteAsksFirst_data() {
    QTest::addColumn<bool>("answer");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("events");
    QTest::newRow("Cancel leaves the table") << false << 5 << 0;
    QTest::newRow("OK deletes") << true << 4 << 1;
}

void RecordGridTest::ctrlDeleteAsksFirst() {
    QFETCH(bool, answer);
    QFETCH(int, count);
    QFETCH(int, events);
    Open(5);
    Messages.Answers = {answer};
    Key(Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(Messages.Shown.size(), 1);
    QCOMPARE(Messages.Shown[0].Caption, QStringLiteral("Confirm"));
    QCOMPARE(Messages.Shown[0].Text, QStringLiteral("Delete record?"));
    QCOMPARE(Cursor->RecordCount(), count);
    QCOMPARE(Events.size(), events);
}

// Another program deletes the row on screen while the question is up and the grid repaints
// (moving the cursor to the next row): that next row stays, and the error says why.
void RecordGridTest::ctrlDeleteRemovesOnlyTheRowConfirmed() {
    Open(7);
    Cursor->SetRecNo(5);
    Messages.Answers = {true};
    Messages.WhileAsking = [this] {
        Catalog->Fixture.ExecuteElsewhere(QStringLiteral("DELETE FROM records WHERE rowid = 5"));
        Grid->viewport()->repaint();
    };
    Key(Qt::Key_Delete, Qt::ControlModifier);
    QCOMPARE(Messages.Shown.size(), 2);
    QCOMPARE(Messages.Shown[1].Kind, TBoxKind::Error);
    QVERIFY2(Messages.Shown[1].Text.contains(QLatin1String("deleted or changed by another")) &&
                 Messages.Shown[1].Text.contains(Catalog->Fixture.Path),
             qPrintable(Messages.Shown[1].Text));
    QCOMPARE(Cursor->RecordCount(), 6);
    QCOMPARE(Cursor->FieldText(QStringLiteral("File")), QStringLiteral("file6.txt"));
}

void RecordGridTest::scrollBarFollowsTheRecordNumber() {
    Open(Rows);
    QScrollBar* bar = Grid->verticalScrollBar();
    const int visible = Grid->VisibleRowCount();
    QCOMPARE(bar->minimum(), 1);
    QCOMPARE(bar->maximum(), Rows); // range 1 .. count + visible - 1, less one page
    QCOMPARE(bar->pageStep(), visible);
    Cursor->SetRecNo(37);
    QCOMPARE(bar->value(), 37);
    Cursor->Append();
    QCOMPARE(bar->value(), 37); // unchanged while inserting
}

void RecordGridTest::scrollBarActionsMove_data() {
    QTest::addColumn<int>("action");
    QTest::addColumn<int>("base");
    QTest::addColumn<int>("pages");
    QTest::newRow("line down: the record below the bottom row")
        << int(QAbstractSlider::SliderSingleStepAdd) << 50 << 1;
    QTest::newRow("line up: the record above the top row")
        << int(QAbstractSlider::SliderSingleStepSub) << 49 << 0;
    QTest::newRow("page down") << int(QAbstractSlider::SliderPageStepAdd) << 52 << 1;
    QTest::newRow("page up") << int(QAbstractSlider::SliderPageStepSub) << 52 << -1;
    QTest::newRow("bottom") << int(QAbstractSlider::SliderToMaximum) << Rows << 0;
    QTest::newRow("top") << int(QAbstractSlider::SliderToMinimum) << 1 << 0;
}

void RecordGridTest::scrollBarActionsMove() {
    QFETCH(int, action);
    QFETCH(int, base);
    QFETCH(int, pages);
    Open(Rows);
    // Record 52 shown on the third row from the top (the window starts at record 50).
    Cursor->SetRecNo(50);
    Cursor->SetRecNo(52);
    QCOMPARE(Grid->TopPosition(), 50);
    Grid->verticalScrollBar()->triggerAction(QAbstractSlider::SliderAction(action));
    QCOMPARE(Cursor->RecNo(), base + pages * Grid->VisibleRowCount());
    QCOMPARE(Grid->verticalScrollBar()->value(), Cursor->RecNo());
}

void RecordGridTest::droppingTheThumbGoesToThatRecord_data() {
    QTest::addColumn<int>("position");
    QTest::addColumn<int>("record");
    QTest::newRow("middle") << Rows / 2 << Rows / 2;
    QTest::newRow("first") << 1 << 1;
    QTest::newRow("last") << Rows << Rows;
}

void RecordGridTest::droppingTheThumbGoesToThatRecord() {
    QFETCH(int, position);
    QFETCH(int, record);
    Open(Rows);
    Cursor->SetRecNo(Rows / 4);
    QScrollBar* bar = Grid->verticalScrollBar();
    bar->setSliderDown(true);
    bar->setSliderPosition(position);
    QCOMPARE(Cursor->RecNo(), Rows / 4); // dragging alone moves nothing
    bar->setSliderDown(false);
    QCOMPARE(Cursor->RecNo(), record);
    QCOMPARE(Cursor->Eof(), record == Rows);
}

void RecordGridTest::emptyTableShowsOneRowAndTypingInserts() {
    Open(0);
    QCOMPARE(Cursor->RecNo(), 0);
    QCOMPARE(Grid->CellText(1, Label), QString());
    Type(QStringLiteral("A"));
    QCOMPARE(Cursor->State(), TCursorState::Insert);
    QCOMPARE(Cursor->RecNo(), -1);
    Key(Qt::Key_Return);
    QCOMPARE(Cursor->FieldText(Label), QStringLiteral("A"));
    QCOMPARE(Cursor->RecordCount(), 0);
}

void RecordGridTest::movedColumnsKeepTheirFields() {
    Open(5);
    Grid->Header()->moveSection(3, 0); // as dragging the "Coments of File" title to the left
    Key(Qt::Key_Home);
    QCOMPARE(Grid->CurrentColumn(), 3);
    Key(Qt::Key_Right);
    QCOMPARE(Grid->CurrentColumn(), 0);
    Type(QStringLiteral("Z"));
    Key(Qt::Key_Return);
    QCOMPARE(Cursor->FieldText(Label), QStringLiteral("Z"));
}

void RecordGridTest::draggingTitlesResizesAndMovesColumns() {
    Open(5);
    QWidget* titles = Grid->Header()->viewport();
    const int middle = Grid->Header()->height() / 2;
    // The border after "CD Label", dragged 50 pixels to the right.
    QTest::mousePress(titles, Qt::LeftButton, {}, QPoint(69, middle));
    QTest::mouseMove(titles, QPoint(95, middle));
    QTest::mouseMove(titles, QPoint(119, middle));
    QTest::mouseRelease(titles, Qt::LeftButton, {}, QPoint(119, middle));
    QCOMPARE(Grid->Header()->sectionSize(0), 120);
    // The "CD Label" title, dragged onto the middle of "File on Directory".
    const int file = Grid->Header()->sectionViewportPosition(2) + 130;
    QTest::mousePress(titles, Qt::LeftButton, {}, QPoint(40, middle));
    QTest::mouseMove(titles, QPoint(200, middle));
    QTest::mouseMove(titles, QPoint(file, middle));
    QTest::mouseRelease(titles, Qt::LeftButton, {}, QPoint(file, middle));
    QCOMPARE(Grid->Header()->visualIndex(0), 2);
    QCOMPARE(Grid->Header()->logicalIndex(0), 1);
    QCOMPARE(Grid->CellText(1, 0), QStringLiteral("CD0")); // the column keeps its field
}

void RecordGridTest::insertKeyStartsANewRowAtTheCurrentOne() {
    Open(5);
    Cursor->SetRecNo(3);
    Key(Qt::Key_Insert);
    QCOMPARE(Cursor->State(), TCursorState::Insert);
    QCOMPARE(Cursor->CurrentPosition(), 3);
    QCOMPARE(Grid->CellText(3, Label), QString());
    QCOMPARE(Grid->CellText(4, Label), QStringLiteral("CD0")); // record 3 shown one row down
    QCOMPARE(Grid->CellText(4, 2), QStringLiteral("file3.txt"));
}

void RecordGridTest::columnWithoutAFieldShowsNothingAndCannotBeEdited() {
    Open(5);
    Grid->SetColumns({{QStringLiteral("Size"), QStringLiteral("Size"), 50},
                      {QStringLiteral("File"), QStringLiteral("File on Directory"), 258}});
    QCOMPARE(Grid->ColumnCount(), 2);
    QCOMPARE(Grid->CellText(1, 0), QString());
    QCOMPARE(Grid->CellText(1, 1), QStringLiteral("file1.txt"));
    Type(QStringLiteral("x"));
    QCOMPARE(Cursor->State(), TCursorState::Browse);
    QVERIFY(Events.isEmpty());
}

// A damaged file (here cut short behind the rows read so far) fails the paint of the rows
// further down: one error box naming the file, not one per repaint, and the grid goes on.
void RecordGridTest::rowsThatCannotBeReadShowOneErrorBox() {
    Open(1000);
    QVERIFY(QFile::resize(Catalog->Fixture.Path, 8192));
    const int rowsAfterTheFirstBlock = 400;
    Window->resize(700, rowsAfterTheFirstBlock * Grid->CellRect(0, 0).height());
    QTRY_COMPARE(Messages.Shown.size(), 1);
    QCOMPARE(Messages.Shown[0].Kind, TBoxKind::Error);
    QVERIFY2(Messages.Shown[0].Text.contains(Catalog->Fixture.Path),
             qPrintable(Messages.Shown[0].Text));
    for (int paint = 0; paint < 3; ++paint) {
        Grid->viewport()->repaint();
        QCoreApplication::processEvents();
    }
    QCOMPARE(Messages.Shown.size(), 1);
    QCOMPARE(Cursor->RecNo(), 1);
}

QTEST_MAIN(RecordGridTest)
#include "RecordGridTest.moc"
