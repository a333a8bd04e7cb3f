// The main window as the user meets it: its layout, menu, record counter, closing with a
// pending edit, a missing catalog at start-up and errors shown by the application's error box.

#include "app/FormZandrel.h"
#include "CatalogFixture.h"
#include "ScriptedMessages.h"
#include "StoredLayout.h"
#include "app/ZandrelApplication.h"
#include "catalog/DataError.h"
#include "platform/FileSystemError.h"
#include "support/FakeFileSystem.h"
#include "widgets/records/NavigatorButton.h"
#include "widgets/records/RecordGrid.h"
#include "widgets/records/RecordNavigator.h"
#include "windows/FormInsertData.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>
#include <QTest>
#include <algorithm>
#include <memory>

namespace {
const QString Title = QStringLiteral("Zandrel - By Qorvin\u00ae");
constexpr int Coments = 3;
} // namespace

// The application with its last resort replaced by a count: no error of a user's command may
// get that far, every one is shown by the handler it arose in.
class TCountingApplication : public TZandrelApplication {
public:
    using TZandrelApplication::TZandrelApplication;
    int Escaped = 0;

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            // Past the program's own last resort, so what escapes a handler is counted here.
            return QApplication::notify(receiver, event); // NOLINT(bugprone-parent-virtual-call)
        } catch (const std::exception&) {
            ++Escaped;
            return false;
        }
    }
};

class FormZandrelTest : public QObject {
    Q_OBJECT
public:
    FormZandrelTest(TScriptedMessages& messages, TCountingApplication& application)
        : Messages(messages)
        , Application(application) {}

private slots:
    void init();
    void cleanup();

    void layoutMatchesTheStoredWindow_data();
    void layoutMatchesTheStoredWindow();
    void menuHasItsItemsAndShortCuts_data();
    void menuHasItsItemsAndShortCuts();
    void gridColumnsAndStatusPanels();
    void windowShowsTheProgramIconAtEverySize();
    void counterFollowsTheCursor_data();
    void counterFollowsTheCursor();
    void counterKeepsItsTextWhenTheCursorCloses();
    void closingPostsAModifiedRowFirst_data();
    void closingPostsAModifiedRowFirst();
    void failedPostOnClosingKeepsTheWindowOpen();
    void missingCatalogIsReportedBeforeTheWindowShows();
    void refusedPostShowsTheErrorBoxAndKeepsTheEdit();
    void errorInAHeldNextStopsItsRepeat();
    void helpTopicsAndAboutLabelShowTheirMessages();
    void aboutLabelAnswersAReleaseOverItOnly_data();
    void aboutLabelAnswersAReleaseOverItOnly();
    void anErrorOfACommandShowsOneBoxFromItsHandler_data();
    void anErrorOfACommandShowsOneBoxFromItsHandler();
    void insertAndFindCallTheirWindowsOnceThereAreAny();
    void insertPostsAPendingEditBeforeTheWindowShows();
    void anotherWindowSendsTheUserToARow();
    void rowsInsertedShowOnTheMainWindow();

private:
    TScriptedMessages& Messages;
    TCountingApplication& Application;
    std::unique_ptr<TTableFixture> Fixture;
    std::unique_ptr<TFormZandrel> Form;

    void Start(int rows, bool refusing = false);
    template <typename T> T* Child(const char* name) const {
        T* child = Form->findChild<T*>(QLatin1String(name));
        if (!child)
            qFatal("no child named %s", name);
        return child;
    }
    QString Counter() const { return Child<QLabel>("StatusPanel2")->text(); }
    void TypeInto(QWidget* widget, const QString& text);
};

void FormZandrelTest::init() {
    Messages.Shown.clear();
    Messages.Answers.clear();
    Application.Escaped = 0;
}

void FormZandrelTest::cleanup() {
    QVERIFY2(Messages.Answers.isEmpty(), "a scripted answer was not asked for");
    QCOMPARE(Application.Escaped, 0);
    Form.reset();
    Fixture.reset();
}

void FormZandrelTest::Start(int rows, bool refusing) {
    Fixture = std::make_unique<TTableFixture>(rows, TTableFixture::DiscRowValues, refusing);
    Form = std::make_unique<TFormZandrel>(Messages, Fixture->Path);
    Form->show();
    QVERIFY(QTest::qWaitForWindowActive(Form.get()));
}

