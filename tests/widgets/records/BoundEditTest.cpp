// The bound edit box: binding by field name, read-only until an edit starts, the declared
// size, Escape, and writing its text back without ever posting.

#include "widgets/records/BoundEdit.h"
#include "WidgetFixture.h"
#include "catalog/DataError.h"
#include "widgets/records/DataSource.h"

#include <QAction>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <memory>

namespace {
constexpr int Label = 0;
constexpr int Coments = 3;
} // namespace

class BoundEditTest : public QObject, TWidgetFixture {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void showsTheCurrentRecordAndFollowsMoves();
    void missingFieldIsNamedWithTheBoxName();
    void closedCursorLeavesTheBoxEmptyAndReadOnly();
    void typingStartsEditAndLeavingWritesBackWithoutPosting();
    void typingPastTheDeclaredSizeIsImpossible_data();
    void typingPastTheDeclaredSizeIsImpossible();
    void escapeShowsTheFieldAgain();
    void pendingTextIsCollectedBeforeAMove();
    void pasteFromTheContextMenuStartsTheEdit();
    void switchingToAnotherWindowAndBackKeepsThePendingText();

private:
    std::unique_ptr<QWidget> Window;
    TBoundEdit* Box = nullptr;
    QLineEdit* Other = nullptr;

    void Bind(const QString& field);
};

void BoundEditTest::init() {
    ResetFixture();
    MakeCatalog(3);
    RecordEvents();
}

void BoundEditTest::cleanup() {
    Window.reset();
    EndFixture();
}

void BoundEditTest::Bind(const QString& field) {
    Window = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(Window.get());
    Box = new TBoundEdit(Messages);
    Box->setObjectName(QStringLiteral("DBEditTest"));
    Box->SetDataField(field);
    Box->SetDataSource(Source);
    Other = new QLineEdit;
    layout->addWidget(Box);
    layout->addWidget(Other);
    Window->show();
    QVERIFY(QTest::qWaitForWindowExposed(Window.get()));
}

void BoundEditTest::showsTheCurrentRecordAndFollowsMoves() {
    Bind(QStringLiteral("File"));
    Cursor->Open();
    QCOMPARE(Box->text(), QStringLiteral("file1.txt"));
    QVERIFY(Box->isReadOnly());
    Cursor->Last();
    QCOMPARE(Box->text(), QStringLiteral("file3.txt"));
}

void BoundEditTest::missingFieldIsNamedWithTheBoxName() {
    Bind(QStringLiteral("Size"));
    try {
        Cursor->Open();
        QFAIL("opening bound a missing field");
    } catch (const TDataError& error) {
        QCOMPARE(error.Text, QStringLiteral("DBEditTest: Field 'Size' not found"));
    }
    QVERIFY(Box->text().isEmpty());
    QCOMPARE(Box->Field(), -1);
}

void BoundEditTest::closedCursorLeavesTheBoxEmptyAndReadOnly() {
    Bind(QStringLiteral("Label"));
    Cursor->Open();
    Cursor->Edit();
    Cursor->Close();
    QVERIFY(Box->text().isEmpty());
    QVERIFY(Box->isReadOnly());
    Box->setFocus();
    QTest::keyClicks(Box, QStringLiteral("x"));
    QVERIFY(Box->text().isEmpty());
}

void BoundEditTest::typingStartsEditAndLeavingWritesBackWithoutPosting() {
    Bind(QStringLiteral("Coments"));
    Cursor->Open();
    Box->setFocus();
    Events.clear();
    QTest::keyClicks(Box, QStringLiteral("new"));
    QCOMPARE(Cursor->State(), TCursorState::Edit);
    QCOMPARE(Events, QList<int>{-1});
    QVERIFY(Box->Modified());

    Other->setFocus();
    QCOMPARE(Events, (QList<int>{-1, Coments}));
    QCOMPARE(Cursor->FieldText(Coments), QStringLiteral("new"));
    QCOMPARE(Cursor->State(), TCursorState::Edit);
    QVERIFY(!Box->Modified());
}

