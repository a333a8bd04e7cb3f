// The tree scanner on real folder trees behind fake drives: the order of its events, where
// a walk starts, stopping, odd entries, failing handlers and folders, links and deep trees.

#include "scan/TreeScanner.h"
#include "platform/FakeFileSystem.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A fake drive D: (and C:) with a scanner on it that writes every event into Events.
struct TScanFixture {
    TScanFixture() {
        CRoot = Files.AddDrive(u'C', TDriveType::Fixed);
        DRoot = Files.AddDrive(u'D', TDriveType::CdRom, QStringLiteral("DISC"));
        Scanner.InitialDirectory = QStringLiteral("D:\\");
        Scanner.FileMask = QStringLiteral("*.*");
        Scanner.OnDirectoryFound = [this](TTreeScanner& sender) {
            Record(sender, QStringLiteral("found ") + sender.FileFound());
        };
        Scanner.OnFileFound = [this](TTreeScanner& sender) {
            Record(sender,
                   QStringLiteral("file %1 %2").arg(sender.FileFound()).arg(sender.FileSize()));
        };
        Scanner.OnDirectoryDone = [this](TTreeScanner& sender) {
            Record(sender, QStringLiteral("done"));
        };
    }

    void Record(const TTreeScanner& sender, const QString& event) {
        Events << event;
        if (&sender != &Scanner || !sender.SearchInProgress())
            ++Misfires;
    }

    // Under drive D's real folder; `path` uses '/'.
    QString Real(const QString& path) const { return DRoot + u'/' + path; }
    void MakeFolder(const QString& path) const { QVERIFY(QDir().mkpath(Real(path))); }
    // Makes the folders on the way too.
    void MakeFile(const QString& path, qint64 size = 0) const {
        QVERIFY(QDir().mkpath(QFileInfo(Real(path)).path()));
        QFile file(Real(path));
        QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(file.fileName()));
        QVERIFY(file.resize(size)); // sparse: large sizes cost no disk
    }
    // Root files r1.txt, r2.txt; A with a1..a3 and A\X with x1.txt; B with b1.txt.
    void MakeStopTree() const {
        for (const char* path :
             {"r1.txt", "r2.txt", "A/a1.txt", "A/a2.txt", "A/a3.txt", "A/X/x1.txt", "B/b1.txt"})
            MakeFile(QString::fromLatin1(path));
    }

    TFakeFileSystem Files;
    QString CRoot;
    QString DRoot;
    TTreeScanner Scanner{Files};
    QStringList Events;
    int Misfires = 0; // events from another sender or outside a search
};

const QStringList StopTreeEvents = {
    "found D:\\",    "file r1.txt 0", "file r2.txt 0",    "found D:\\A\\", "file a1.txt 0",
    "file a2.txt 0", "file a3.txt 0", "found D:\\A\\X\\", "file x1.txt 0", "done",
    "done",          "found D:\\B\\", "file b1.txt 0",    "done",          "done"};

// A relative symbolic link at `path` under drive D.
void Link(const TScanFixture& fixture, const char* target, const QString& path) {
    QVERIFY2(symlink(target, QFile::encodeName(fixture.Real(path)).constData()) == 0,
             qPrintable(path));
}

// Reports the folder TWIN as the very folder ORIGINAL, as a bind mount does.
class TTwinFileSystem : public TFakeFileSystem {
public:
    TFindResult Find(const QString& pattern, quint32 attributeMask) override {
        TFindResult result = TFakeFileSystem::Find(pattern, attributeMask);
        const std::optional<TFoundEntry> original = EntryOf(QStringLiteral("D:\\ORIGINAL"));
        for (TFoundEntry& entry : result.Entries)
            if (entry.Name == u"TWIN" && original) {
                entry.Device = original->Device;
                entry.Inode = original->Inode;
            }
        return result;
    }
};

} // namespace

