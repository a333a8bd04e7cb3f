// The file list on fake drives: masks of several patterns, attributes, glyphs, the order of
// the entries, the hour-glass of long listings, selection with the mouse and the keyboard,
// listings that fail part-way and names no list can show.

#include "widgets/pickers/FileList.h"
#include "PickerDrives.h"
#include "ScriptedMessages.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {
// D:\FILES with plain, odd and special entries.
QString MakeFilesFolder(TFakeFileSystem& files) {
    const QString root = files.AddDrive(u'D', TDriveType::Fixed);
    QString folder = root + "/FILES";
    MakeFiles(folder, {"a.txt", "b.doc", "c.TXT", "d.bin", "e f.txt", " lead.txt", ".hidden.txt",
                       "Setup.EXE", "run.com", "go.bat", "old.pif"});
    MakeFifo(folder + "/pipe.txt");
    QDir().mkpath(folder + "/sub.txt");
    MakeFile(folder + "/locked.txt");
    QFile::setPermissions(folder + "/locked.txt", QFileDevice::ReadOwner);
    files.SetCurrentFolder("D:\\FILES");
    return folder;
}

// 001.txt, 002.txt ... in a folder of their own on drive D, which becomes current.
void MakeNumberedFiles(TFakeFileSystem& files, int count) {
    const QString folder = files.AddDrive(u'D', TDriveType::Fixed) + "/MANY";
    QStringList names;
    for (int n = 1; n <= count; ++n)
        names << QStringLiteral("%1.txt").arg(n, 3, 10, QLatin1Char('0'));
    MakeFiles(folder, names);
    files.SetCurrentFolder("D:\\MANY");
}

QList<int> SelectedRows(const TFileList& list) {
    QList<int> rows;
    for (int row = 0; row < list.Count(); ++row)
        if (list.EntrySelected(row))
            rows << row;
    return rows;
}
} // namespace

class FileListTest : public QObject {
    Q_OBJECT
private slots:
    void init() { Messages.Shown.clear(); }
    void masksOfSeveralPatternsAreSearchedOneByOne_data();
    void masksOfSeveralPatternsAreSearchedOneByOne();
    void fileTypesChooseTheEntries_data();
    void fileTypesChooseTheEntries();
    void glyphsFollowTheKindOfEntry();
    void rowsGrowToTheGlyphHeightWhenGlyphsAreShown();
    void theHourGlassShowsOnceAnEntryLandsAtPosition100_data();
    void theHourGlassShowsOnceAnEntryLandsAtPosition100();
    void aLongListingStaysUsable();
    void extendedSelectionWithClicksAndKeys();
    void aFreshListingSelectsNothingAndEmitsChangeOnce();
    void keyPressComesBeforeTheListsOwnHandling();
    void doubleClickFollowsTheFirstClicksSelection();
    void aDisabledListKeepsItsEntriesAndSelection();
    void aFolderThatCannotBeEnteredLeavesTheEntries();
    void aListingEndedByAReadErrorShowsWhatItReadAndTheError();
    void namesItCannotShowAreCountedNotDropped();

private:
    TScriptedMessages Messages;
};

void FileListTest::masksOfSeveralPatternsAreSearchedOneByOne_data() {
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QStringList>("items");

    QTest::newRow("default") << "*.*"
                             << QStringList{" lead.txt", "a.txt",   "b.doc",    "c.TXT",
                                            "d.bin",     "e f.txt", "go.bat",   "locked.txt",
                                            "old.pif",   "run.com", "Setup.EXE"};
    QTest::newRow("two kinds") << "*.txt;*.doc"
                               << QStringList{" lead.txt", "a.txt",   "b.doc",
                                              "c.TXT",     "e f.txt", "locked.txt"};
    QTest::newRow("matched twice")
        << "*.txt;*.*"
        << QStringList{" lead.txt",  " lead.txt", "a.txt",   "a.txt",    "b.doc",  "c.TXT",
                       "c.TXT",      "d.bin",     "e f.txt", "e f.txt",  "go.bat", "locked.txt",
                       "locked.txt", "old.pif",   "run.com", "Setup.EXE"};
    QTest::newRow("empty mask") << "" << QStringList{};
    QTest::newRow("empty piece") << "*.doc;" << QStringList{"b.doc"};
    QTest::newRow("blank before a pattern") << " *.txt" << QStringList{" lead.txt"};
    QTest::newRow("blanks around the ;") << "*.doc ; *.bin" << QStringList{};
    QTest::newRow("a name with a blank") << "e f.txt" << QStringList{"e f.txt"};
    QTest::newRow("nothing matches") << "*.xyz" << QStringList{};
}