void FormZandrelTest::TypeInto(QWidget* widget, const QString& text) {
    widget->setFocus();
    for (const QChar character : text)
        QTest::keyClick(QApplication::focusWidget(), character.toLatin1());
}

void FormZandrelTest::layoutMatchesTheStoredWindow_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("place"); // width or height 0: not fixed by the layout
    QTest::addColumn<QString>("text");
    QTest::newRow("LabelLabel") << "LabelLabel" << QRect(8, 8, 0, 0) << "CD Label";
    QTest::newRow("LabelDirectory") << "LabelDirectory" << QRect(96, 8, 0, 0) << "Directory on CD";
    QTest::newRow("LabelFile") << "LabelFile" << QRect(416, 8, 0, 0) << "File on Directory";
    QTest::newRow("LabelComents") << "LabelComents" << QRect(8, 48, 0, 0) << "Coments of File";
    QTest::newRow("DBEditLabel") << "DBEditLabel" << QRect(8, 24, 81, 0) << "CD0";
    QTest::newRow("DBEditDirectory") << "DBEditDirectory" << QRect(96, 24, 313, 0) << "D:\\DIR1\\";
    QTest::newRow("DBEditFile") << "DBEditFile" << QRect(416, 24, 313, 0) << "file1.txt";
    QTest::newRow("DBEditComents") << "DBEditComents" << QRect(8, 64, 721, 0) << "";
    QTest::newRow("DBNavigatorData") << "DBNavigatorData" << QRect(8, 8, 670, 25) << "";
    QTest::newRow("LabelByQorvin")
        << "LabelByQorvin" << QRect(688, 16, 0, 0) << QStringLiteral("By Qorvin\u00ae");
    QTest::newRow("PanelTop") << "PanelTop" << QRect(0, 0, 0, 97) << "";
    QTest::newRow("PanelBottom") << "PanelBottom" << QRect(0, 97, 0, 41) << "";
    QTest::newRow("StatusBar") << "StatusBar" << QRect(0, 0, 0, 19) << "";
}

void FormZandrelTest::layoutMatchesTheStoredWindow() {
    QFETCH(QString, name);
    QFETCH(QRect, place);
    QFETCH(QString, text);
    Start(3);
    const QWidget* widget = Child<QWidget>(name.toLatin1().constData());
    CheckStoredLayout(widget, place, text, name != QLatin1String("StatusBar"));
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(Form->windowTitle(), Title);
    QVERIFY(Form->width() >= 736);
}

void FormZandrelTest::menuHasItsItemsAndShortCuts_data() {
    QTest::addColumn<QString>("menu");
    QTest::addColumn<QString>("item");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QKeySequence>("shortcut");
    QTest::newRow("Insert") << "MenuItemData"
                            << "MenuItemDataInsert"
                            << "Insert" << QKeySequence(QStringLiteral("Ctrl+I"));
    QTest::newRow("Find") << "MenuItemData"
                          << "MenuItemDataFind"
                          << "Find" << QKeySequence(QStringLiteral("Ctrl+F"));
    QTest::newRow("Topics") << "MenuItemHelp"
                            << "MenuItemHelpTopics"
                            << "Topics" << QKeySequence();
    QTest::newRow("Exit") << "MenuItemExit"
                          << "MenuItemExiExit"
                          << "Exit" << QKeySequence(QStringLiteral("Ctrl+Q"));
}

void FormZandrelTest::menuHasItsItemsAndShortCuts() {
    QFETCH(QString, menu);
    QFETCH(QString, item);
    QFETCH(QString, text);
    QFETCH(QKeySequence, shortcut);
    Start(1);
    const QMenu* parent = Child<QMenu>(menu.toLatin1().constData());
    const QAction* action = parent->findChild<QAction*>(item);
    QVERIFY(action);
    QVERIFY(parent->actions().contains(action));
    QCOMPARE(action->text(), text);
    QCOMPARE(action->shortcut(), shortcut);
    const QStringList titles = {"Data", "Help", "Exit"};
    QVERIFY(titles.contains(parent->title()));
}