class TreeScannerTest : public QObject {
    Q_OBJECT

private slots:
    void newScannerIsIdleAndEmpty();
    void reportsFoldersPreOrderAndFilesSortedWithoutCase();
    void namesEqualButForCaseAreReportedOnce();
    void sortsInTheUserLocaleOrder_data();
    void sortsInTheUserLocaleOrder();
    void normalisesInitialDirectory_data();
    void normalisesInitialDirectory();
    void reportsTheFilesTheMaskFinds_data();
    void reportsTheFilesTheMaskFinds();
    void stopsBetweenFolders_data();
    void stopsBetweenFolders();
    void stoppedScanLeavesNextScanWhole();
    void reportsHiddenReadOnlyAndSystemFilesButNoDots();
    void idleAgainAfterAHandlerThrows_data();
    void idleAgainAfterAHandlerThrows();
    void foldersThatCannotBeListedAreFoundAndDone_data();
    void foldersThatCannotBeListedAreFoundAndDone();
    void neverFollowsFolderLinks();
    void folderReachedTwiceIsWalkedOnce();
    void walksTwoThousandFoldersDeepOnASmallStack();
};

void TreeScannerTest::newScannerIsIdleAndEmpty() {
    TFakeFileSystem files;
    TTreeScanner scanner(files);
    QVERIFY(!scanner.SearchInProgress());
    QVERIFY(scanner.FileFound().isEmpty());
    QVERIFY(scanner.InitialDirectory.isEmpty());
    QVERIFY(scanner.FileMask.isEmpty());
    QVERIFY(!scanner.OnDirectoryFound && !scanner.OnFileFound && !scanner.OnDirectoryDone);
}

