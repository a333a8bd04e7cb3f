// The folder list on fake drives: its lines at a root and deep down, opening lines with the
// mouse and the keyboard, the linked file list following, and folders that cannot be entered.

#include "widgets/pickers/FolderList.h"
#include "PickerDrives.h"
#include "ScriptedMessages.h"
#include "widgets/pickers/FileList.h"

#include <QSignalSpy>
#include <QTest>
#include <unistd.h>

namespace {
QString WorkingDirectory() {
    return QDir::current().canonicalPath();
}
} // namespace

namespace {

// A folder list shown with the file list it drives, counting the list's changes.
struct TShownLists {
    TShownLists(TMessageService& messages, TFileSystem& files)
        : List(messages, files)
        , Files(messages, files) {
        List.SetFileList(&Files);
        List.show();
    }
    TFolderList List;
    TFileList Files;
    QSignalSpy Changes{&List, &TFolderList::Change};
};

} // namespace

class FolderListTest : public QObject {
    Q_OBJECT
private slots:
    void init() { Messages.Shown.clear(); }
    void linesShowThePathThenTheSubFolders_data();
    void linesShowThePathThenTheSubFolders();
    void hiddenAndSystemFoldersAreNeverListed();
    void subFoldersSortWithoutRegardToCaseAndKeepNamesDifferingInCase();
    void namesAreLowerCaseOnAVolumeThatKeepsNoCase();
    void openingALineEntersItsFolder_data();
    void openingALineEntersItsFolder();
    void openingTheCurrentLineChangesNothing();
    void singleClickAndArrowKeysOnlyMoveTheHighlight();
    void aVanishedFolderShowsTheErrorAndChangesNothing();
    void enterOnAVanishedFolderShowsTheError();

private:
    TScriptedMessages Messages;
};

void FolderListTest::linesShowThePathThenTheSubFolders_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<QList<int>>("indents");
    QTest::addColumn<int>("currentRow");

    QTest::newRow("root") << "D:\\" << QStringList{"D:\\", "DOCS", "music"} << QList<int>{2, 10, 10}
                          << 0;
    QTest::newRow("one down") << "D:\\DOCS" << QStringList{"D:\\", "DOCS", "OLD"}
                              << QList<int>{2, 6, 10} << 1;
    QTest::newRow("three down") << "D:\\DOCS\\OLD\\2001"
                                << QStringList{"D:\\", "DOCS", "OLD", "2001", "feb", "Jan"}
                                << QList<int>{2, 6, 10, 14, 18, 18} << 3;
}

void FolderListTest::linesShowThePathThenTheSubFolders() {
    QFETCH(QString, folder);
    QFETCH(QStringList, texts);
    QFETCH(QList<int>, indents);
    QFETCH(int, currentRow);

    TFakeFileSystem files;
    const QString root = files.AddDrive(u'D', TDriveType::CdRom, "DISC");
    QVERIFY(QDir().mkpath(root + "/DOCS/OLD/2001/feb"));
    QVERIFY(QDir().mkpath(root + "/DOCS/OLD/2001/Jan"));
    QVERIFY(QDir().mkpath(root + "/music"));
    MakeFiles(root + "/DOCS/OLD/2001", {"a file is not a folder.txt"});
    files.SetCurrentFolder(folder);

    TFolderList list(Messages, files);
    QCOMPARE(list.CurrentFolder(), folder);
    QCOMPARE(TextsOf(*list.model()), texts);
    QCOMPARE(IndentsOf(*list.model()), indents);
    QCOMPARE(list.ItemIndex(), currentRow);
    QCOMPARE(list.sizeHintForRow(0), std::max(list.fontMetrics().height(), 16));
    const QList<TPickerGlyph> glyphs = GlyphsOf(*list.model());
    for (int row = 0; row < glyphs.size(); ++row)
        QCOMPARE(glyphs[row], row < currentRow    ? TPickerGlyph::OpenFolder
                              : row == currentRow ? TPickerGlyph::CurrentFolder
                                                  : TPickerGlyph::ClosedFolder);
}

void FolderListTest::hiddenAndSystemFoldersAreNeverListed() {
    TFakeFileSystem files;
    const QString root = files.AddDrive(u'C', TDriveType::Fixed);
    QVERIFY(QDir().mkpath(root + "/.hidden"));
    QVERIFY(QDir().mkpath(root + "/shown"));
    MakeFifo(root + "/pipe");
    MakeFiles(root, {"file.txt", ".hidden file"});

    TFolderList list(Messages, files);
    QCOMPARE(TextsOf(*list.model()), (QStringList{"C:\\", "shown"}));
}

