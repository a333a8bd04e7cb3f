// The record navigator: its buttons' hints, enabling rules, actions, the delete confirmation,
// the keyboard mark and the repeat of Prior and Next while held down.

#include "widgets/records/RecordNavigator.h"
#include "WidgetFixture.h"
#include "widgets/records/DataSource.h"
#include "widgets/records/NavigatorButton.h"

#include <QTest>
#include <functional>
#include <memory>

using TStep = std::function<void(TTableCursor&)>;
Q_DECLARE_METATYPE(TStep)

class RecordNavigatorTest : public QObject, TWidgetFixture {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void buttonsCarryTheirHints();
    void enablingFollowsTheCursor_data();
    void enablingFollowsTheCursor();
    void disabledNavigatorDisablesEveryButton();
    void nextOnTheLastRecordFiresOnceThenDisables();
    void deleteAsksFirst_data();
    void deleteAsksFirst();
    void postAndCancelEndTheEdit();
    void keyboardMarkMovesAndSpaceClicks();
    void holdingNextRepeatsAndReleaseClicksOnce();
    void repeatTimingIsFourHundredThenHundred();

private:
    std::unique_ptr<TRecordNavigator> Navigator;

    void Open(int rows);
    QString EnabledMask() const;
    void Click(TNavigateButton button);
};

void RecordNavigatorTest::init() {
    ResetFixture();
}

void RecordNavigatorTest::cleanup() {
    Navigator.reset();
    EndFixture();
}

void RecordNavigatorTest::Open(int rows) {
    MakeCatalog(rows);
    Navigator = std::make_unique<TRecordNavigator>(Messages);
    Navigator->resize(670, 25);
    Navigator->SetDataSource(Source);
    Navigator->show();
    QVERIFY(QTest::qWaitForWindowExposed(Navigator.get()));
    Cursor->Open();
    RecordEvents();
}

// One character per button, First to Refresh: 1 enabled, 0 disabled.
QString RecordNavigatorTest::EnabledMask() const {
    QString mask;
    for (int button = 0; button < NavigateButtonCount; ++button)
        mask += Navigator->Button(TNavigateButton(button))->isEnabled() ? u'1' : u'0';
    return mask;
}

void RecordNavigatorTest::Click(TNavigateButton button) {
    QTest::mouseClick(Navigator->Button(button), Qt::LeftButton);
}

void RecordNavigatorTest::buttonsCarryTheirHints() {
    Open(3);
    const QStringList hints = {"First record",  "Prior record",  "Next record", "Last record",
                               "Insert record", "Delete record", "Edit record", "Post edit",
                               "Cancel edit",   "Refresh data"};
    for (int button = 0; button < NavigateButtonCount; ++button) {
        const TNavigatorButton* face = Navigator->Button(TNavigateButton(button));
        QCOMPARE(face->toolTip(), hints[button]);
        QCOMPARE(face->accessibleName(), hints[button]);
        QVERIFY(!face->icon().isNull());
        QCOMPARE(face->width(), 67);
    }
    Navigator->resize(679, 25);
    QCOMPARE(Navigator->width(), 670);
    QCOMPARE(Navigator->Button(nbRefresh)->geometry(), QRect(603, 0, 67, 25));
}

void RecordNavigatorTest::enablingFollowsTheCursor_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<TStep>("step");
    QTest::addColumn<QString>("mask");
    const TStep nothing = [](TTableCursor&) {
    };
    QTest::newRow("closed") << 3 << TStep([](TTableCursor& c) { c.Close(); }) << "0000000000";
    QTest::newRow("empty table") << 0 << nothing << "0000101001";
    QTest::newRow("first record") << 3 << nothing << "0011111001";
    QTest::newRow("middle") << 3 << TStep([](TTableCursor& c) { c.Next(); }) << "1111111001";
    QTest::newRow("last") << 3 << TStep([](TTableCursor& c) { c.Last(); }) << "1100111001";
    QTest::newRow("editing") << 3 << TStep([](TTableCursor& c) {
        c.Next();
        c.Edit();
    }) << "1111110111";
    QTest::newRow("inserting into an empty table")
        << 0 << TStep([](TTableCursor& c) { c.Insert(); })
        << "0000100111"; // the new row is first and last
    // A new row keeps the flags of the row it is inserted at.
    QTest::newRow("inserting at the first record")
        << 3 << TStep([](TTableCursor& c) { c.Insert(); }) << "0011110111";
    QTest::newRow("inserting at the last record") << 3 << TStep([](TTableCursor& c) {
        c.Last();
        c.Insert();
    }) << "1100110111";
}

void RecordNavigatorTest::enablingFollowsTheCursor() {
    QFETCH(int, rows);
    QFETCH(TStep, step);
    QFETCH(QString, mask);
    Open(rows);
    step(*Cursor);
    QCOMPARE(EnabledMask(), mask);
}

void RecordNavigatorTest::disabledNavigatorDisablesEveryButton() {
    Open(3);
    Cursor->Next();
    Navigator->setEnabled(false);
    QCOMPARE(EnabledMask(), QStringLiteral("0000000000"));
    Navigator->setEnabled(true);
    QCOMPARE(EnabledMask(), QStringLiteral("1111111001"));
}