void FileListTest::masksOfSeveralPatternsAreSearchedOneByOne() {
    QFETCH(QString, mask);
    QFETCH(QStringList, items);
    TFakeFileSystem files;
    MakeFilesFolder(files);
    TFileList list(Messages, files);

    list.SetMask(mask);

    QCOMPARE(list.Items(), items);
    QCOMPARE(list.Mask(), mask);
}

void FileListTest::fileTypesChooseTheEntries_data() {
    QTest::addColumn<TFileType>("types");
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QStringList>("items");

    const QStringList plain{" lead.txt", "a.txt", "c.TXT", "e f.txt", "locked.txt"};
    QTest::newRow("normal") << TFileType(ftNormal) << "*.txt" << plain;
    QTest::newRow("hidden") << (ftNormal | ftHidden) << "*.txt"
                            << QStringList{" lead.txt", ".hidden.txt", "a.txt",
                                           "c.TXT",     "e f.txt",     "locked.txt"};
    QTest::newRow("system") << (ftNormal | ftSystem) << "*.txt"
                            << QStringList{" lead.txt", "a.txt",      "c.TXT",
                                           "e f.txt",   "locked.txt", "pipe.txt"};
    QTest::newRow("folders too") << (ftNormal | ftDirectory) << "*.txt"
                                 << QStringList{" lead.txt", "[sub.txt]", "a.txt",
                                                "c.TXT",     "e f.txt",   "locked.txt"};
    QTest::newRow("folders only, dots too")
        << TFileType(ftDirectory) << "*.*" << QStringList{"[..]", "[.]", "[sub.txt]"};
    QTest::newRow("read-only only")
        << TFileType(ftReadOnly) << "*.txt" << QStringList{"locked.txt"};
    QTest::newRow("archive only") << TFileType(ftArchive) << "*.txt" << plain;
}

void FileListTest::fileTypesChooseTheEntries() {
    QFETCH(TFileType, types);
    QFETCH(QString, mask);
    QFETCH(QStringList, items);
    TFakeFileSystem files;
    MakeFilesFolder(files);
    TFileList list(Messages, files);
    list.SetMask(mask);

    list.SetFileType(types);

    QCOMPARE(list.Items(), items);
}

void FileListTest::glyphsFollowTheKindOfEntry() {
    TFakeFileSystem files;
    MakeFilesFolder(files);
    TFileList list(Messages, files);
    list.SetShowGlyphs(true);
    list.SetFileType(ftNormal | ftDirectory);
    list.SetMask("*.exe;*.com;*.bat;*.pif;*.doc;sub.txt");

    QCOMPARE(list.Items(),
             (QStringList{"[sub.txt]", "b.doc", "go.bat", "old.pif", "run.com", "Setup.EXE"}));
    using G = TPickerGlyph;
    QCOMPARE(GlyphsOf(*list.model()), (QList<G>{G::ClosedFolder, G::UnknownFile, G::Executable,
                                                G::Executable, G::Executable, G::Executable}));
}

void FileListTest::rowsGrowToTheGlyphHeightWhenGlyphsAreShown() {
    TFakeFileSystem files;
    MakeFilesFolder(files);
    QFont small = QApplication::font();
    small.setPixelSize(9); // a line height under the glyphs' 16
    TFileList list(Messages, files);
    list.setFont(small);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    const int plainHeight = list.fontMetrics().height();
    QVERIFY(plainHeight < 16);
    QTRY_COMPARE(list.visualRect(list.model()->index(1, 0)).top(), plainHeight);

    list.SetShowGlyphs(true);

    QTRY_COMPARE(list.visualRect(list.model()->index(1, 0)).top(), 16);
}

void FileListTest::theHourGlassShowsOnceAnEntryLandsAtPosition100_data() {
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("descending");
    QTest::addColumn<bool>("hourGlass");

    QTest::newRow("100 ascending") << 100 << false << false;
    QTest::newRow("101 ascending") << 101 << false << true;
    QTest::newRow("150 ascending") << 150 << false << true;
    QTest::newRow("150 descending") << 150 << true << false;
}

