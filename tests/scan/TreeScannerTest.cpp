// The tree scanner on real folder trees behind fake drives: the order of its events, where
// a walk starts, stopping, odd entries, failing handlers and folders, what it cannot
// catalogue, links and deep trees.

#include "scan/TreeScanner.h"
#include "support/FakeFileSystem.h"
#include "support/ScratchFolder.h"
#include "support/WithoutFileRights.h"

#include <QDir>
#include <QFile>
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <dirent.h>
#include <fcntl.h>
#include <stdexcept>
#include <sys/resource.h>
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
        Scanner.OnProblem = [this](const TScanProblem& problem) {
            Problems << problem.Path + u'|' + problem.Text;
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
    QStringList Problems; // "path|text" of each problem reported
    int Misfires = 0;     // events from another sender or outside a search
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

class TEditedFileSystem;

// A folder of TEditedFileSystem: its listings pass through the file system's Edit.
class TEditedFolder : public TOpenFolder {
public:
    TEditedFolder(std::unique_ptr<TOpenFolder> inner, TEditedFileSystem& files)
        : Inner(std::move(inner))
        , Files(files) {}
    TFindResult Find(const QString& pattern, quint32 attributeMask) override;
    TOpenedFolder OpenSubFolder(const QString& name) override;
    std::pair<quint64, quint64> Identity() override { return Inner->Identity(); }

private:
    std::unique_ptr<TOpenFolder> Inner;
    TEditedFileSystem& Files;
};

// Shows a walk listings that a real disc gives rarely or never (a bind mount's twin, a
// name twice), made by Edit from the real ones.
class TEditedFileSystem : public TFakeFileSystem {
public:
    std::function<void(TFindResult&)> Edit;

    TOpenedFolder OpenFolder(const QString& path) override {
        return Wrap(TFakeFileSystem::OpenFolder(path));
    }
    TOpenedFolder Wrap(TOpenedFolder opened) {
        if (opened.Folder)
            opened.Folder = std::make_unique<TEditedFolder>(std::move(opened.Folder), *this);
        return opened;
    }
};

TFindResult TEditedFolder::Find(const QString& pattern, quint32 attributeMask) {
    TFindResult result = Inner->Find(pattern, attributeMask);
    if (Files.Edit)
        Files.Edit(result);
    return result;
}

TOpenedFolder TEditedFolder::OpenSubFolder(const QString& name) {
    return Files.Wrap(Inner->OpenSubFolder(name));
}

// FileFound at each `event` of a whole scan of D:\ on `files`.
QStringList ReportedOnD(TFileSystem& files, TTreeScanner::TEvent TTreeScanner::*event) {
    TTreeScanner scanner(files);
    scanner.InitialDirectory = QStringLiteral("D:\\");
    QStringList found;
    scanner.*event = [&found](TTreeScanner& sender) {
        found << sender.FileFound();
    };
    scanner.StartSearch();
    return found;
}

// Removes `name` under the open folder `parent` and all it holds, folder by folder, as
// paths past the system's limit cannot be named whole.
void RemoveTree(int parent, const char* name) {
    const int handle = openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (DIR* listing = handle >= 0 ? fdopendir(handle) : nullptr) {
        while (const dirent* item = readdir(listing)) {
            const QByteArray child(item->d_name);
            if (child != "." && child != ".." && unlinkat(handle, child.constData(), 0) != 0)
                RemoveTree(handle, child.constData());
        }
        closedir(listing);
    }
    unlinkat(parent, name, AT_REMOVEDIR);
}

// A chain of `levels` folders all named `name` under `root`, made from each parent so it
// may go past the system's path limit; an empty file "f<level>.txt" at each level listed
// in `withFile` (1 is the first folder). Removed with everything in it at the end.
class TFolderChain {
public:
    TFolderChain(const QString& root, const QByteArray& name, int levels,
                 const QList<int>& withFile)
        : Root(QFile::encodeName(root))
        , Name(name) {
        int parent = open(Root.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        for (int level = 1; level <= levels && parent >= 0; ++level) {
            mkdirat(parent, name.constData(), 0755);
            const int folder = openat(parent, name.constData(), O_RDONLY | O_DIRECTORY);
            close(parent);
            parent = folder;
            if (withFile.contains(level))
                close(openat(parent, ("f" + QByteArray::number(level) + ".txt").constData(),
                             O_WRONLY | O_CREAT | O_CLOEXEC, 0644));
            Made = level;
        }
        if (parent >= 0)
            close(parent);
    }
    ~TFolderChain() {
        const int root = open(Root.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        RemoveTree(root, Name.constData());
        close(root);
    }
    TFolderChain(const TFolderChain&) = delete;
    TFolderChain& operator=(const TFolderChain&) = delete;

    int Made = 0; // the levels made

private:
    QByteArray Root;
    QByteArray Name;
};

} // namespace

class TreeScannerTest : public QObject {
    Q_OBJECT

private slots:
    void newScannerIsIdleAndEmpty();
    void reportsFoldersPreOrderAndFilesSortedWithoutCase();
    void distinctNamesAreDistinctFiles_data();
    void distinctNamesAreDistinctFiles();
    void nameListedTwiceExactlyIsReportedOnce();
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
    void problemsAreCountedAndResetEachScan();
    void reportsNamesTheCatalogueCannotHold_data();
    void reportsNamesTheCatalogueCannotHold();
    void folderPathsPastTheLimits_data();
    void folderPathsPastTheLimits();
    void neverFollowsFolderLinks();
    void folderSwappedForALinkIsNotFollowed();
    void folderSwappedBelowTheHeldHandlesIsNotFollowed_data();
    void folderSwappedBelowTheHeldHandlesIsNotFollowed();
    void folderReachedTwiceIsWalkedOnce();
    void walksTwoThousandFoldersDeepOnASmallStack();
    void deepTreeNeedsNoHandlePerLevel();
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

void TreeScannerTest::distinctNamesAreDistinctFiles_data() {
    QTest::addColumn<QStringList>("made"); // files, with their folders
    QTest::addColumn<QStringList>("expected");
    // Names the collator holds equal follow in code-unit order.
    QTest::newRow("case") << QStringList{"readme", "README"}
                          << QStringList{"file README 0", "file readme 0"};
    QTest::newRow("folders differing in case, with their files")
        << QStringList{"docs/a.txt", "Docs/b.txt"}
        << QStringList{"found D:\\Docs\\", "file b.txt 0", "done",
                       "found D:\\docs\\", "file a.txt 0", "done"};
    QTest::newRow("composed and decomposed")
        << QStringList{"caf\u00e9", "cafe\u0301"}
        << QStringList{"file cafe\u0301 0", "file caf\u00e9 0"};
    QTest::newRow("zero-width space")
        << QStringList{"a\u200bb", "ab"} << QStringList{"file ab 0", "file a\u200bb 0"};
    QTest::newRow("soft hyphen") << QStringList{"a\u00adb", "ab"}
                                 << QStringList{"file ab 0", "file a\u00adb 0"};
    QTest::newRow("full-width letter")
        << QStringList{"\uff21.txt", "A.txt"} << QStringList{"file A.txt 0", "file \uff21.txt 0"};
}

void TreeScannerTest::distinctNamesAreDistinctFiles() {
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    TScanFixture fixture;
    QFETCH(QStringList, made);
    for (const QString& path : made)
        fixture.MakeFile(path);

    fixture.Scanner.StartSearch();
    const QStringList first = fixture.Events;
    fixture.Events.clear();
    fixture.Scanner.StartSearch();
    QLocale::setDefault(before);

    QFETCH(QStringList, expected);
    QCOMPARE(first.mid(1, first.size() - 2), expected);
    QCOMPARE(fixture.Events, first); // the order is the same every time
    QCOMPARE(fixture.Scanner.ProblemCount(), 0);
}

void TreeScannerTest::nameListedTwiceExactlyIsReportedOnce() {
    TEditedFileSystem files;
    const QString root = files.AddDrive(u'D', TDriveType::Fixed);
    for (const char* name : {"twice.txt", "TWICE.txt"})
        QVERIFY(QFile(root + u'/' + QString::fromLatin1(name)).open(QIODevice::WriteOnly));
    files.Edit = [](TFindResult& result) {
        const std::vector<TFoundEntry> listed = result.Entries;
        result.Entries.insert(result.Entries.end(), listed.begin(), listed.end());
    };

    QCOMPARE(ReportedOnD(files, &TTreeScanner::OnFileFound),
             QStringList({"TWICE.txt", "twice.txt"}));
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
    QTest::addColumn<QStringList>("problems");
    QTest::newRow("gone after its parent listed it")
        << "remove B"
        << "D:\\"
        << QStringList{"found D:\\",    "file r1.txt 0", "file r2.txt 0", "found D:\\A\\",
                       "file a1.txt 0", "file a2.txt 0", "file a3.txt 0", "found D:\\A\\X\\",
                       "file x1.txt 0", "done",          "done",          "found D:\\B\\",
                       "done",          "done"}
        << QStringList{"D:\\B\\|File not found: D:\\B"};
    // Read to its end, where the disc fails: what was read is catalogued all the same.
    QTest::newRow("read error after its entries")
        << "fail A"
        << "D:\\" << StopTreeEvents << QStringList{"D:\\A\\|I/O error 1117: D:\\A"};
    QTest::newRow("missing start folder") << ""
                                          << "D:\\NOPE" << QStringList{"found D:\\NOPE\\", "done"}
                                          << QStringList{"D:\\NOPE\\|File not found: D:\\NOPE"};
    QTest::newRow("drive not ready")
        << "eject D"
        << "D:" << QStringList{"found D:\\", "done"} << QStringList{"D:\\|I/O error 21: D:\\"};
    QTest::newRow("no such drive") << ""
                                   << "Q:\\" << QStringList{"found Q:\\", "done"}
                                   << QStringList{"Q:\\|Invalid filename: Q:\\"};
    QTest::newRow("access denied")
        << "lock A"
        << "D:\\"
        << QStringList{"found D:\\",    "file r1.txt 0", "file r2.txt 0", "found D:\\A\\", "done",
                       "found D:\\B\\", "file b1.txt 0", "done",          "done"}
        << QStringList{"D:\\A\\|File access denied: D:\\A"};
    // Its names can be read but not its entries: each is reported, none passed over.
    QTest::newRow("listed but not searchable")
        << "read-only A"
        << "D:\\"
        << QStringList{"found D:\\",    "file r1.txt 0", "file r2.txt 0", "found D:\\A\\", "done",
                       "found D:\\B\\", "file b1.txt 0", "done",          "done"}
        << QStringList{"D:\\A\\a1.txt|File access denied: D:\\A\\a1.txt",
                       "D:\\A\\a2.txt|File access denied: D:\\A\\a2.txt",
                       "D:\\A\\a3.txt|File access denied: D:\\A\\a3.txt",
                       "D:\\A\\X|File access denied: D:\\A\\X"};
}

void TreeScannerTest::foldersThatCannotBeListedAreFoundAndDone() {
    TScanFixture fixture;
    fixture.MakeStopTree();
    QFETCH(QString, how);
    const TWithoutFileRights rights; // so permissions hold back root too
    if (how == u"remove B") {
        fixture.Scanner.OnDirectoryFound = [&fixture](TTreeScanner& sender) {
            fixture.Events << QStringLiteral("found ") + sender.FileFound();
            if (sender.FileFound() == u"D:\\A\\")
                QDir(fixture.Real(QStringLiteral("B"))).removeRecursively();
        };
    } else if (how == u"fail A") {
        QVERIFY(fixture.Files.FailListing(QStringLiteral("D:\\A"), 6, EIO)); // . .. a1-3 X
    } else if (how == u"eject D") {
        fixture.Files.SetReady(u'D', false);
    } else if (how == u"lock A" || how == u"read-only A") {
        if (!rights.Effective())
            QSKIP("permissions do not hold back this process");
        QVERIFY(QFile::setPermissions(fixture.Real(QStringLiteral("A")),
                                      how == u"lock A" ? QFile::Permissions()
                                                       : QFile::Permissions(QFile::ReadOwner)));
    }
    QFETCH(QString, initial);
    fixture.Scanner.InitialDirectory = initial;

    fixture.Scanner.StartSearch();
    if (how == u"lock A" || how == u"read-only A") // so the drive can be cleaned up
        QFile::setPermissions(fixture.Real(QStringLiteral("A")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    QTEST(fixture.Events, "expected");
    QTEST(fixture.Problems, "problems");
}

void TreeScannerTest::problemsAreCountedAndResetEachScan() {
    TScanFixture fixture;
    fixture.MakeStopTree();
    fixture.Scanner.OnProblem = nullptr; // counted all the same
    // Both go once the root is listed.
    fixture.Scanner.OnFileFound = [&fixture](TTreeScanner& sender) {
        if (sender.FileFound() == u"r1.txt")
            for (const char* gone : {"A", "B"})
                QDir(fixture.Real(QString::fromLatin1(gone))).removeRecursively();
    };

    fixture.Scanner.StartSearch();

    QCOMPARE(fixture.Scanner.ProblemCount(), 2);
    QCOMPARE(fixture.Scanner.FirstProblem().Path, QStringLiteral("D:\\A\\"));
    QCOMPARE(fixture.Scanner.FirstProblem().Text, QStringLiteral("File not found: D:\\A"));

    fixture.Scanner.StartSearch();

    QCOMPARE(fixture.Scanner.ProblemCount(), 0);
    QVERIFY(fixture.Scanner.FirstProblem().Path.isEmpty());
    QVERIFY(fixture.Scanner.FirstProblem().Text.isEmpty());
}

void TreeScannerTest::reportsNamesTheCatalogueCannotHold_data() {
    QTest::addColumn<QByteArray>("made"); // under D:\, a file unless it ends in '/'
    QTest::addColumn<QString>("mask");
    QTest::addColumn<QStringList>("problems");
    const QString bad = QStringLiteral("caf\ufffd");
    QTest::newRow("file name not UTF-8")
        << QByteArray("caf\xe9.txt") << "*.*"
        << QStringList{"D:\\" + bad + ".txt|Name is not valid UTF-8: D:\\" + bad + ".txt"};
    QTest::newRow("file name with a backslash")
        << QByteArray("back\\slash.txt") << "*.*"
        << QStringList{"D:\\back\\slash.txt|Name holds a backslash: D:\\back\\slash.txt"};
    QTest::newRow("folder name not UTF-8, its files with it")
        << QByteArray("caf\xe9/") << "*.txt"
        << QStringList{"D:\\" + bad + "\\|Name is not valid UTF-8: D:\\" + bad};
    QTest::newRow("file the mask leaves out anyway")
        << QByteArray("caf\xe9.doc") << "*.txt" << QStringList{};
}

void TreeScannerTest::reportsNamesTheCatalogueCannotHold() {
    TScanFixture fixture;
    fixture.MakeFile(QStringLiteral("ok.txt"));
    QFETCH(QByteArray, made);
    const QByteArray real = QFile::encodeName(fixture.DRoot) + '/' + made;
    if (made.endsWith('/')) {
        QVERIFY(mkdir(real.constData(), 0755) == 0);
        QVERIFY(close(open(real + "in.txt", O_WRONLY | O_CREAT, 0644)) == 0);
    } else {
        QVERIFY(close(open(real.constData(), O_WRONLY | O_CREAT, 0644)) == 0);
    }
    QFETCH(QString, mask);
    fixture.Scanner.FileMask = mask;

    fixture.Scanner.StartSearch();

    // Left out of the catalogue, but not silently.
    QCOMPARE(fixture.Events, QStringList({"found D:\\", "file ok.txt 0", "done"}));
    QTEST(fixture.Problems, "problems");
}

void TreeScannerTest::folderPathsPastTheLimits_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<int>("levels");
    QTest::addColumn<int>("walked"); // the levels walked; a deeper one is a problem
    // 120 two-byte letters a level: 3,633 characters, 7,230 bytes at the bottom.
    QTest::newRow("past the system's path limit, within the catalogue's")
        << QString(120, QChar(0xe9)).toUtf8() << 30 << 30;
    // 201 characters a level: 4,023 at level 20, 4,224 at 21.
    QTest::newRow("past the catalogue's 4,096 characters") << QByteArray(200, 'a') << 22 << 20;
}

void TreeScannerTest::folderPathsPastTheLimits() {
    TScanFixture fixture;
    QFETCH(QByteArray, name);
    QFETCH(int, levels);
    QList<int> withFile;
    for (int level = 1; level <= levels; ++level)
        withFile << level;
    const TFolderChain chain(fixture.DRoot, name, levels, withFile);
    QCOMPARE(chain.Made, levels);

    fixture.Scanner.StartSearch();

    QFETCH(int, walked);
    QStringList expected = {"found D:\\"};
    QString path = QStringLiteral("D:\\");
    for (int level = 1; level <= walked; ++level) {
        path += QString::fromUtf8(name) + u'\\';
        expected << "found " + path << QStringLiteral("file f%1.txt 0").arg(level);
    }
    expected += QStringList(walked + 1, QStringLiteral("done"));
    QCOMPARE(fixture.Events, expected);
    QStringList problems;
    if (walked < levels) {
        path += QString::fromUtf8(name) + u'\\';
        problems << path + "|Folder path longer than 4096 characters: " + path.chopped(1);
    }
    QCOMPARE(fixture.Problems, problems);
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

// In D:\IN\, B is swapped for a link to D:\OUT\ after IN was listed, while A is walked.
void TreeScannerTest::folderSwappedForALinkIsNotFollowed() {
    TScanFixture fixture;
    fixture.MakeFile(QStringLiteral("IN/A/a.txt"));
    fixture.MakeFile(QStringLiteral("IN/B/b.txt"));
    fixture.MakeFile(QStringLiteral("OUT/secret.txt"));
    fixture.Scanner.OnDirectoryFound = [&fixture](TTreeScanner& sender) {
        fixture.Events << QStringLiteral("found ") + sender.FileFound();
        if (sender.FileFound() == u"D:\\IN\\A\\") {
            QVERIFY(QDir(fixture.Real(QStringLiteral("IN"))).rename("B", "B.old"));
            Link(fixture, "../OUT", QStringLiteral("IN/B"));
        }
    };
    fixture.Scanner.InitialDirectory = QStringLiteral("D:\\IN");

    fixture.Scanner.StartSearch();

    const QStringList expected = {"found D:\\IN\\",
                                  "found D:\\IN\\A\\",
                                  "file a.txt 0",
                                  "done",
                                  "found D:\\IN\\B\\",
                                  "done",
                                  "done"};
    QCOMPARE(fixture.Events, expected);
    QCOMPARE(fixture.Problems, QStringList({"D:\\IN\\B\\|I/O error 267: D:\\IN\\B"}));
}

void TreeScannerTest::folderSwappedBelowTheHeldHandlesIsNotFollowed_data() {
    QTest::addColumn<bool>("link"); // S becomes a link to OUT, or OUT itself moved in
    QTest::addColumn<QString>("problem");
    QTest::newRow("for a link") << true << "I/O error 267: D:\\IN\\S";
    QTest::newRow("for another folder") << false << "Folder replaced during the scan: D:\\IN\\S";
}

// Each of 70 levels below D:\IN\S holds a and b, b walked after a: on the way down the walk
// lets go of S's handle, and S is swapped for D:\OUT, which holds b\secret.txt.
void TreeScannerTest::folderSwappedBelowTheHeldHandlesIsNotFollowed() {
    TScanFixture fixture;
    QString level = QStringLiteral("IN/S/");
    for (int n = 0; n < 70; ++n, level += QStringLiteral("a/"))
        fixture.MakeFolder(level + u'b');
    fixture.MakeFile(QStringLiteral("OUT/b/secret.txt"));
    QFETCH(bool, link);
    bool swapped = false;
    fixture.Scanner.OnDirectoryFound = [&fixture, &swapped, link](TTreeScanner& sender) {
        fixture.Events << sender.FileFound();
        if (swapped || !sender.FileFound().endsWith(u"\\b\\"))
            return;
        swapped = QDir(fixture.Real(QStringLiteral("IN"))).rename("S", "S.old");
        if (link)
            Link(fixture, "../OUT", QStringLiteral("IN/S"));
        else
            QVERIFY(QDir(fixture.DRoot).rename("OUT", "IN/S"));
    };
    fixture.Scanner.InitialDirectory = QStringLiteral("D:\\IN");

    fixture.Scanner.StartSearch();

    QVERIFY(swapped);
    QVERIFY(!fixture.Events.join(u' ').contains(u"secret"));
    QFETCH(QString, problem);
    QCOMPARE(fixture.Problems, QStringList{"D:\\IN\\S\\|" + problem});
}

void TreeScannerTest::folderReachedTwiceIsWalkedOnce() {
    TEditedFileSystem files;
    const QString root = files.AddDrive(u'D', TDriveType::Fixed);
    QVERIFY(QDir().mkpath(root + "/ORIGINAL"));
    QVERIFY(QDir().mkpath(root + "/TWIN"));
    QVERIFY(QDir().mkpath(root + "/OTHER"));
    // TWIN is reported as the very folder ORIGINAL, as a bind mount does.
    const std::optional<TFoundEntry> original = files.EntryOf(QStringLiteral("D:\\ORIGINAL"));
    QVERIFY(original);
    files.Edit = [&original](TFindResult& result) {
        for (TFoundEntry& entry : result.Entries)
            if (entry.Name == u"TWIN") {
                entry.Device = original->Device;
                entry.Inode = original->Inode;
            }
    };

    QCOMPARE(ReportedOnD(files, &TTreeScanner::OnDirectoryFound),
             QStringList({"D:\\", "D:\\ORIGINAL\\", "D:\\OTHER\\"}));
}

void TreeScannerTest::walksTwoThousandFoldersDeepOnASmallStack() {
    // On a disk, removing 2,000 nested folders takes seconds; in memory it is instant.
    QTemporaryDir disc(ScratchFolderTemplate(QStringLiteral("deep")));
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

// Each of 150 levels holds a leaf folder b, walked after the next level a: a walk that
// kept every folder with a sub-folder still due open would need a handle per level.
void TreeScannerTest::deepTreeNeedsNoHandlePerLevel() {
    TScanFixture fixture;
    const int depth = 150;
    QString level;
    for (int n = 0; n < depth; ++n) {
        fixture.MakeFile(level + QStringLiteral("b/f.txt"));
        level += QStringLiteral("a/");
    }
    int files = 0;
    fixture.Scanner.OnFileFound = [&files](TTreeScanner&) {
        ++files;
    };
    rlimit saved{};
    QVERIFY(getrlimit(RLIMIT_NOFILE, &saved) == 0);
    rlimit low = saved;
    low.rlim_cur = 128;
    QVERIFY(setrlimit(RLIMIT_NOFILE, &low) == 0);

    fixture.Scanner.StartSearch();
    QVERIFY(setrlimit(RLIMIT_NOFILE, &saved) == 0);

    QCOMPARE(fixture.Problems, QStringList());
    QCOMPARE(files, depth);
}

QTEST_GUILESS_MAIN(TreeScannerTest)
#include "TreeScannerTest.moc"