void FormZandrelTest::gridColumnsAndStatusPanels() {
    Start(1);
    const auto* grid = Child<TRecordGrid>("DBGridData");
    QCOMPARE(grid->ColumnCount(), 4);
    QCOMPARE(grid->CellText(1, 2), QStringLiteral("file1.txt"));
    QCOMPARE(Child<QLabel>("StatusPanel1")->width(), 400);
    QCOMPARE(Child<QLabel>("StatusPanel2")->width(), 150);
    QCOMPARE(Child<QLabel>("StatusPanel3")->width(), 50);
    QVERIFY(Child<QLabel>("StatusPanel1")->text().isEmpty());
    QVERIFY(Child<QLabel>("StatusPanel3")->text().isEmpty());
    QCOMPARE(Child<QLabel>("LabelByQorvin")->cursor().shape(), Qt::PointingHandCursor);
}

void FormZandrelTest::windowShowsTheProgramIconAtEverySize() {
    Start(0);
    QList<QSize> sizes = Form->windowIcon().availableSizes();
    std::sort(sizes.begin(), sizes.end(), [](QSize a, QSize b) { return a.width() < b.width(); });
    QList<QSize> drawn;
    for (const int side : {16, 32, 48, 64, 128, 256})
        drawn.append(QSize(side, side));
    QCOMPARE(sizes, drawn);
}

using TMove = std::function<void(TTableCursor&)>;
Q_DECLARE_METATYPE(TMove)

void FormZandrelTest::counterFollowsTheCursor_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<TMove>("move");
    QTest::addColumn<QString>("counter");
    QTest::newRow("empty catalog") << 0 << TMove([](TTableCursor&) {}) << "Data 0 of 0";
    QTest::newRow("third of 120") << 120 << TMove([](TTableCursor& c) { c.SetRecNo(3); })
                                  << "Data 3 of 120";
    QTest::newRow("inserting") << 120 << TMove([](TTableCursor& c) { c.Insert(); })
                               << "Data -1 of 120";
    QTest::newRow("appended and posted") << 2 << TMove([](TTableCursor& c) {
        c.Append();
        c.SetFieldText(0, QStringLiteral("new"));
        c.Post();
    }) << "Data 3 of 3";
}

void FormZandrelTest::counterFollowsTheCursor() {
    QFETCH(int, rows);
    QFETCH(TMove, move);
    QFETCH(QString, counter);
    Start(rows);
    move(Form->TableData);
    QCOMPARE(Counter(), counter);
}

void FormZandrelTest::counterKeepsItsTextWhenTheCursorCloses() {
    Start(5);
    Form->TableData.Last();
    Form->TableData.Close();
    QCOMPARE(Counter(), QStringLiteral("Data 5 of 5"));
    QCOMPARE(Child<TRecordGrid>("DBGridData")->CellText(1, 0), QString());
}

void FormZandrelTest::closingPostsAModifiedRowFirst_data() {
    QTest::addColumn<int>("way");
    QTest::newRow("close button") << 0;
    QTest::newRow("Ctrl+Q") << 1;
    QTest::newRow("Exit item") << 2;
}

void FormZandrelTest::closingPostsAModifiedRowFirst() {
    QFETCH(int, way);
    Start(3);
    auto* box = Child<QLineEdit>("DBEditComents");
    TypeInto(box, QStringLiteral("typed"));
    QVERIFY(box->hasFocus()); // still pending in the box, not yet in the field
    switch (way) {
    case 0:
        Form->close();
        break;
    case 1:
        QTest::keyClick(box, Qt::Key_Q, Qt::ControlModifier);
        break;
    default:
        Child<QAction>("MenuItemExiExit")->trigger();
    }
    QVERIFY(!Form->isVisible());
    QVERIFY(!Form->TableData.Active());
    QVERIFY(Messages.Shown.isEmpty());
    TTableCursor check(QStringLiteral("Check"));
    check.SetTableName(Fixture->Path);
    check.Open();
    QCOMPARE(check.FieldText(Coments), QStringLiteral("typed"));
}

void FormZandrelTest::failedPostOnClosingKeepsTheWindowOpen() {
    Start(3, true);
    auto* box = Child<QLineEdit>("DBEditComents");
    TypeInto(box, RefusedComment);
    QTest::keyClick(box, Qt::Key_Q, Qt::ControlModifier);
    QVERIFY(Form->isVisible());
    QCOMPARE(Form->TableData.State(), TCursorState::Edit);
    QCOMPARE(Messages.Shown.size(), 1);
    QCOMPARE(Messages.Shown[0].Kind, TBoxKind::Error);
    QCOMPARE(Messages.Shown[0].Caption, Title);
    QVERIFY2(Messages.Shown[0].Text.contains(QStringLiteral("refused")),
             qPrintable(Messages.Shown[0].Text));
    QCOMPARE(box->text(), RefusedComment);
    // Corrected, it closes.
    TypeInto(box, QStringLiteral("d"));
    Form->close();
    QVERIFY(!Form->isVisible());
}

