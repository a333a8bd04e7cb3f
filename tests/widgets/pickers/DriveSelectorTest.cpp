// The drive selector on fake drives: the entry of each kind of drive in both letter cases, the
// order of Click and Change for picks with the keyboard and the mouse, the folder and file
// lists following a pick, and a drive that has no disc in it.

#include "widgets/pickers/DriveSelector.h"
#include "PickerDrives.h"
#include "ScriptedMessages.h"
#include "widgets/pickers/FileList.h"
#include "widgets/pickers/FolderList.h"

#include <QAbstractItemView>
#include <QSignalSpy>
#include <QTest>

namespace {
// Every kind of drive the selector shows, and one it leaves out.
void AddEveryKind(TFakeFileSystem& files) {
    files.AddDrive(u'C', TDriveType::Fixed, "System Disk");
    files.AddDrive(u'A', TDriveType::Removable, "NEVER READ");
    files.AddDrive(u'D', TDriveType::CdRom, "Photos 2001");
    files.AddDrive(u'E', TDriveType::CdRom, "Taken Out");
    files.SetReady(u'E', false);
    files.AddDrive(u'F', TDriveType::Unknown, "Odd");
    files.AddDrive(u'R', TDriveType::RamDisk, "Scratch");
    TDrive share;
    share.Letter = u'X';
    share.Type = TDriveType::Remote;
    share.Label = "Share Label";
    share.ConnectionName = "\\\\Server\\Share";
    files.AddDrive(share);
    files.AddDrive(u'Y', TDriveType::Remote, "No Connection");
}

// A selector, folder list and file list linked as on the insert-data window, on drives C and
// D (D holds a file and is not chosen).
struct TLinkedPickers {
    explicit TLinkedPickers(TFakeFileSystem& files)
        : Selector(Messages, files)
        , Folders(Messages, files)
        , Files(Messages, files) {
        Selector.SetDirList(&Folders);
        Folders.SetFileList(&Files);
        QObject::connect(&Selector, &TDriveSelector::Click, [this] { Events << "click"; });
        QObject::connect(&Selector, &TDriveSelector::Change, [this] {
            Events << QStringLiteral("change %1").arg(Selector.ChosenDrive());
        });
        Selector.SetTextCase(tcUpperCase);
        Events.clear();
        Selector.show();
    }

    TScriptedMessages Messages;
    TDriveSelector Selector;
    TFolderList Folders;
    TFileList Files;
    QStringList Events;
};

void PickWithTheMouse(TDriveSelector& selector, int row) {
    selector.showPopup();
    QAbstractItemView* view = selector.view();
    QVERIFY(QTest::qWaitForWindowExposed(view->window()));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, RowCentre(*view, row));
    QTRY_VERIFY(!view->isVisible());
}
} // namespace

class DriveSelectorTest : public QObject {
    Q_OBJECT
private slots:
    void init() { Messages.Shown.clear(); }
    void entriesShowEachKindOfDrive_data();
    void entriesShowEachKindOfDrive();
    void theDriveOfTheCurrentFolderIsChosenAtCreation();
    void anEntryKeepsItsTextWhenADiscIsInserted();
    void pickingADriveFiresClickThenChange_data();
    void pickingADriveFiresClickThenChange();
    void pickingADriveMovesTheFolderAndFileLists();
    void aDriveWithNoDiscShowsTheErrorAndKeepsTheFolder();
    void settingTheChosenDriveInCode();

private:
    TScriptedMessages Messages;
};

void DriveSelectorTest::entriesShowEachKindOfDrive_data() {
    QTest::addColumn<TTextCase>("textCase");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QString>("chosen");

    QTest::newRow("upper case")
        << tcUpperCase
        << QStringList{"A:",           "C: [SYSTEM DISK]",     "D: [PHOTOS 2001]",  "E: []",
                       "R: [SCRATCH]", "X: \\\\SERVER\\SHARE", "Y: [NO CONNECTION]"}
        << "C";
    QTest::newRow("lower case")
        << tcLowerCase
        << QStringList{"a:",           "c: [system disk]",     "d: [photos 2001]",  "e: []",
                       "r: [scratch]", "x: \\\\server\\share", "y: [no connection]"}
        << "c";
}