void BoundEditTest::typingPastTheDeclaredSizeIsImpossible_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("index");
    QTest::newRow("Label") << QStringLiteral("Label") << Label;
    QTest::newRow("File") << QStringLiteral("File") << 2;
}

void BoundEditTest::typingPastTheDeclaredSizeIsImpossible() {
    QFETCH(QString, field);
    QFETCH(int, index);
    Bind(field);
    Cursor->Open();
    const int size = Cursor->FieldSize(index);
    QVERIFY(size > 0);
    Box->setFocus();
    Box->selectAll();
    QTest::keyClicks(Box, QString(size + 10, QLatin1Char('x')));
    QCOMPARE(Box->text().size(), size);
    Other->setFocus();
    QCOMPARE(Cursor->FieldText(index).size(), size);
}

void BoundEditTest::escapeShowsTheFieldAgain() {
    Bind(QStringLiteral("File"));
    Cursor->Open();
    Box->setFocus();
    QTest::keyClicks(Box, QStringLiteral("zzz"));
    QTest::keyClick(Box, Qt::Key_Escape);
    QCOMPARE(Box->text(), QStringLiteral("file1.txt"));
    QCOMPARE(Box->selectedText(), QStringLiteral("file1.txt"));
    QVERIFY(!Box->Modified());
    QCOMPARE(Cursor->State(), TCursorState::Edit);
}

void BoundEditTest::pendingTextIsCollectedBeforeAMove() {
    Bind(QStringLiteral("Coments"));
    Cursor->Open();
    Box->setFocus();
    QTest::keyClicks(Box, QStringLiteral("kept"));
    Cursor->Next(); // the box still has the focus: the move collects its text and posts
    QCOMPARE(Cursor->State(), TCursorState::Browse);
    QCOMPARE(Cursor->RowText(1, Coments), QStringLiteral("kept"));
    QCOMPARE(Box->text(), QString());
}

void BoundEditTest::pasteFromTheContextMenuStartsTheEdit() {
    Bind(QStringLiteral("Coments"));
    Cursor->Open();
    QVERIFY(Box->isReadOnly());
    QApplication::clipboard()->setText(QStringLiteral("pasted"));
    bool offered = false;
    // The menu runs its own loop: choose "Paste" from inside it, as the user would.
    QTimer::singleShot(0, this, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QAction* paste = menu ? menu->findChild<QAction*>(QStringLiteral("edit-paste")) : nullptr;
        offered = paste && paste->isEnabled();

        if (paste)
            paste->trigger();
        if (menu)
            menu->close();
    });
    Box->setFocus();
    const QPoint inside = Box->rect().center();
    QContextMenuEvent event(QContextMenuEvent::Mouse, inside, Box->mapToGlobal(inside));
    QCoreApplication::sendEvent(Box, &event);
    QVERIFY(offered);
    QCOMPARE(Cursor->State(), TCursorState::Edit);
    QCOMPARE(Box->text(), QStringLiteral("pasted"));
    QVERIFY(Box->Modified());
}

void BoundEditTest::switchingToAnotherWindowAndBackKeepsThePendingText() {
    Bind(QStringLiteral("Coments"));
    Cursor->Open();
    Box->setFocus();
    QTest::keyClicks(Box, QStringLiteral("half typed"));
    QWidget elsewhere;
    elsewhere.show();
    QApplication::setActiveWindow(&elsewhere);
    QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
    QApplication::setActiveWindow(Window.get());
    QVERIFY(QTest::qWaitForWindowActive(Window.get()));
    QTRY_VERIFY(Box->hasFocus());
    QCOMPARE(Box->text(), QStringLiteral("half typed"));
    QVERIFY(Box->Modified());
    QCOMPARE(Cursor->FieldText(Coments), QString()); // nothing written back meanwhile
}

QTEST_MAIN(BoundEditTest)
#include "BoundEditTest.moc"