void FormZandrelTest::missingCatalogIsReportedBeforeTheWindowShows() {
    QTemporaryDir empty;
    const QString missing = empty.filePath(QStringLiteral("Data/GeneralData.db"));
    Form = std::make_unique<TFormZandrel>(Messages, missing);
    QCOMPARE(Messages.Shown.size(), 1); // during creation, before the window shows
    QCOMPARE(Messages.Shown[0].Kind, TBoxKind::Error);
    QVERIFY(!Form->isVisible());
    Form->show();
    QVERIFY(QTest::qWaitForWindowActive(Form.get()));
    QVERIFY(!Form->TableData.Active());
    QCOMPARE(Form->TableData.TableName(), missing);
    QCOMPARE(Counter(), QString());
    QCOMPARE(Child<TRecordGrid>("DBGridData")->CellText(1, 0), QString());
    const auto* navigator = Child<TRecordNavigator>("DBNavigatorData");
    for (int button = 0; button < NavigateButtonCount; ++button)
        QVERIFY(!navigator->Button(TNavigateButton(button))->isEnabled());
    QVERIFY(Child<QLineEdit>("DBEditLabel")->text().isEmpty());
    // The program runs on: the menu still answers.
    Child<QAction>("MenuItemHelpTopics")->trigger();
    QCOMPARE(Messages.Shown.size(), 2);
    QCOMPARE(Messages.Shown[1].Text, QStringLiteral("Not Available"));
}

void FormZandrelTest::refusedPostShowsTheErrorBoxAndKeepsTheEdit() {
    Start(3, true);
    auto* grid = Child<TRecordGrid>("DBGridData");
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_End);
    TypeInto(grid, RefusedComment);
    QWidget* editor = QApplication::focusWidget();
    QCOMPARE(editor, grid->Editor());
    QTest::keyClick(editor, Qt::Key_Down);
    QCOMPARE(Messages.Shown.size(), 1);
    QCOMPARE(Messages.Shown[0].Kind, TBoxKind::Error);
    QCOMPARE(Form->TableData.State(), TCursorState::Edit);
    QCOMPARE(Form->TableData.FieldText(Coments), RefusedComment);
    QCOMPARE(Form->TableData.RecNo(), 1);
    QCOMPARE(QApplication::focusWidget(), editor);
    QCOMPARE(Counter(), QStringLiteral("Data 1 of 3"));
}

void FormZandrelTest::errorInAHeldNextStopsItsRepeat() {
    Start(5, true);
    TypeInto(Child<QLineEdit>("DBEditComents"), RefusedComment);
    auto* navigator = Child<TRecordNavigator>("DBNavigatorData");
    navigator->SetRepeatTiming(20, 10);
    TNavigatorButton* next = navigator->Button(nbNext);
    // GIVEN a pending row the engine refuses, WHEN Next is held, THEN its first repeat fails,
    // the error shows once and the button stops repeating; the release clicks no more.
    QTest::mousePress(next, Qt::LeftButton);
    QTRY_COMPARE(Messages.Shown.size(), 1);
    QVERIFY(!next->isDown());
    QTest::mouseRelease(next, Qt::LeftButton);
    QCOMPARE(Messages.Shown.size(), 1);
    QCOMPARE(Form->TableData.State(), TCursorState::Edit);
    QCOMPARE(Form->TableData.FieldText(Coments), RefusedComment);
}

void FormZandrelTest::helpTopicsAndAboutLabelShowTheirMessages() {
    Start(1);
    Child<QAction>("MenuItemHelpTopics")->trigger();
    QTest::mouseClick(Child<QLabel>("LabelByQorvin"), Qt::LeftButton);
    QCOMPARE(Messages.Shown.size(), 2);
    QCOMPARE(Messages.Shown[0].Text, QStringLiteral("Not Available"));
    const QStringList lines = Messages.Shown[1].Text.split(QLatin1Char('\r'));
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines[0], QStringLiteral("Bugs or Sugestions send mail to:"));
    QVERIFY(lines[1].endsWith(QStringLiteral("@example.org or")));
    QVERIFY(lines[2].endsWith(QStringLiteral("@example.org")));
    for (const TBoxRequest& box : Messages.Shown) {
        QCOMPARE(box.Caption, Title);
        QCOMPARE(box.Kind, TBoxKind::Information);
    }
}