void DriveSelectorTest::entriesShowEachKindOfDrive() {
    QFETCH(TTextCase, textCase);
    QFETCH(QStringList, texts);
    QFETCH(QString, chosen);
    TFakeFileSystem files;
    AddEveryKind(files);
    TDriveSelector selector(Messages, files);

    selector.SetTextCase(textCase);

    QCOMPARE(TextsOf(*selector.model()), texts);
    using G = TPickerGlyph;
    QCOMPARE(GlyphsOf(*selector.model()),
             (QList<G>{G::Floppy, G::Hard, G::CdRom, G::CdRom, G::Ram, G::Network, G::Network}));
    QCOMPARE(selector.ChosenDrive(), chosen.front());
    QCOMPARE(selector.currentIndex(), 1);
    QCOMPARE(selector.view()->sizeHintForRow(0), std::max(selector.fontMetrics().height(), 11));
}

void DriveSelectorTest::theDriveOfTheCurrentFolderIsChosenAtCreation() {
    TFakeFileSystem files;
    AddEveryKind(files);
    files.SetCurrentFolder("R:\\");

    TDriveSelector selector(Messages, files);

    QCOMPARE(selector.ChosenDrive(), QChar(u'r'));
    QCOMPARE(selector.currentText(), QString("r: [scratch]"));
}

void DriveSelectorTest::anEntryKeepsItsTextWhenADiscIsInserted() {
    TFakeFileSystem files;
    AddEveryKind(files);
    TDriveSelector selector(Messages, files);
    files.SetReady(u'E', true);
    QCOMPARE(selector.itemText(3), QString("e: []"));
    selector.SetTextCase(tcUpperCase); // lists the drives, and reads the labels, again
    QCOMPARE(selector.itemText(3), QString("E: [TAKEN OUT]"));
}

void DriveSelectorTest::pickingADriveFiresClickThenChange_data() {
    QTest::addColumn<bool>("withMouse");
    QTest::newRow("arrow key") << false;
    QTest::newRow("mouse") << true;
}

void DriveSelectorTest::pickingADriveFiresClickThenChange() {
    QFETCH(bool, withMouse);
    TFakeFileSystem files;
    files.AddDrive(u'C', TDriveType::Fixed);
    files.AddDrive(u'D', TDriveType::Fixed);
    TLinkedPickers pickers(files);
    QVERIFY(QTest::qWaitForWindowExposed(&pickers.Selector));

    // The chosen drive again: one change, the folder list untouched.
    if (withMouse)
        PickWithTheMouse(pickers.Selector, 0);
    else
        QTest::keyClick(&pickers.Selector, Qt::Key_Up); // already on the first entry: no pick
    const QStringList sameDrive = withMouse ? QStringList{"click", "change C"} : QStringList{};
    QCOMPARE(pickers.Events, sameDrive);

    // Another drive: a change from setting the drive, then one for the pick.
    pickers.Events.clear();
    if (withMouse)
        PickWithTheMouse(pickers.Selector, 1);
    else
        QTest::keyClick(&pickers.Selector, Qt::Key_Down);
    QCOMPARE(pickers.Events, (QStringList{"click", "change D", "change D"}));
    QCOMPARE(pickers.Selector.ChosenDrive(), QChar(u'D'));
    QCOMPARE(pickers.Folders.CurrentFolder(), QString("D:\\"));
}