void FileListTest::theHourGlassShowsOnceAnEntryLandsAtPosition100() {
    QFETCH(int, count);
    QFETCH(bool, descending);
    QFETCH(bool, hourGlass);
    TArrivalOrderFileSystem files;
    MakeNumberedFiles(files, count);
    files.Descending = descending;
    TFileList list(Messages, files);
    QApplication::setOverrideCursor(Qt::CrossCursor);
    files.PointerAtSearch.clear();

    // The second, empty search looks at the pointer the first one left.
    list.SetMask("*.txt;*.none");

    QCOMPARE(
        files.PointerAtSearch,
        (QList<Qt::CursorShape>{Qt::CrossCursor, hourGlass ? Qt::WaitCursor : Qt::CrossCursor}));
    QCOMPARE(QApplication::overrideCursor()->shape(), Qt::CrossCursor);
    QApplication::restoreOverrideCursor();
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QCOMPARE(list.Count(), count);
    QCOMPARE(list.Items().front(), QString("001.txt"));
}

void FileListTest::aLongListingStaysUsable() {
    TFakeFileSystem files;
    MakeNumberedFiles(files, 300);
    TFileList list(Messages, files);
    list.SetMultiSelect(true);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));

    QTest::keyClick(&list, Qt::Key_End);
    QTest::keyClick(&list, Qt::Key_Up, Qt::ShiftModifier);
    QCOMPARE(SelectedRows(list), (QList<int>{298, 299}));
    QCOMPARE(QApplication::overrideCursor(), nullptr);
}

void FileListTest::extendedSelectionWithClicksAndKeys() {
    TFakeFileSystem files;
    MakeNumberedFiles(files, 8);
    TFileList list(Messages, files);
    list.SetMultiSelect(true);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QWidget* area = list.viewport();

    QTest::mouseClick(area, Qt::LeftButton, {}, RowCentre(list, 1));
    QTest::mouseClick(area, Qt::LeftButton, Qt::ShiftModifier, RowCentre(list, 4));
    QCOMPARE(SelectedRows(list), (QList<int>{1, 2, 3, 4}));
    QTest::mouseClick(area, Qt::LeftButton, Qt::ControlModifier, RowCentre(list, 2));
    QTest::mouseClick(area, Qt::LeftButton, Qt::ControlModifier, RowCentre(list, 6));
    QCOMPARE(SelectedRows(list), (QList<int>{1, 3, 4, 6}));
    QTest::mouseClick(area, Qt::LeftButton, {}, RowCentre(list, 5));
    QCOMPARE(SelectedRows(list), (QList<int>{5}));
    QTest::keyClick(&list, Qt::Key_Down, Qt::ShiftModifier);
    QTest::keyClick(&list, Qt::Key_Down, Qt::ShiftModifier);
    QCOMPARE(SelectedRows(list), (QList<int>{5, 6, 7}));
    QTest::keyClick(&list, Qt::Key_Up);
    QCOMPARE(SelectedRows(list), (QList<int>{6}));

    list.SetMultiSelect(false);
    QTest::mouseClick(area, Qt::LeftButton, Qt::ControlModifier, RowCentre(list, 2));
    QTest::mouseClick(area, Qt::LeftButton, Qt::ShiftModifier, RowCentre(list, 4));
    QCOMPARE(SelectedRows(list), (QList<int>{4}));
}

void FileListTest::aFreshListingSelectsNothingAndEmitsChangeOnce() {
    TFakeFileSystem files;
    MakeFilesFolder(files);
    TFileList list(Messages, files);
    list.SetMultiSelect(true);
    const QSignalSpy changes(&list, &TFileList::Change);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));

    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, RowCentre(list, 1));
    QCOMPARE(changes.count(), 1);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, RowCentre(list, 1));
    QCOMPARE(changes.count(), 1); // the focused entry did not move
    QTest::keyClick(&list, Qt::Key_Down);
    QCOMPARE(changes.count(), 2);

    list.SetMask("*.txt");
    QCOMPARE(changes.count(), 3);
    QCOMPARE(SelectedRows(list), QList<int>{});
    list.SetMask("*.txt"); // the same mask lists nothing again
    QCOMPARE(changes.count(), 3);
}