void FormZandrelTest::insertAndFindCallTheirWindowsOnceThereAreAny() {
    Start(1);
    QStringList shown;
    Child<QAction>("MenuItemDataInsert")->trigger(); // no window yet: nothing happens
    QObject::connect(Form.get(), &TFormZandrel::InsertDataRequested,
                     [&] { shown.append(QStringLiteral("insert")); });
    QObject::connect(Form.get(), &TFormZandrel::FindRequested,
                     [&] { shown.append(QStringLiteral("find")); });
    QTest::keyClick(Form.get(), Qt::Key_I, Qt::ControlModifier);
    QTest::keyClick(Form.get(), Qt::Key_F, Qt::ControlModifier);
    QCOMPARE(shown, (QStringList{"insert", "find"}));
}

void FormZandrelTest::insertPostsAPendingEditBeforeTheWindowShows() {
    Start(3);
    TypeInto(Child<QLineEdit>("DBEditComents"), QStringLiteral("typed"));
    QString stored;
    QObject::connect(Form.get(), &TFormZandrel::InsertDataRequested, [&] {
        TTableCursor check(QStringLiteral("Check"));
        check.SetTableName(Fixture->Path);
        check.Open();
        stored = check.FieldText(Coments);
    });
    QTest::keyClick(Form.get(), Qt::Key_I, Qt::ControlModifier);
    QCOMPARE(stored, QStringLiteral("typed"));
    QCOMPARE(Form->TableData.State(), TCursorState::Browse);
    QVERIFY(Messages.Shown.isEmpty());
}

void FormZandrelTest::anotherWindowSendsTheUserToARow() {
    Start(5);
    Form->ShowRow(4);
    QCOMPARE(Counter(), QStringLiteral("Data 4 of 5"));
    Form->TableData.Delete();
    const auto refused = [this](qint64 rowId) {
        try {
            Form->ShowRow(rowId);
        } catch (const TDataError& error) {
            return error.Text;
        }
        return QString();
    };
    QVERIFY(refused(4).contains(QStringLiteral("no longer in the catalogue")));
    QCOMPARE(Counter(), QStringLiteral("Data 4 of 4"));
    Form->setEnabled(false); // as while the insert-data window shows
    QVERIFY(refused(2).contains(QStringLiteral("insert-data window")));
}

void FormZandrelTest::rowsInsertedShowOnTheMainWindow() {
    Start(3);
    TFakeFileSystem files;
    const QString root = files.AddDrive(u'D', TDriveType::CdRom, QStringLiteral("MY DISC"));
    for (const char* name : {"a.txt", "b.txt"})
        QVERIFY(QFile(root + QLatin1Char('/') + QLatin1String(name)).open(QIODevice::WriteOnly));
    files.SetCurrentFolder(QStringLiteral("D:\\"));
    TTableFixture staging;
    TFormInsertData insertData(Messages, files, staging.Path, *Form, Form->TableData);
    QObject::connect(Form.get(), &TFormZandrel::InsertDataRequested, &insertData,
                     &TFormInsertData::Show);
    QTest::keyClick(Form.get(), Qt::Key_I, Qt::ControlModifier);
    QVERIFY(QTest::qWaitForWindowExposed(&insertData));
    QVERIFY(!Form->isEnabled());
    QVERIFY(!Form->TableData.Active());
    // The greyed window's title-bar close is refused: no program is left without a window.
    Form->close();
    QVERIFY(Form->isVisible());
    QVERIFY(insertData.isVisible());
    auto* list = insertData.findChild<QWidget*>(QStringLiteral("FileListBoxDirectory"));
    list->setFocus();
    QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(list, Qt::Key_Return);
    QTest::mouseClick(insertData.findChild<QWidget*>(QStringLiteral("ButtonInsertData")),
                      Qt::LeftButton);
    QCOMPARE(Messages.Texts(), (QStringList{"2 Data. All Done with Success.",
                                            "2 Data Inserted. All Done with Success."}));
    QVERIFY(!insertData.isVisible());
    QVERIFY(Form->isEnabled());
    QCOMPARE(Counter(), QStringLiteral("Data 1 of 5"));
    const auto* grid = Child<TRecordGrid>("DBGridData");
    QCOMPARE(grid->CellText(5, 1), QStringLiteral("D:\\"));
    QCOMPARE(grid->CellText(5, 2), QStringLiteral("b.txt"));
}