void DriveSelectorTest::pickingADriveMovesTheFolderAndFileLists() {
    TFakeFileSystem files;
    files.AddDrive(u'C', TDriveType::Fixed);
    const QString d = files.AddDrive(u'D', TDriveType::Fixed);
    MakeFiles(d + "/DOCS", {"kept there.txt"});
    files.SetCurrentFolder("D:\\DOCS"); // D keeps DOCS as its current folder
    files.SetCurrentFolder("C:");
    TLinkedPickers pickers(files);
    const QSignalSpy listings(&pickers.Files, &TFileList::Change);

    QTest::keyClick(&pickers.Selector, Qt::Key_Down);

    QCOMPARE(pickers.Folders.CurrentFolder(), QString("D:\\DOCS"));
    QCOMPARE(TextsOf(*pickers.Folders.model()), (QStringList{"D:\\", "DOCS"}));
    QCOMPARE(pickers.Files.Folder(), QString("D:\\DOCS"));
    QCOMPARE(pickers.Files.Items(), QStringList{"kept there.txt"});
    QCOMPARE(listings.count(), 1);
    QCOMPARE(QDir::current().canonicalPath(), QDir(d + "/DOCS").canonicalPath());

    // The chosen drive again lists nothing again.
    QTest::keyClick(&pickers.Selector, Qt::Key_Down); // already the last entry
    PickWithTheMouse(pickers.Selector, 1);
    QCOMPARE(listings.count(), 1);
}

void DriveSelectorTest::aDriveWithNoDiscShowsTheErrorAndKeepsTheFolder() {
    TFakeFileSystem files;
    const QString c = files.AddDrive(u'C', TDriveType::Fixed, "SYS");
    MakeFiles(c, {"on c.txt"});
    const QString e = files.AddDrive(u'E', TDriveType::CdRom);
    MakeFiles(e, {"on the disc.txt"});
    files.SetReady(u'E', false);
    TLinkedPickers pickers(files);
    const QString workingBefore = QDir::current().canonicalPath();

    // GIVEN no disc in E: WHEN it is picked THEN the error shows and only the selector moves.
    QTest::keyClick(&pickers.Selector, Qt::Key_Down);
    QCOMPARE(pickers.Messages.Texts(), QStringList{"I/O error 21: E:\\."});
    QCOMPARE(pickers.Messages.Shown.front().Kind, TBoxKind::Error);
    QCOMPARE(pickers.Events, QStringList{"click"});
    QCOMPARE(pickers.Selector.currentText(), QString("E: []"));
    QCOMPARE(pickers.Selector.ChosenDrive(), QChar(u'E'));
    QCOMPARE(pickers.Folders.CurrentFolder(), QString("C:\\"));
    QCOMPARE(pickers.Files.Items(), QStringList{"on c.txt"});
    QCOMPARE(QDir::current().canonicalPath(), workingBefore);

    // WHEN the disc goes in and the same entry is picked THEN nothing moves.
    files.SetReady(u'E', true);
    pickers.Events.clear();
    PickWithTheMouse(pickers.Selector, 1);
    QCOMPARE(pickers.Events, (QStringList{"click", "change E"}));
    QCOMPARE(pickers.Folders.CurrentFolder(), QString("C:\\"));

    // WHEN another drive and then this one are picked THEN the disc is shown.
    QTest::keyClick(&pickers.Selector, Qt::Key_Up);
    QTest::keyClick(&pickers.Selector, Qt::Key_Down);
    QCOMPARE(pickers.Folders.CurrentFolder(), QString("E:\\"));
    QCOMPARE(pickers.Files.Items(), QStringList{"on the disc.txt"});
    QCOMPARE(pickers.Messages.Shown.size(), 1);
}

void DriveSelectorTest::settingTheChosenDriveInCode() {
    TFakeFileSystem files;
    files.AddDrive(u'C', TDriveType::Fixed);
    files.AddDrive(u'E', TDriveType::CdRom);
    files.SetReady(u'E', false);
    TLinkedPickers pickers(files);

    QVERIFY_THROWS_EXCEPTION(TFileSystemError, pickers.Selector.SetChosenDrive(u'e'));
    QCOMPARE(pickers.Selector.ChosenDrive(), QChar(u'E'));
    QCOMPARE(pickers.Events, QStringList{});

    pickers.Selector.SetChosenDrive(u'c');
    QCOMPARE(pickers.Events, QStringList{"change C"});
    pickers.Selector.SetChosenDrive(QChar());
    QCOMPARE(pickers.Selector.currentIndex(), -1);
    QCOMPARE(pickers.Selector.ChosenDrive(), QChar());
}

QTEST_MAIN(DriveSelectorTest)
#include "DriveSelectorTest.moc"