void FolderListTest::subFoldersSortWithoutRegardToCaseAndKeepNamesDifferingInCase() {
    TFakeFileSystem files;
    const QString root = files.AddDrive(u'C', TDriveType::Fixed);
    for (const char* name : {"beta", "Alpha", "DOCS", "Docs", "gamma", "Zulu"})
        QVERIFY(QDir(root).mkdir(name));

    TFolderList list(Messages, files);
    const QStringList texts = TextsOf(*list.model());
    QCOMPARE(texts.size(), 7);
    QCOMPARE(texts.mid(1, 2), (QStringList{"Alpha", "beta"}));
    QCOMPARE(QSet<QString>(texts.begin() + 3, texts.begin() + 5), (QSet<QString>{"DOCS", "Docs"}));
    QCOMPARE(texts.mid(5), (QStringList{"gamma", "Zulu"}));
}

void FolderListTest::namesAreLowerCaseOnAVolumeThatKeepsNoCase() {
    TFakeFileSystem files;
    TDrive drive;
    drive.Letter = u'A';
    drive.Type = TDriveType::Removable;
    drive.CaseSensitive = false;
    drive.CasePreserving = false;
    const QString root = files.AddDrive(drive);
    QVERIFY(QDir().mkpath(root + "/GAMES/Old"));
    files.SetCurrentFolder("A:\\GAMES");

    TFolderList list(Messages, files);
    QCOMPARE(TextsOf(*list.model()), (QStringList{"a:\\", "games", "old"}));
    QCOMPARE(list.CurrentFolder(), QString("A:\\GAMES")); // the folder itself keeps its case
}

void FolderListTest::openingALineEntersItsFolder_data() {
    QTest::addColumn<int>("row");
    QTest::addColumn<bool>("byKey");
    QTest::addColumn<QString>("entered");
    QTest::addColumn<QStringList>("texts");

    const QStringList atRoot{"D:\\", "DOCS", "music"};
    const QStringList inNew{"D:\\", "DOCS", "OLD", "2001"};
    QTest::newRow("root line, double click") << 0 << false << "D:\\" << atRoot;
    QTest::newRow("root line, Enter") << 0 << true << "D:\\" << atRoot;
    QTest::newRow("path line") << 1 << false << "D:\\DOCS" << QStringList{"D:\\", "DOCS", "OLD"};
    QTest::newRow("sub-folder, double click") << 3 << false << "D:\\DOCS\\OLD\\2001" << inNew;
    QTest::newRow("sub-folder, Enter") << 3 << true << "D:\\DOCS\\OLD\\2001" << inNew;
}

void FolderListTest::openingALineEntersItsFolder() {
    QFETCH(int, row);
    QFETCH(bool, byKey);
    QFETCH(QString, entered);
    QFETCH(QStringList, texts);

    TFakeFileSystem files;
    const QString root = files.AddDrive(u'D', TDriveType::Fixed, "DATA");
    QVERIFY(QDir().mkpath(root + "/DOCS/OLD/2001"));
    QVERIFY(QDir().mkpath(root + "/music"));
    MakeFiles(root, {"top.txt"});
    MakeFiles(root + "/DOCS", {"docs.txt"});
    MakeFiles(root + "/DOCS/OLD/2001", {"old.txt"});
    files.SetCurrentFolder("D:\\DOCS\\OLD");

    TShownLists shown(Messages, files);
    QVERIFY(QTest::qWaitForWindowExposed(&shown.List));
    TFolderList& list = shown.List;
    TFileList& fileList = shown.Files;
    const QSignalSpy& changes = shown.Changes;

    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, RowCentre(list, row));
    QCOMPARE(list.ItemIndex(), row);
    if (byKey)
        QTest::keyClick(&list, Qt::Key_Return);
    else
        QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, RowCentre(list, row));

    QCOMPARE(list.CurrentFolder(), entered);
    QCOMPARE(TextsOf(*list.model()), texts);
    QCOMPARE(list.ItemIndex(), static_cast<int>(entered.count(u'\\')) - (entered.endsWith(u'\\')));
    QCOMPARE(changes.count(), 1);
    QCOMPARE(fileList.Folder(), entered);
    QCOMPARE(files.CurrentFolder(), entered);
    QCOMPARE(WorkingDirectory(), QDir(files.RealPath(entered)).canonicalPath());
    const QString expectedFile =
        QDir(files.RealPath(entered)).entryList(QDir::Files | QDir::NoDotAndDotDot).value(0);
    QCOMPARE(fileList.Items(), QStringList{expectedFile});
}

