// The boxes' captions, kinds and the error box's full-stop rule, and where the real boxes stand.

#include "ScriptedMessages.h"
#include "widgets/DialogMessages.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>

class MessageServiceTest : public QObject {
    Q_OBJECT

private slots:
    void errorTextGetsAFullStopWhenItsLastCharacterSortsAfterIt_data();
    void errorTextGetsAFullStopWhenItsLastCharacterSortsAfterIt();
    void boxesAreCaptionedWithTheApplicationTitle();
    void realBoxesStandInTheMiddleOfTheScreen_data();
    void realBoxesStandInTheMiddleOfTheScreen();
};

void MessageServiceTest::errorTextGetsAFullStopWhenItsLastCharacterSortsAfterIt_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << "Table does not exist"
                            << "Table does not exist.";
    QTest::newRow("digit") << "I/O error 21"
                           << "I/O error 21.";
    QTest::newRow("full stop already") << "File not found."
                                       << "File not found.";
    QTest::newRow("exclamation sorts before") << "Stop!"
                                              << "Stop!";
    QTest::newRow("closing bracket sorts before") << "Failed (locked)"
                                                  << "Failed (locked)";
    QTest::newRow("slash sorts after") << "D:\\DOCS/"
                                       << "D:\\DOCS/.";
    QTest::newRow("empty") << ""
                           << "";
}

void MessageServiceTest::errorTextGetsAFullStopWhenItsLastCharacterSortsAfterIt() {
    QFETCH(QString, text);
    QFETCH(QString, shown);
    TScriptedMessages messages;
    messages.ShowError(text);
    QCOMPARE(messages.Shown.size(), 1);
    QCOMPARE(messages.Shown[0].Kind, TBoxKind::Error);
    QCOMPARE(messages.Shown[0].Text, shown);
}

void MessageServiceTest::boxesAreCaptionedWithTheApplicationTitle() {
    QCoreApplication::setApplicationName(QStringLiteral("Title of the test"));
    TScriptedMessages messages;
    messages.ShowMessage(QStringLiteral("Not Available"));
    messages.ShowError(std::runtime_error("engine failed"));
    messages.Answers = {true};
    QVERIFY(messages.ConfirmDelete());
    QCOMPARE(messages.Shown.size(), 3);
    QCOMPARE(messages.Shown[0].Caption, QStringLiteral("Title of the test"));
    QCOMPARE(messages.Shown[0].Kind, TBoxKind::Information);
    QCOMPARE(messages.Shown[1].Caption, QStringLiteral("Title of the test"));
    QCOMPARE(messages.Shown[1].Text, QStringLiteral("engine failed."));
    QCOMPARE(messages.Shown[2].Caption, QStringLiteral("Confirm"));
}

void MessageServiceTest::realBoxesStandInTheMiddleOfTheScreen_data() {
    QTest::addColumn<QString>("text");
    QTest::newRow("short") << "Not Available";
    QTest::newRow("wide, wrapping") << QStringLiteral("32,201 Data. All Done with Success. Bytes: "
                                                      "1,234,567.\n3 folders or files could not be "
                                                      "catalogued; the first: %1")
                                           .arg(QString(300, QLatin1Char('x')));
}

void MessageServiceTest::realBoxesStandInTheMiddleOfTheScreen() {
    QFETCH(QString, text);
    TDialogMessages messages;
    QRect placed;
    QTimer::singleShot(0, this, [&placed] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        placed = box->frameGeometry();
        box->defaultButton()->click();
    });
    messages.ShowMessage(text);
    const QPoint middle = QGuiApplication::primaryScreen()->availableGeometry().center();
    QVERIFY2((placed.center() - middle).manhattanLength() <= 2,
             qPrintable(QStringLiteral("box at %1,%2 %3x%4")
                            .arg(placed.x())
                            .arg(placed.y())
                            .arg(placed.width())
                            .arg(placed.height())));
}

QTEST_MAIN(MessageServiceTest)
#include "MessageServiceTest.moc"