void FormZandrelTest::aboutLabelAnswersAReleaseOverItOnly_data() {
    QTest::addColumn<bool>("pressOver");
    QTest::addColumn<bool>("releaseOver");
    QTest::addColumn<int>("boxes");
    QTest::newRow("pressed and released over it") << true << true << 1;
    QTest::newRow("pressed over it, released outside") << true << false << 0;
    // As when the press went to another widget or window first.
    QTest::newRow("pressed elsewhere, released over it") << false << true << 0;
}

void FormZandrelTest::aboutLabelAnswersAReleaseOverItOnly() {
    QFETCH(bool, pressOver);
    QFETCH(bool, releaseOver);
    QFETCH(int, boxes);
    Start(1);
    auto* label = Child<QLabel>("LabelByQorvin");
    const QPoint over = label->rect().center();
    const QPoint outside(label->width() + 20, over.y());
    if (pressOver)
        QTest::mousePress(label, Qt::LeftButton, {}, over);
    else
        QTest::mousePress(Child<QWidget>("PanelBottom"), Qt::LeftButton, {},
                          label->geometry().topLeft() - QPoint(20, 0));
    QTest::mouseRelease(label, Qt::LeftButton, {}, releaseOver ? over : outside);
    QCOMPARE(Messages.Shown.size(), boxes);
}

using TCommand = std::function<void(TFormZandrel&)>;
Q_DECLARE_METATYPE(TCommand)

void FormZandrelTest::anErrorOfACommandShowsOneBoxFromItsHandler_data() {
    QTest::addColumn<TCommand>("command");
    QTest::addColumn<QString>("text");
    QTest::newRow("navigator click") << TCommand([](TFormZandrel& form) {
        auto* navigator = form.findChild<TRecordNavigator*>(QStringLiteral("DBNavigatorData"));
        QTest::mouseClick(navigator->Button(nbNext), Qt::LeftButton);
    }) << "row refused by the test";
    QTest::newRow("grid key") << TCommand([](TFormZandrel& form) {
        auto* grid = form.findChild<TRecordGrid*>(QStringLiteral("DBGridData"));
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_PageDown);
    }) << "row refused by the test";
    // The pending row is posted before the insert-data window may close the cursor: its
    // refusal is the error, and the window is not reached.
    QTest::newRow("menu Insert, pending row refused") << TCommand([](TFormZandrel& form) {
        QObject::connect(&form, &TFormZandrel::InsertDataRequested, [] {
            throw TDataError(QStringLiteral("SelectedData.db: Table does not exist"));
        });
        QTest::keyClick(&form, Qt::Key_I, Qt::ControlModifier);
    }) << "row refused by the test";
    QTest::newRow("menu command, folder error") << TCommand([](TFormZandrel& form) {
        QObject::connect(&form, &TFormZandrel::FindRequested, [] {
            throw TFileSystemError(TFileSystemError::NotReady, QStringLiteral("E:\\"));
        });
        QTest::keyClick(&form, Qt::Key_F, Qt::ControlModifier);
    }) << "I/O error 21: E:\\.";
}

void FormZandrelTest::anErrorOfACommandShowsOneBoxFromItsHandler() {
    QFETCH(TCommand, command);
    QFETCH(QString, text);
    Start(3, true);
    TypeInto(Child<QLineEdit>("DBEditComents"), RefusedComment);
    command(*Form);
    QCOMPARE(Messages.Shown.size(), 1);
    QCOMPARE(Messages.Shown[0].Kind, TBoxKind::Error);
    QVERIFY2(Messages.Shown[0].Text.contains(text), qPrintable(Messages.Shown[0].Text));
    QCOMPARE(Form->TableData.State(), TCursorState::Edit);
    QCOMPARE(Form->TableData.RecNo(), 1);
    QCOMPARE(Application.Escaped, 0);
}

int main(int argc, char* argv[]) {
    TScriptedMessages messages;
    TCountingApplication application(argc, argv, messages);
    application.SetTitle(Title);
    QApplication::setQuitOnLastWindowClosed(false);
    FormZandrelTest test(messages, application);
    return QTest::qExec(&test, argc, argv);
}

#include "FormZandrelTest.moc"