void FileListTest::keyPressComesBeforeTheListsOwnHandling() {
    TFakeFileSystem files;
    MakeFilesFolder(files);
    TFileList list(Messages, files);
    QList<QChar> keys;
    QList<int> rowsAtKey;
    QObject::connect(&list, &TFileList::KeyPress, [&](QChar key) {
        keys << key;
        rowsAtKey << list.currentIndex().row();
    });
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, RowCentre(list, 0));

    QTest::keyClick(&list, Qt::Key_D);
    QTest::keyClick(&list, Qt::Key_Return);

    QCOMPARE(keys, (QList<QChar>{u'd', QChar(13)}));
    QCOMPARE(rowsAtKey, (QList<int>{0, 4}));
    QCOMPARE(list.currentIndex().row(), 4); // then the list's own search found d.bin
}

void FileListTest::doubleClickFollowsTheFirstClicksSelection() {
    TFakeFileSystem files;
    MakeFilesFolder(files);
    TFileList list(Messages, files);
    list.SetMultiSelect(true);
    QList<QList<int>> selectionAtDoubleClick;
    QObject::connect(&list, &TFileList::DblClick,
                     [&] { selectionAtDoubleClick << SelectedRows(list); });
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, RowCentre(list, 0));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, Qt::ShiftModifier, RowCentre(list, 2));

    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, RowCentre(list, 3));

    QCOMPARE(selectionAtDoubleClick, (QList<QList<int>>{{3}}));
}

void FileListTest::aDisabledListKeepsItsEntriesAndSelection() {
    TFakeFileSystem files;
    MakeFilesFolder(files);
    TFileList list(Messages, files);
    list.SetMultiSelect(true);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, RowCentre(list, 2));

    list.setEnabled(false);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, RowCentre(list, 4));
    QTest::keyClick(&list, Qt::Key_Down);

    QCOMPARE(SelectedRows(list), QList<int>{2});
    QCOMPARE(list.Count(), 11);
}

void FileListTest::aFolderThatCannotBeEnteredLeavesTheEntries() {
    TFakeFileSystem files;
    const QString folder = MakeFilesFolder(files);
    QDir().mkpath(folder + "/GONE");
    TFileList list(Messages, files);
    const QStringList before = list.Items();
    QDir(folder + "/GONE").removeRecursively();

    QVERIFY_THROWS_EXCEPTION(TFileSystemError, list.SetFolder("D:\\FILES\\GONE"));

    QCOMPARE(list.Items(), before);
    QCOMPARE(list.Folder(), QString("D:\\FILES"));
    QCOMPARE(files.CurrentFolder(), QString("D:\\FILES"));
}

// The folder's 14 entries are read, then EIO.
void FileListTest::aListingEndedByAReadErrorShowsWhatItReadAndTheError() {
    TFakeFileSystem files;
    MakeNumberedFiles(files, 12);
    TFileList list(Messages, files);
    QVERIFY(files.FailListing("D:\\MANY", 14, EIO));

    list.SetMask("*.txt");

    QCOMPARE(list.Count(), 12);
    QCOMPARE(Messages.Texts(), QStringList{"I/O error 1117: D:\\MANY."});
    QCOMPARE(Messages.Shown.front().Kind, TBoxKind::Error);
}

// D:\ODD holds "zz\back.txt" and "caf\xe9.txt", which no list can show.
void FileListTest::namesItCannotShowAreCountedNotDropped() {
    TFakeFileSystem files;
    const QByteArray folder = QFile::encodeName(files.AddDrive(u'D', TDriveType::Fixed)) + "/ODD";
    QVERIFY(mkdir(folder.constData(), 0755) == 0);
    for (const char* name : {"/zz\\back.txt", "/caf\xe9.txt"})
        QVERIFY(close(open(folder + name, O_WRONLY | O_CREAT, 0644)) == 0);
    files.SetCurrentFolder("D:\\ODD");
    TFileList list(Messages, files);

    QCOMPARE(list.Count(), 0);
    QCOMPARE(list.LeftOutCount(), 2);
    // The first in name order, told as the scan tells it.
    QCOMPARE(list.FirstLeftOut(), "Name is not valid UTF-8: D:\\ODD\\caf\ufffd.txt");
    list.SetFileType(ftReadOnly); // which neither is
    QCOMPARE(list.LeftOutCount(), 0);
}

QTEST_MAIN(FileListTest)
#include "FileListTest.moc"