void TreeScannerTest::reportsFoldersPreOrderAndFilesSortedWithoutCase() {
    TScanFixture fixture;
    fixture.MakeFile(QStringLiteral("b.txt"), 2);
    fixture.MakeFile(QStringLiteral("A.txt"), 1);
    fixture.MakeFile(QStringLiteral("c.TXT"), 5'000'000'000); // past 32 bits
    fixture.MakeFolder(QStringLiteral("a"));
    fixture.MakeFolder(QStringLiteral("a-b"));
    fixture.MakeFile(QStringLiteral("a-b/x.txt"));
    fixture.MakeFolder(QStringLiteral("sub/deep"));
    fixture.MakeFile(QStringLiteral("sub/y.txt"));
    fixture.MakeFile(QStringLiteral("sub/deep/z.txt"));
    fixture.MakeFolder(QStringLiteral("Über"));
    fixture.MakeFile(QStringLiteral("Über/Lied.txt"), 7);

    fixture.Scanner.StartSearch();

    // Sub-folders sort on their whole path: "D:\a-b\" comes before "D:\a\" ('-' < '\').
    const QStringList expected = {"found D:\\",
                                  "file A.txt 1",
                                  "file b.txt 2",
                                  "file c.TXT 5000000000",
                                  "found D:\\a-b\\",
                                  "file x.txt 0",
                                  "done",
                                  "found D:\\a\\",
                                  "done",
                                  "found D:\\sub\\",
                                  "file y.txt 0",
                                  "found D:\\sub\\deep\\",
                                  "file z.txt 0",
                                  "done",
                                  "done",
                                  "found D:\\Über\\",
                                  "file Lied.txt 7",
                                  "done",
                                  "done"};
    QCOMPARE(fixture.Events, expected);
    QCOMPARE(fixture.Misfires, 0);
    QVERIFY(!fixture.Scanner.SearchInProgress());
    QVERIFY(fixture.Scanner.ContinueSearch);
    QCOMPARE(fixture.Scanner.FileFound(), QStringLiteral("Lied.txt"));
}

void TreeScannerTest::namesEqualButForCaseAreReportedOnce() {
    TScanFixture fixture;
    fixture.MakeFile(QStringLiteral("same.txt"));
    fixture.MakeFile(QStringLiteral("SAME.TXT"));
    fixture.MakeFile(QStringLiteral("dir/f.txt"));
    fixture.MakeFile(QStringLiteral("DIR/F.txt"));

    fixture.Scanner.StartSearch();

    // Which of the two stays depends on the order the folder lists them.
    QCOMPARE(fixture.Events.size(), 6);
    QVERIFY(QStringList({"file same.txt 0", "file SAME.TXT 0"}).contains(fixture.Events[1]));
    QVERIFY(QStringList({"found D:\\dir\\", "found D:\\DIR\\"}).contains(fixture.Events[2]));
    QVERIFY(QStringList({"file f.txt 0", "file F.txt 0"}).contains(fixture.Events[3]));
}

void TreeScannerTest::sortsInTheUserLocaleOrder_data() {
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QStringList>("expected");
    const QStringList names = {"file apfel.txt 0", "file äpfel.txt 0", "file Birne.txt 0",
                               "file Zebra.txt 0"};
    QTest::newRow("German: umlaut beside its letter")
        << QLocale(QLocale::German, QLocale::Germany) << names;
    QTest::newRow("C: by code point")
        << QLocale::c() << QStringList{names[0], names[2], names[3], names[1]};
}

void TreeScannerTest::sortsInTheUserLocaleOrder() {
    QFETCH(QLocale, locale);
    const QLocale before;
    QLocale::setDefault(locale);
    TScanFixture fixture;
    for (const char* name : {"Zebra.txt", "äpfel.txt", "Birne.txt", "apfel.txt"})
        fixture.MakeFile(QString::fromUtf8(name));

    fixture.Scanner.StartSearch();
    QLocale::setDefault(before);

    QFETCH(QStringList, expected);
    QCOMPARE(fixture.Events.mid(1, 4), expected);
}

void TreeScannerTest::normalisesInitialDirectory_data() {
    QTest::addColumn<QString>("initial");
    QTest::addColumn<QString>("normalised");
    QTest::addColumn<QStringList>("expected");
    const QStringList foo = {"found C:\\FOO\\", "file f.txt 0", "done"};
    QTest::newRow("empty: the current folder")
        << QString() << "D:\\DOCS\\" << QStringList{"found D:\\DOCS\\", "file d.txt 0", "done"};
    QTest::newRow("bare drive: its root, not its current folder")
        << "D:"
        << "D:\\" << QStringList{"found D:\\", "found D:\\DOCS\\", "file d.txt 0", "done", "done"};
    QTest::newRow("no trailing backslash") << "C:\\FOO"
                                           << "C:\\FOO\\" << foo;
    QTest::newRow("trailing backslash") << "C:\\FOO\\"
                                        << "C:\\FOO\\" << foo;
}

void TreeScannerTest::normalisesInitialDirectory() {
    TScanFixture fixture;
    fixture.MakeFile(QStringLiteral("DOCS/d.txt"));
    QVERIFY(QDir().mkpath(fixture.CRoot + "/FOO"));
    QVERIFY(QFile(fixture.CRoot + "/FOO/f.txt").open(QIODevice::WriteOnly));
    fixture.Files.SetCurrentFolder(QStringLiteral("D:\\DOCS"));
    QFETCH(QString, initial);
    fixture.Scanner.InitialDirectory = initial;

    fixture.Scanner.StartSearch();

    QTEST(fixture.Scanner.InitialDirectory, "normalised");
    QTEST(fixture.Events, "expected");
}

void TreeScannerTest::reportsTheFilesTheMaskFinds_data() {
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QStringList>("files");
    const QStringList all = {"a.b.txt", "FILE.TXT", "file1.txt", "README", "inner.in"};
    QTest::newRow("*.*") << "*.*" << all;
    QTest::newRow("*") << "*" << all;
    QTest::newRow("empty") << "" << all;
    QTest::newRow("*.txt") << "*.txt" << QStringList{"a.b.txt", "FILE.TXT", "file1.txt"};
    QTest::newRow("FILE?.TXT") << "FILE?.TXT" << QStringList{"FILE.TXT", "file1.txt"};
    QTest::newRow("README.*") << "README.*" << QStringList{"README"};
    QTest::newRow("nothing matches") << "*.zzz" << QStringList{};
    // A mask with a folder in it searches that folder under each folder walked.
    QTest::newRow("folder in the mask") << "sub.txt\\*.in" << QStringList{"inner.in"};
}

void TreeScannerTest::reportsTheFilesTheMaskFinds() {
    TScanFixture fixture;
    for (const char* name : {"a.b.txt", "FILE.TXT", "file1.txt", "README"})
        fixture.MakeFile(QString::fromLatin1(name));
    fixture.MakeFile(QStringLiteral("sub.txt/inner.in"));
    // As on the insert-data window: only OnFileFound is assigned.
    fixture.Scanner.OnDirectoryFound = nullptr;
    fixture.Scanner.OnDirectoryDone = nullptr;
    QStringList files;
    fixture.Scanner.OnFileFound = [&files](TTreeScanner& sender) {
        files << sender.FileFound();
    };
    QStringList folders;
    fixture.Scanner.ProcessMessages = [&folders] {
        folders << QString::number(folders.size()); // one per folder, matching or not
    };
    QFETCH(QString, mask);
    fixture.Scanner.FileMask = mask;

    fixture.Scanner.StartSearch();

    QTEST(files, "files");
    QCOMPARE(folders.size(), 2);
}

void TreeScannerTest::stopsBetweenFolders_data() {
    QTest::addColumn<QString>("stopAt"); // the event whose handler clears ContinueSearch
    QTest::addColumn<QStringList>("expected");
    // D:\A\ reports all its files; D:\A\X\ and D:\B\ only have their messages processed.
    const QStringList stoppedInA = {
        "messages",      "found D:\\",    "file r1.txt 0", "file r2.txt 0", "messages",
        "found D:\\A\\", "file a1.txt 0", "file a2.txt 0", "file a3.txt 0", "messages",
        "done",          "messages",      "done"};
    QTest::newRow("from OnFileFound: rest of the folder, then only done")
        << "file a1.txt 0" << stoppedInA;
    QTest::newRow("from OnDirectoryFound: that folder's files still come")
        << "found D:\\A\\" << stoppedInA;
    QTest::newRow("from the message processing before D:\\A\\X\\") << "messages 3" << stoppedInA;
    QTest::newRow("from the first message processing: nothing at all")
        << "messages 1" << QStringList{"messages"};
    QTest::newRow("from OnDirectoryDone of D:\\A\\X\\: its parent is done too")
        << "done 1"
        << QStringList{"messages",      "found D:\\",    "file r1.txt 0",    "file r2.txt 0",
                       "messages",      "found D:\\A\\", "file a1.txt 0",    "file a2.txt 0",
                       "file a3.txt 0", "messages",      "found D:\\A\\X\\", "file x1.txt 0",
                       "done",          "done",          "messages",         "done"};
}

void TreeScannerTest::stopsBetweenFolders() {
    TScanFixture fixture;
    fixture.MakeStopTree();
    QFETCH(QString, stopAt);
    // Each event is recorded and, when it is the one named, clears ContinueSearch.
    int messages = 0;
    int dones = 0;
    const auto stopAfter = [&fixture, &stopAt](const TTreeScanner::TEvent& record) {
        return [&fixture, &stopAt, record](TTreeScanner& sender) {
            record(sender);
            if (fixture.Events.last() == stopAt)
                sender.ContinueSearch = false;
        };
    };
    fixture.Scanner.OnFileFound = stopAfter(fixture.Scanner.OnFileFound);
    fixture.Scanner.OnDirectoryFound = stopAfter(fixture.Scanner.OnDirectoryFound);
    fixture.Scanner.OnDirectoryDone = [&](TTreeScanner& sender) {
        fixture.Events << QStringLiteral("done");
        if (QStringLiteral("done %1").arg(++dones) == stopAt)
            sender.ContinueSearch = false;
    };
    fixture.Scanner.ProcessMessages = [&] {
        fixture.Events << QStringLiteral("messages");
        if (QStringLiteral("messages %1").arg(++messages) == stopAt)
            fixture.Scanner.ContinueSearch = false;
    };

    fixture.Scanner.StartSearch();

    QTEST(fixture.Events, "expected");
    QVERIFY(!fixture.Scanner.SearchInProgress());
}

void TreeScannerTest::stoppedScanLeavesNextScanWhole() {
    TScanFixture fixture;
    fixture.MakeStopTree();
    fixture.Scanner.OnFileFound = [](TTreeScanner& sender) {
        sender.ContinueSearch = false;
    };
    fixture.Scanner.StartSearch();
    QVERIFY(!fixture.Scanner.ContinueSearch); // kept until the next scan

    fixture.Events.clear();
    fixture.Scanner.OnFileFound = [&fixture](TTreeScanner& sender) {
        fixture.Events << QStringLiteral("file %1 0").arg(sender.FileFound());
    };
    fixture.Scanner.StartSearch();

    QCOMPARE(fixture.Events, StopTreeEvents);
    QVERIFY(fixture.Scanner.ContinueSearch);
}

void TreeScannerTest::reportsHiddenReadOnlyAndSystemFilesButNoDots() {
    TScanFixture fixture;
    fixture.MakeFile(QStringLiteral(".hidden"), 3);
    fixture.MakeFile(QStringLiteral("ro.txt"), 4);
    QVERIFY(QFile::setPermissions(fixture.Real(QStringLiteral("ro.txt")), QFile::ReadOwner));
    QVERIFY(mkfifo(QFile::encodeName(fixture.Real(QStringLiteral("pipe"))).constData(), 0600) == 0);
    fixture.MakeFile(QStringLiteral(".cache/inside"), 5);

    fixture.Scanner.StartSearch();

    // Below the root the folder lists "." and ".." too: neither is reported or entered.
    const QStringList expected = {
        "found D:\\",         "file .hidden 3", "file pipe 0", "file ro.txt 4",
        "found D:\\.cache\\", "file inside 5",  "done",        "done"};
    QCOMPARE(fixture.Events, expected);
}

void TreeScannerTest::idleAgainAfterAHandlerThrows_data() {
    QTest::addColumn<QString>("thrower");
    QTest::newRow("OnDirectoryFound") << "found";
    QTest::newRow("OnFileFound") << "file";
    QTest::newRow("OnDirectoryDone") << "done";
    QTest::newRow("message processing") << "messages";
}

void TreeScannerTest::idleAgainAfterAHandlerThrows() {
    TScanFixture fixture;
    fixture.MakeStopTree();
    QFETCH(QString, thrower);
    const auto fail = [](TTreeScanner&) {
        throw std::runtime_error("handler failed");
    };
    TTreeScanner::TEvent& failing = thrower == u"found"  ? fixture.Scanner.OnDirectoryFound
                                    : thrower == u"file" ? fixture.Scanner.OnFileFound
                                                         : fixture.Scanner.OnDirectoryDone;
    const TTreeScanner::TEvent kept = failing;
    if (thrower == u"messages")
        fixture.Scanner.ProcessMessages = [] {
            throw std::runtime_error("handler failed");
        };
    else
        failing = fail;

    QVERIFY_THROWS_EXCEPTION(std::runtime_error, fixture.Scanner.StartSearch());
    QVERIFY(!fixture.Scanner.SearchInProgress());

    // The next scan runs whole.
    failing = kept;
    fixture.Scanner.ProcessMessages = nullptr;
    fixture.Events.clear();
    fixture.Scanner.StartSearch();
    QCOMPARE(fixture.Events, StopTreeEvents);
}

void TreeScannerTest::foldersThatCannotBeListedAreFoundAndDone_data() {
    QTest::addColumn<QString>("how");
    QTest::addColumn<QString>("initial");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("gone after its parent listed it")
        << "remove B"
        << "D:\\"
        << QStringList{"found D:\\",    "file r1.txt 0", "file r2.txt 0", "found D:\\A\\",
                       "file a1.txt 0", "file a2.txt 0", "file a3.txt 0", "found D:\\A\\X\\",
                       "file x1.txt 0", "done",          "done",          "found D:\\B\\",
                       "done",          "done"};
    QTest::newRow("missing start folder") << ""
                                          << "D:\\NOPE" << QStringList{"found D:\\NOPE\\", "done"};
    QTest::newRow("drive not ready") << "eject D"
                                     << "D:" << QStringList{"found D:\\", "done"};
    QTest::newRow("no such drive") << ""
                                   << "Q:\\" << QStringList{"found Q:\\", "done"};
    if (geteuid() != 0) // permissions do not hold back root
        QTest::newRow("access denied")
            << "lock A"
            << "D:\\" << QStringList{"found D:\\",    "file r1.txt 0", "file r2.txt 0",
                                     "found D:\\A\\", "done",          "found D:\\B\\",
                                     "file b1.txt 0", "done",          "done"};
}

void TreeScannerTest::foldersThatCannotBeListedAreFoundAndDone() {
    TScanFixture fixture;
    fixture.MakeStopTree();
    QFETCH(QString, how);
    if (how == u"remove B") {
        fixture.Scanner.OnDirectoryFound = [&fixture](TTreeScanner& sender) {
            fixture.Events << QStringLiteral("found ") + sender.FileFound();
            if (sender.FileFound() == u"D:\\A\\")
                QDir(fixture.Real(QStringLiteral("B"))).removeRecursively();
        };
    } else if (how == u"eject D") {
        fixture.Files.SetReady(u'D', false);
    } else if (how == u"lock A") {
        QVERIFY(QFile::setPermissions(fixture.Real(QStringLiteral("A")), {}));
    }
    QFETCH(QString, initial);
    fixture.Scanner.InitialDirectory = initial;

    fixture.Scanner.StartSearch();
    if (how == u"lock A") // so the drive can be cleaned up
        QFile::setPermissions(fixture.Real(QStringLiteral("A")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QTEST(fixture.Events, "expected");
}

void TreeScannerTest::neverFollowsFolderLinks() {
    TScanFixture fixture;
    fixture.MakeFile(QStringLiteral("A/a.txt"), 2);
    fixture.MakeFolder(QStringLiteral("B"));
    Link(fixture, "..", QStringLiteral("A/up"));    // back to the root: a loop
    Link(fixture, ".", QStringLiteral("A/self"));   // a loop of one
    Link(fixture, "../A", QStringLiteral("B/toA")); // a folder reached another way
    Link(fixture, "../A/a.txt", QStringLiteral("B/note.txt"));
    Link(fixture, "nowhere", QStringLiteral("B/dangling"));

    fixture.Scanner.StartSearch();

    // Links to files are files (with their target's size); links to folders are left out.
    const QStringList expected = {"found D:\\",    "found D:\\A\\",   "file a.txt 2",    "done",
                                  "found D:\\B\\", "file dangling 0", "file note.txt 2", "done",
                                  "done"};
    QCOMPARE(fixture.Events, expected);
}

void TreeScannerTest::folderReachedTwiceIsWalkedOnce() {
    TTwinFileSystem files;
    const QString root = files.AddDrive(u'D', TDriveType::Fixed);
    QVERIFY(QDir().mkpath(root + "/ORIGINAL"));
    QVERIFY(QDir().mkpath(root + "/TWIN"));
    QVERIFY(QDir().mkpath(root + "/OTHER"));
    TTreeScanner scanner(files);
    scanner.InitialDirectory = QStringLiteral("D:\\");
    QStringList folders;
    scanner.OnDirectoryFound = [&folders](TTreeScanner& sender) {
        folders << sender.FileFound();
    };

    scanner.StartSearch();

    QCOMPARE(folders, QStringList({"D:\\", "D:\\ORIGINAL\\", "D:\\OTHER\\"}));
}

void TreeScannerTest::walksTwoThousandFoldersDeepOnASmallStack() {
    // On a disk, removing 2,000 nested folders takes seconds; in memory it is instant.
    const QString memory = QStringLiteral("/dev/shm");
    QTemporaryDir disc((QFileInfo(memory).isWritable() ? memory : QDir::tempPath()) +
                       QStringLiteral("/deep-XXXXXX"));
    QVERIFY(disc.isValid());
    TScanFixture fixture;
    TDrive drive;
    drive.Letter = u'E';
    drive.MountRoot = QFile::encodeName(disc.path());
    fixture.Files.AddDrive(drive);
    const int depth = 2000;
    QString chain;
    for (int level = 0; level < depth; ++level)
        chain += QStringLiteral("a/");
    QVERIFY(QDir().mkpath(disc.path() + u'/' + chain));
    QVERIFY(QFile(disc.path() + u'/' + chain + QStringLiteral("bottom.txt"))
                .open(QIODevice::WriteOnly));
    fixture.Scanner.InitialDirectory = QStringLiteral("E:\\");

    // Far less stack than one frame per level would need.
    QThread* scan = QThread::create([&fixture] { fixture.Scanner.StartSearch(); });
    scan->setStackSize(64 * 1024);
    scan->start();
    QVERIFY(scan->wait());
    delete scan;

    const int folders = depth + 1;
    QCOMPARE(fixture.Events.size(), 2 * folders + 1);
    const QString deepest = QStringLiteral("E:\\") + QString(chain).replace(u'/', u'\\');
    QCOMPARE(fixture.Events[folders - 1], QStringLiteral("found ") + deepest);
    QCOMPARE(fixture.Events[folders], QStringLiteral("file bottom.txt 0"));
    QCOMPARE(fixture.Events.mid(folders + 1), QStringList(folders, QStringLiteral("done")));
}

QTEST_GUILESS_MAIN(TreeScannerTest)
#include "TreeScannerTest.moc"