void RecordNavigatorTest::nextOnTheLastRecordFiresOnceThenDisables() {
    Open(3);
    Cursor->SetRecNo(3);
    Events.clear();
    Click(nbNext);
    QCOMPARE(Events, QList<int>{-1});
    QVERIFY(Cursor->Eof());
    QVERIFY(!Navigator->Button(nbNext)->isEnabled());
    QVERIFY(!Navigator->Button(nbLast)->isEnabled());
    Cursor->MoveBy(1);
    QCOMPARE(Events.size(), 1);
}

void RecordNavigatorTest::deleteAsksFirst_data() {
    QTest::addColumn<bool>("answer");
    QTest::addColumn<bool>("raced");
    QTest::addColumn<int>("count");
    QTest::addColumn<int>("events");
    QTest::newRow("Cancel leaves the table") << false << false << 3 << 0;
    QTest::newRow("OK deletes") << true << false << 2 << 1;
    // The row the cursor moves to when the table is read during the question stays.
    QTest::newRow("OK after another program deleted the row") << true << true << 2 << 0;
}

void RecordNavigatorTest::deleteAsksFirst() {
    QFETCH(bool, answer);
    QFETCH(bool, raced);
    QFETCH(int, count);
    QFETCH(int, events);
    Open(3);
    Messages.Answers = {answer};
    if (raced)
        Messages.WhileAsking = [this] {
            Catalog->Fixture.ExecuteElsewhere(
                QStringLiteral("DELETE FROM records WHERE rowid = 1"));
            Cursor->RecNo();
        };
    Click(nbDelete);
    QCOMPARE(Messages.Shown.size(), raced ? 2 : 1);
    QCOMPARE(Messages.Shown[0].Kind, TBoxKind::Confirmation);
    QCOMPARE(Messages.Shown[0].Caption, QStringLiteral("Confirm"));
    QCOMPARE(Messages.Shown[0].Text, QStringLiteral("Delete record?"));
    QCOMPARE(Cursor->RecordCount(), count);
    QCOMPARE(Events.size(), events);
}

void RecordNavigatorTest::postAndCancelEndTheEdit() {
    Open(3);
    Click(nbEdit);
    QCOMPARE(Cursor->State(), TCursorState::Edit);
    Cursor->SetFieldText(3, QStringLiteral("posted"));
    Click(nbPost);
    QCOMPARE(Cursor->State(), TCursorState::Browse);
    QCOMPARE(Cursor->FieldText(3), QStringLiteral("posted"));
    Click(nbInsert);
    QCOMPARE(Cursor->RecNo(), -1);
    Click(nbCancel);
    QCOMPARE(Cursor->RecordCount(), 3);
    Click(nbLast);
    QCOMPARE(Cursor->RecNo(), 3);
    Click(nbFirst);
    QCOMPARE(Cursor->RecNo(), 1);
}

void RecordNavigatorTest::keyboardMarkMovesAndSpaceClicks() {
    Open(3);
    Navigator->setFocus();
    QCOMPARE(Navigator->MarkedButton(), nbFirst);
    QTest::keyClick(Navigator.get(), Qt::Key_Left);
    QCOMPARE(Navigator->MarkedButton(), nbFirst); // stops at the end
    QTest::keyClick(Navigator.get(), Qt::Key_Right);
    QTest::keyClick(Navigator.get(), Qt::Key_Right);
    QCOMPARE(Navigator->MarkedButton(), nbNext);
    QTest::keyClick(Navigator.get(), Qt::Key_Space);
    QCOMPARE(Cursor->RecNo(), 2);
    QTest::keyClick(Navigator.get(), Qt::Key_Left);
    QTest::keyClick(Navigator.get(), Qt::Key_Left);
    Cursor->First();
    QTest::keyClick(Navigator.get(), Qt::Key_Space); // First is disabled at BOF: nothing
    QCOMPARE(Events.size(), 2);
    for (int step = 0; step < 12; ++step)
        QTest::keyClick(Navigator.get(), Qt::Key_Right);
    QCOMPARE(Navigator->MarkedButton(), nbRefresh);
    // A press with the mouse moves the mark there.
    QTest::mouseClick(Navigator->Button(nbLast), Qt::LeftButton);
    QCOMPARE(Navigator->MarkedButton(), nbLast);
    QVERIFY(Navigator->hasFocus());
}

void RecordNavigatorTest::holdingNextRepeatsAndReleaseClicksOnce() {
    Open(100);
    Navigator->SetRepeatTiming(40, 10);
    TNavigatorButton* next = Navigator->Button(nbNext);
    QTest::mousePress(next, Qt::LeftButton);
    QCOMPARE(Cursor->RecNo(), 1); // no move at the press
    QTRY_VERIFY(Cursor->RecNo() >= 4);
    const qint64 held = Cursor->RecNo();
    QTest::mouseRelease(next, Qt::LeftButton);
    QCOMPARE(Cursor->RecNo(), held + 1);   // one more at the release
    QCOMPARE(qint64(Events.size()), held); // one event per move
    QVERIFY(!next->isDown());
}

void RecordNavigatorTest::repeatTimingIsFourHundredThenHundred() {
    Open(3);
    for (const TNavigateButton button : {nbPrior, nbNext}) {
        QVERIFY(Navigator->Button(button)->autoRepeat());
        QCOMPARE(Navigator->Button(button)->autoRepeatDelay(), 400);
        QCOMPARE(Navigator->Button(button)->autoRepeatInterval(), 100);
    }
    QVERIFY(!Navigator->Button(nbLast)->autoRepeat());
}

QTEST_MAIN(RecordNavigatorTest)
#include "RecordNavigatorTest.moc"