void FolderListTest::openingTheCurrentLineChangesNothing() {
    TFakeFileSystem files;
    const QString root = files.AddDrive(u'D', TDriveType::Fixed);
    QVERIFY(QDir().mkpath(root + "/DOCS"));
    files.SetCurrentFolder("D:\\DOCS");
    TShownLists shown(Messages, files);
    QVERIFY(QTest::qWaitForWindowExposed(&shown.List));
    TFolderList& list = shown.List;
    const QSignalSpy& changes = shown.Changes;
    const QSignalSpy listings(&shown.Files, &TFileList::Change);
    const QModelIndex lineBefore = list.model()->index(1, 0);

    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, RowCentre(list, 1));
    QTest::keyClick(&list, Qt::Key_Return);

    QCOMPARE(changes.count(), 0);
    QCOMPARE(listings.count(), 0);
    // Rebuilding the lines would have reset the model and lost this index.
    QVERIFY(QPersistentModelIndex(lineBefore).isValid());
    QCOMPARE(list.CurrentFolder(), QString("D:\\DOCS"));
}

void FolderListTest::singleClickAndArrowKeysOnlyMoveTheHighlight() {
    TFakeFileSystem files;
    const QString root = files.AddDrive(u'D', TDriveType::Fixed);
    QVERIFY(QDir().mkpath(root + "/A"));
    QVERIFY(QDir().mkpath(root + "/B"));
    TShownLists shown(Messages, files);
    QVERIFY(QTest::qWaitForWindowExposed(&shown.List));
    TFolderList& list = shown.List;
    const QSignalSpy& changes = shown.Changes;

    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, RowCentre(list, 1));
    QTest::keyClick(&list, Qt::Key_Down);
    QCOMPARE(list.ItemIndex(), 2);
    QCOMPARE(list.CurrentFolder(), QString("D:\\"));
    QCOMPARE(changes.count(), 0);
}

void FolderListTest::aVanishedFolderShowsTheErrorAndChangesNothing() {
    TFakeFileSystem files;
    const QString root = files.AddDrive(u'D', TDriveType::Fixed);
    QVERIFY(QDir().mkpath(root + "/DOCS/GONE"));
    MakeFiles(root + "/DOCS", {"kept.txt"});
    files.SetCurrentFolder("D:\\DOCS");
    TShownLists shown(Messages, files);
    QVERIFY(QTest::qWaitForWindowExposed(&shown.List));
    TFolderList& list = shown.List;
    TFileList& fileList = shown.Files;
    const QSignalSpy& changes = shown.Changes;
    const QStringList linesBefore = TextsOf(*list.model());
    const QString workingBefore = WorkingDirectory();

    QVERIFY(QDir(root + "/DOCS/GONE").removeRecursively());
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, RowCentre(list, 2));

    QCOMPARE(Messages.Texts(), QStringList{"File not found: D:\\DOCS\\GONE."});
    QCOMPARE(TextsOf(*list.model()), linesBefore);
    QCOMPARE(list.CurrentFolder(), QString("D:\\DOCS"));
    QCOMPARE(fileList.Items(), QStringList{"kept.txt"});
    QCOMPARE(fileList.Folder(), QString("D:\\DOCS"));
    QCOMPARE(WorkingDirectory(), workingBefore);
    QCOMPARE(changes.count(), 0);
}

void FolderListTest::enterOnAVanishedFolderShowsTheError() {
    TFakeFileSystem files;
    const QString root = files.AddDrive(u'D', TDriveType::Fixed);
    QVERIFY(QDir().mkpath(root + "/GONE"));
    TFolderList list(Messages, files);
    QVERIFY(QDir(root + "/GONE").removeRecursively());
    list.SetItemIndex(1);
    QTest::keyClick(&list, Qt::Key_Return);
    QCOMPARE(Messages.Texts(), QStringList{"File not found: D:\\GONE."});
    QCOMPARE(list.CurrentFolder(), QString("D:\\"));
}

QTEST_MAIN(FolderListTest)
#include "FolderListTest.moc"
