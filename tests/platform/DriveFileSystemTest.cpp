// The file system over drives that are real temporary folders (the test double, whose
// code past the drive table is the Linux one): entering folders in every form, each way
// entering fails, folder searches with odd names, attributes, masks and links, and the
// volume facts the drive selector reads.

#include "platform/FileSystemError.h"
#include "support/FakeFileSystem.h"
#include "support/WithoutFileRights.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>
#include <fcntl.h>
#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>
#include <vector>

namespace {
bool MakeFile(const QByteArray& path, const QByteArray& content = {}) {
    const int handle = open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (handle < 0)
        return false;
    const bool written = write(handle, content.constData(), content.size()) == content.size();
    return close(handle) == 0 && written;
}

QByteArray Bytes(const QString& path) {
    return path.toUtf8();
}

// The code a call fails with, 0 when it does not fail.
template <typename Call> int CodeOf(Call call) {
    try {
        call();
    } catch (const TFileSystemError& error) {
        return error.Code;
    }
    return 0;
}

QStringList NamesOf(const TFindResult& found) {
    QStringList names;
    for (const TFoundEntry& entry : found.Entries)
        names << entry.Name;
    names.sort();
    return names;
}

const TFoundEntry* EntryNamed(const TFindResult& found, const QString& name) {
    for (const TFoundEntry& entry : found.Entries)
        if (entry.Name == name)
            return &entry;
    return nullptr;
}

QString Canonical(const QString& path) {
    return QFileInfo(path).canonicalFilePath();
}

// C: fixed with C:\WORK current; D: a disc holding DOCS\OLD, DOCS\FILE.TXT and
// DOCS\NOTES.txt, current at D:\DOCS\OLD; E: an optical drive without disc.
struct TDrives {
    TFakeFileSystem Files;
    QString RootC, RootD;

    TDrives() {
        RootC = Files.AddDrive(u'C', TDriveType::Fixed, "SYSTEM");
        RootD = Files.AddDrive(u'D', TDriveType::CdRom, "MY DISC");
        Files.AddDrive({.Letter = u'E', .Type = TDriveType::CdRom, .Ready = false});
        QDir(RootC).mkpath("WORK");
        QDir(RootD).mkpath("DOCS/OLD/NEW");
        MakeFile(Bytes(RootD + "/DOCS/FILE.TXT"), "12345");
        MakeFile(Bytes(RootD + "/DOCS/NOTES.txt"));
        Files.SetCurrentFolder("C:\\WORK");
        Files.SetCurrentFolder("D:\\DOCS\\OLD");
    }
};
} // namespace

class DriveFileSystemTest : public QObject {
    Q_OBJECT

private slots:
    void entersFoldersInEveryForm_data();
    void entersFoldersInEveryForm();
    void failedEnteringChangesNothing_data();
    void failedEnteringChangesNothing();
    void errorTextsFollowTheCode_data();
    void errorTextsFollowTheCode();
    void folderThatVanishedAfterListingGivesFileNotFound();
    void folderWithoutPermissionGivesAccessDenied();
    void opticalDriveWithoutDiscIsListedButNotReady();
    void bareDriveFallsBackToRootWhenItsFolderIsGone();
    void listsOddNames_data();
    void listsOddNames();
    void reportsAttributesAndSizes_data();
    void reportsAttributesAndSizes();
    void maskAdmitsHiddenSystemAndFolders_data();
    void maskAdmitsHiddenSystemAndFolders();
    void dotEntriesExceptAtRoot();
    void patternFormsNameTheirFolder_data();
    void patternFormsNameTheirFolder();
    void searchOfUnlistableFolderGivesItsCode();
    void searchWithoutFreeFileHandlesGivesTooManyOpenFiles();
    void linkToParentFolderShowsItsIdentity();
    void opensSubFoldersButNoLinks_data();
    void opensSubFoldersButNoLinks();
    void tellsWhetherPathIsFolder_data();
    void tellsWhetherPathIsFolder();
    void reportsVolumeFacts();
    void labelsThatDoNotFitTheBufferAreNotCut_data();
    void labelsThatDoNotFitTheBufferAreNotCut();
    void putsBackTheWorkingDirectory();
};

void DriveFileSystemTest::entersFoldersInEveryForm_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("folder");

    QTest::newRow("absolute") << "D:\\DOCS"
                              << "D:\\DOCS";
    QTest::newRow("absolute root") << "C:\\"
                                   << "C:\\";
    QTest::newRow("relative") << "NEW"
                              << "D:\\DOCS\\OLD\\NEW";
    QTest::newRow("parent") << ".."
                            << "D:\\DOCS";
    QTest::newRow("up past the root") << "..\\..\\..\\.."
                                      << "D:\\";
    QTest::newRow("bare other drive") << "C:"
                                      << "C:\\WORK";
    QTest::newRow("bare current drive") << "d:"
                                        << "D:\\DOCS\\OLD";
    QTest::newRow("drive-relative") << "C:.."
                                    << "C:\\";
    QTest::newRow("root of current drive") << "\\DOCS"
                                           << "D:\\DOCS";
    QTest::newRow("slashes and trailing separator") << "d:/DOCS/OLD/"
                                                    << "D:\\DOCS\\OLD";
    QTest::newRow("dots and doubled separators") << "D:\\\\DOCS\\.\\OLD\\..\\"
                                                 << "D:\\DOCS";
}

void DriveFileSystemTest::entersFoldersInEveryForm() {
    QFETCH(QString, path);
    QFETCH(QString, folder);
    TDrives drives;
    drives.Files.SetCurrentFolder(path);
    QCOMPARE(drives.Files.CurrentFolder(), folder);
    QCOMPARE(QDir::currentPath(), Canonical(drives.Files.RealPath(folder)));
}

void DriveFileSystemTest::failedEnteringChangesNothing_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("reported"); // the folder the error names

    QTest::newRow("missing folder") << "D:\\MISSING" << 2 << "D:\\MISSING";
    QTest::newRow("missing relative folder") << "MISSING" << 2 << "D:\\DOCS\\OLD\\MISSING";
    QTest::newRow("missing folder on the way")
        << "D:\\MISSING\\DEEPER" << 3 << "D:\\MISSING\\DEEPER";
    QTest::newRow("a file") << "D:\\DOCS\\FILE.TXT" << 267 << "D:\\DOCS\\FILE.TXT";
    QTest::newRow("a file on the way") << "D:\\DOCS\\FILE.TXT\\X" << 3 << "D:\\DOCS\\FILE.TXT\\X";
    QTest::newRow("no such drive") << "Q:\\" << 3 << "Q:\\";
    QTest::newRow("drive without disc") << "E:" << 21 << "E:\\";
    QTest::newRow("folder on a drive without disc") << "E:\\DOCS" << 21 << "E:\\DOCS";
    QTest::newRow("network path") << "\\\\server\\share" << 3 << "\\\\server\\share";
    QTest::newRow("empty") << "" << 3 << "";
    QTest::newRow("link loop") << "D:\\DOCS\\LOOP" << 1921 << "D:\\DOCS\\LOOP";
}

void DriveFileSystemTest::failedEnteringChangesNothing() {
    QFETCH(QString, path);
    QFETCH(int, code);
    TDrives drives;
    QVERIFY(QFile::link("LOOP", drives.RootD + "/DOCS/LOOP"));
    const QString working = QDir::currentPath();
    try {
        drives.Files.SetCurrentFolder(path);
        QFAIL("entering did not fail");
    } catch (const TFileSystemError& error) {
        QCOMPARE(error.Code, code);
        QTEST(error.Path, "reported");
        QCOMPARE(error.Text, TFileSystemError::CodeText(code) + ": " + error.Path);
    }
    QCOMPARE(drives.Files.CurrentFolder(), QString("D:\\DOCS\\OLD"));
    QCOMPARE(QDir::currentPath(), working);
    drives.Files.SetCurrentFolder("C:"); // the other drive kept its folder too
    QCOMPARE(drives.Files.CurrentFolder(), QString("C:\\WORK"));
}

void DriveFileSystemTest::errorTextsFollowTheCode_data() {
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("text");
    QTest::newRow("2") << 2 << "File not found";
    QTest::newRow("3") << 3 << "Invalid filename";
    QTest::newRow("4") << 4 << "Too many open files";
    QTest::newRow("5") << 5 << "File access denied";
    QTest::newRow("21") << 21 << "I/O error 21";
    QTest::newRow("267") << 267 << "I/O error 267";
}

void DriveFileSystemTest::errorTextsFollowTheCode() {
    QFETCH(int, code);
    QTEST(TFileSystemError::CodeText(code), "text");
    const TFileSystemError error(code, "D:\\DOCS");
    QTEST(error.Text.section(": ", 0, 0), "text");
    QCOMPARE(QString::fromUtf8(error.what()), error.Text);
}

void DriveFileSystemTest::folderThatVanishedAfterListingGivesFileNotFound() {
    TDrives drives;
    drives.Files.SetCurrentFolder("D:\\DOCS");
    const TFindResult found = drives.Files.Find("*.*", TFileAttribute::Directory);
    QVERIFY(EntryNamed(found, "OLD"));
    QVERIFY(QDir(drives.RootD + "/DOCS/OLD").removeRecursively());
    QCOMPARE(CodeOf([&] { drives.Files.SetCurrentFolder("OLD"); }), 2);
    QCOMPARE(drives.Files.CurrentFolder(), QString("D:\\DOCS"));
    QCOMPARE(QDir::currentPath(), Canonical(drives.RootD + "/DOCS"));
}

void DriveFileSystemTest::folderWithoutPermissionGivesAccessDenied() {
    TDrives drives;
    const QByteArray locked = Bytes(drives.RootD + "/DOCS/OLD");
    QVERIFY(MakeFile(locked + "/inside.txt"));
    QVERIFY(chmod(locked.constData(), 0) == 0);
    {
        TWithoutFileRights rights;
        if (!rights.Effective()) {
            chmod(locked.constData(), 0755);
            QSKIP("running as root without the right to drop file capabilities");
        }
        drives.Files.SetCurrentFolder("D:\\DOCS");
        QCOMPARE(CodeOf([&] { drives.Files.SetCurrentFolder("OLD"); }), 5);
        QCOMPARE(drives.Files.CurrentFolder(), QString("D:\\DOCS"));
        QCOMPARE(drives.Files.Find("D:\\DOCS\\OLD\\*.*", TFileAttribute::AnyFile).ErrorCode, 5);
        // Listed through its parent it is still there, as a folder.
        QVERIFY(drives.Files.FolderExists("D:\\DOCS\\OLD"));
    }
    QVERIFY(chmod(locked.constData(), 0755) == 0);
}

void DriveFileSystemTest::opticalDriveWithoutDiscIsListedButNotReady() {
    TDrives drives;
    QCOMPARE(drives.Files.DriveLetters(), QString("CDE"));
    QCOMPARE(drives.Files.DriveType(u'E'), TDriveType::CdRom);
    const TVolumeInfo volume = drives.Files.VolumeInformation(u'E');
    QVERIFY(!volume.Readable);
    QCOMPARE(volume.Label, QString());
    QCOMPARE(drives.Files.VolumeLabel(u'E', 11), QString());
    QCOMPARE(drives.Files.Find("E:\\*.*", TFileAttribute::AnyFile).ErrorCode, 21);
    QVERIFY(!drives.Files.FolderExists("E:\\"));

    // The disc goes in: the same letter now reads and enters.
    drives.Files.SetLabel(u'E', "DATA");
    drives.Files.SetReady(u'E', true);
    QCOMPARE(drives.Files.VolumeLabel(u'E', 11), QString("DATA"));
    drives.Files.SetCurrentFolder("E:");
    QCOMPARE(drives.Files.CurrentFolder(), QString("E:\\"));
    // And out again, while it is the current drive.
    drives.Files.SetReady(u'E', false);
    QCOMPARE(CodeOf([&] { drives.Files.SetCurrentFolder("E:"); }), 21);
    QCOMPARE(drives.Files.CurrentFolder(), QString("E:\\"));
}

void DriveFileSystemTest::bareDriveFallsBackToRootWhenItsFolderIsGone() {
    TDrives drives;
    drives.Files.SetCurrentFolder("C:");
    // Another disc in D: without the folder D: was left in.
    QVERIFY(QDir(drives.RootD + "/DOCS").removeRecursively());
    drives.Files.SetCurrentFolder("D:");
    QCOMPARE(drives.Files.CurrentFolder(), QString("D:\\"));
    // A path that names the gone folder itself still fails.
    QCOMPARE(CodeOf([&] { drives.Files.SetCurrentFolder("D:\\DOCS\\OLD"); }), 3);
}

void DriveFileSystemTest::listsOddNames_data() {
    QTest::addColumn<QByteArray>("onDisk");
    QTest::addColumn<QString>("listed"); // empty: left out of the listing
    QTest::addColumn<QString>("reason"); // why it is left out

    QTest::newRow("blanks") << QByteArray(" two  blanks .txt") << " two  blanks .txt" << QString();
    QTest::newRow("non-ASCII letters")
        << QByteArray("\xc3\xa9t\xc3\xa9 \xce\xb1\xce\xb2.doc") << "été αβ.doc" << QString();
    QTest::newRow("outside the basic plane")
        << QByteArray("disc \xf0\x9f\x93\x80") << "disc 📀" << QString();
    QTest::newRow("leading dots") << QByteArray("..dots") << "..dots" << QString();
    QTest::newRow("trailing dot") << QByteArray("name.") << "name." << QString();
    QTest::newRow("Windows-forbidden characters")
        << QByteArray("a:b*c?d\"e<f>g|h") << "a:b*c?d\"e<f>g|h" << QString();
    const QString notUtf8 = QStringLiteral("Name is not valid UTF-8");
    QTest::newRow("invalid UTF-8") << QByteArray("caf\xe9.txt") << QString() << notUtf8;
    QTest::newRow("encoded surrogate") << QByteArray("x\xed\xa0\x80") << QString() << notUtf8;
    QTest::newRow("backslash") << QByteArray("back\\slash.txt") << QString()
                               << QStringLiteral("Name holds a backslash");
}

void DriveFileSystemTest::listsOddNames() {
    QFETCH(QByteArray, onDisk);
    QFETCH(QString, listed);
    TDrives drives;
    const QByteArray folder = Bytes(drives.RootD + "/DOCS/OLD");
    QVERIFY(MakeFile(folder + '/' + onDisk, "abc"));
    QVERIFY(mkdir(folder + "/dir " + onDisk, 0755) == 0);
    const TFindResult found = drives.Files.Find("D:\\DOCS\\OLD\\*.*", TFileAttribute::AnyFile);
    QCOMPARE(found.ErrorCode, 0);
    QStringList expected = {".", "..", "NEW"};
    if (!listed.isEmpty())
        expected << listed << "dir " + listed;
    expected.sort();
    QCOMPARE(NamesOf(found), expected);
    // What is left out is given apart, the file and the folder, so a walk can report it.
    QFETCH(QString, reason);
    QCOMPARE(found.LeftOut.size(), listed.isEmpty() ? 2 : 0);
    for (const TLeftOutEntry& entry : found.LeftOut) {
        QCOMPARE(entry.Reason, reason);
        QCOMPARE(entry.Name.startsWith(u"dir "),
                 bool(entry.Attributes & TFileAttribute::Directory));
    }
    if (listed.isEmpty())
        return;
    // What is listed can be named again: found by its own name, entered by it.
    QCOMPARE(NamesOf(drives.Files.Find("D:\\DOCS\\OLD\\" + listed, TFileAttribute::AnyFile)),
             QStringList{listed});
    QCOMPARE(EntryNamed(found, listed)->Size, 3);
    drives.Files.SetCurrentFolder("dir " + listed);
    QCOMPARE(drives.Files.CurrentFolder(), "D:\\DOCS\\OLD\\dir " + listed);
    QCOMPARE(QDir::currentPath(), Canonical(QString::fromUtf8(folder + "/dir " + onDisk)));
}

void DriveFileSystemTest::reportsAttributesAndSizes_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<quint32>("attributes");
    QTest::addColumn<qint64>("size");

    using namespace TFileAttribute;
    QTest::newRow("file") << "file.bin" << Archive << qint64(1000);
    QTest::newRow("empty file") << "empty" << Archive << qint64(0);
    QTest::newRow("read-only file") << "locked.txt" << (Archive | ReadOnly) << qint64(4);
    QTest::newRow("hidden file") << ".profile" << (Archive | Hidden) << qint64(2);
    QTest::newRow("folder") << "sub" << Directory << qint64(0);
    QTest::newRow("read-only folder") << "closed" << (Directory | ReadOnly) << qint64(0);
    QTest::newRow("hidden folder") << ".cache" << (Directory | Hidden) << qint64(0);
    QTest::newRow("fifo") << "pipe" << System << qint64(0);
    QTest::newRow("link to a folder") << "to-sub" << (Directory | ReparsePoint) << qint64(0);
    QTest::newRow("link to a file") << "to-file" << (Archive | ReparsePoint) << qint64(1000);
    QTest::newRow("dangling link") << "dangling" << ReparsePoint << qint64(0);
}

void DriveFileSystemTest::reportsAttributesAndSizes() {
    QFETCH(QString, name);
    TDrives drives;
    const QByteArray folder = Bytes(drives.RootD + "/DOCS/OLD/NEW");
    QVERIFY(MakeFile(folder + "/file.bin", QByteArray(1000, 'x')));
    QVERIFY(MakeFile(folder + "/empty"));
    QVERIFY(MakeFile(folder + "/locked.txt", "lock") && chmod(folder + "/locked.txt", 0444) == 0);
    QVERIFY(MakeFile(folder + "/.profile", "pp"));
    QVERIFY(mkdir(folder + "/sub", 0755) == 0);
    QVERIFY(mkdir(folder + "/closed", 0555) == 0);
    QVERIFY(mkdir(folder + "/.cache", 0755) == 0);
    QVERIFY(mkfifo(folder + "/pipe", 0644) == 0);
    QVERIFY(symlink("sub", folder + "/to-sub") == 0);
    QVERIFY(symlink("file.bin", folder + "/to-file") == 0);
    QVERIFY(symlink("nowhere", folder + "/dangling") == 0);

    const TFindResult found = drives.Files.Find("D:\\DOCS\\OLD\\NEW\\*", TFileAttribute::AnyFile);
    const TFoundEntry* entry = EntryNamed(found, name);
    QVERIFY(entry);
    QTEST(entry->Attributes, "attributes");
    QTEST(entry->Size, "size");
    // EntryOf tells the same of one path.
    const std::optional<TFoundEntry> alone = drives.Files.EntryOf("D:\\DOCS\\OLD\\NEW\\" + name);
    QVERIFY(alone);
    QCOMPARE(alone->Name, name);
    QCOMPARE(alone->Attributes, entry->Attributes);
    QCOMPARE(alone->Inode, entry->Inode);
}

void DriveFileSystemTest::maskAdmitsHiddenSystemAndFolders_data() {
    QTest::addColumn<quint32>("mask");
    QTest::addColumn<QStringList>("names");

    using namespace TFileAttribute;
    const QStringList always = {"file.txt", "locked.txt"};
    QTest::newRow("normal only") << quint32(0) << always;
    QTest::newRow("read-only and archive add nothing") << (ReadOnly | Archive) << always;
    QTest::newRow("hidden") << Hidden << always + QStringList{".hidden.txt"};
    QTest::newRow("system") << System << always + QStringList{"pipe"};
    QTest::newRow("folders") << Directory << always + QStringList{".", "..", "sub"};
    QTest::newRow("hidden folders need both bits")
        << (Directory | Hidden) << always + QStringList{".", "..", ".hidden.txt", ".secret", "sub"};
    QTest::newRow("every attribute")
        << AnyFile << always + QStringList{".", "..", ".hidden.txt", ".secret", "pipe", "sub"};
}

void DriveFileSystemTest::maskAdmitsHiddenSystemAndFolders() {
    QFETCH(quint32, mask);
    QFETCH(QStringList, names);
    TDrives drives;
    const QByteArray folder = Bytes(drives.RootD + "/DOCS/OLD/NEW");
    QVERIFY(MakeFile(folder + "/file.txt") && MakeFile(folder + "/.hidden.txt"));
    QVERIFY(MakeFile(folder + "/locked.txt") && chmod(folder + "/locked.txt", 0444) == 0);
    QVERIFY(mkdir(folder + "/sub", 0755) == 0 && mkdir(folder + "/.secret", 0755) == 0);
    QVERIFY(mkfifo(folder + "/pipe", 0644) == 0);
    names.sort();
    QCOMPARE(NamesOf(drives.Files.Find("D:\\DOCS\\OLD\\NEW\\*.*", mask)), names);
}

void DriveFileSystemTest::dotEntriesExceptAtRoot() {
    TDrives drives;
    const TFindResult root = drives.Files.Find("D:\\*.*", TFileAttribute::AnyFile);
    QCOMPARE(NamesOf(root), QStringList{"DOCS"});
    const TFindResult below = drives.Files.Find("D:\\DOCS\\*.*", TFileAttribute::AnyFile);
    QCOMPARE(NamesOf(below), QStringList({".", "..", "FILE.TXT", "NOTES.txt", "OLD"}));
    QCOMPARE(EntryNamed(below, ".")->Attributes & TFileAttribute::Directory,
             TFileAttribute::Directory);
    QCOMPARE(EntryNamed(below, ".")->Attributes & TFileAttribute::Hidden, 0u);
}

void DriveFileSystemTest::patternFormsNameTheirFolder_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QStringList>("names");

    QTest::newRow("absolute, any case")
        << "D:\\DOCS\\*.TXT" << QStringList{"FILE.TXT", "NOTES.txt"};
    QTest::newRow("one name") << "D:\\DOCS\\notes.TXT" << QStringList{"NOTES.txt"};
    QTest::newRow("relative to the current folder")
        << "..\\*.txt" << QStringList{"FILE.TXT", "NOTES.txt"};
    QTest::newRow("a drive's current folder") << "D:*" << QStringList{"old.log"};
    QTest::newRow("the current folder") << "*.*" << QStringList{"old.log"};
    QTest::newRow("slashes") << "D:/DOCS/F*" << QStringList{"FILE.TXT"};
    QTest::newRow("empty pattern takes all")
        << "D:\\DOCS\\" << QStringList{"FILE.TXT", "NOTES.txt"};
    QTest::newRow("semicolon is part of the name") << "D:\\DOCS\\*.txt;*.doc" << QStringList{};
    QTest::newRow("nothing matches") << "D:\\DOCS\\*.xyz" << QStringList{};
}

void DriveFileSystemTest::patternFormsNameTheirFolder() {
    QFETCH(QString, pattern);
    QFETCH(QStringList, names);
    TDrives drives;
    QVERIFY(MakeFile(Bytes(drives.RootD + "/DOCS/OLD/old.log")));
    const TFindResult found = drives.Files.Find(pattern, 0);
    QCOMPARE(found.ErrorCode, 0);
    QCOMPARE(NamesOf(found), names);
}

void DriveFileSystemTest::searchOfUnlistableFolderGivesItsCode() {
    TDrives drives;
    QCOMPARE(drives.Files.Find("D:\\MISSING\\*.*", TFileAttribute::AnyFile).ErrorCode, 2);
    QCOMPARE(drives.Files.Find("D:\\NO\\WHERE\\*.*", TFileAttribute::AnyFile).ErrorCode, 3);
    QCOMPARE(drives.Files.Find("D:\\DOCS\\FILE.TXT\\*", TFileAttribute::AnyFile).ErrorCode, 267);
    QCOMPARE(drives.Files.Find("Q:\\*.*", TFileAttribute::AnyFile).ErrorCode, 3);
    QVERIFY(drives.Files.Find("Q:\\*.*", TFileAttribute::AnyFile).Entries.empty());
}

// With every file handle of the process in use, a search cannot open its folder.
void DriveFileSystemTest::searchWithoutFreeFileHandlesGivesTooManyOpenFiles() {
    TDrives drives;
    rlimit saved{};
    QVERIFY(getrlimit(RLIMIT_NOFILE, &saved) == 0);
    rlimit low = saved;
    low.rlim_cur = 64;
    QVERIFY(setrlimit(RLIMIT_NOFILE, &low) == 0);
    std::vector<int> held;
    for (int handle = dup(0); handle >= 0; handle = dup(0))
        held.push_back(handle);
    const TFindResult found = drives.Files.Find("D:\\DOCS\\*.*", TFileAttribute::AnyFile);
    for (int handle : held)
        close(handle);
    QVERIFY(setrlimit(RLIMIT_NOFILE, &saved) == 0);
    QCOMPARE(found.ErrorCode, 4);
    QVERIFY(found.Entries.empty());
}

// A link back to its own parent is a folder with ReparsePoint, and its identity is the
// parent's: a walk that records folders by device and inode sees it twice.
void DriveFileSystemTest::linkToParentFolderShowsItsIdentity() {
    TDrives drives;
    QVERIFY(QFile::link("..", drives.RootD + "/DOCS/OLD/UP"));
    const TFindResult found = drives.Files.Find("D:\\DOCS\\OLD\\*.*", TFileAttribute::AnyFile);
    const TFoundEntry* up = EntryNamed(found, "UP");
    const TFoundEntry* parent = EntryNamed(found, "..");
    QVERIFY(up && parent);
    QCOMPARE(up->Attributes, TFileAttribute::Directory | TFileAttribute::ReparsePoint);
    QCOMPARE(up->Device, parent->Device);
    QCOMPARE(up->Inode, parent->Inode);
    QVERIFY(parent->Inode != EntryNamed(found, ".")->Inode);
}

void DriveFileSystemTest::opensSubFoldersButNoLinks_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("code");
    QTest::newRow("folder") << "OLD" << 0;
    QTest::newRow("link to a folder") << "LINK" << int(TFileSystemError::NotAFolder);
    QTest::newRow("file") << "FILE.TXT" << int(TFileSystemError::NotAFolder);
    QTest::newRow("missing") << "GONE" << int(TFileSystemError::FileNotFound);
}

void DriveFileSystemTest::opensSubFoldersButNoLinks() {
    TDrives drives;
    QVERIFY(QFile::link("OLD", drives.RootD + "/DOCS/LINK"));
    TOpenedFolder docs = drives.Files.OpenFolder("D:\\DOCS");
    QVERIFY(docs.Folder);
    QFETCH(QString, name);

    const TOpenedFolder opened = docs.Folder->OpenSubFolder(name);

    QTEST(opened.ErrorCode, "code");
    QCOMPARE(bool(opened.Folder), opened.ErrorCode == 0);
    if (opened.Folder)
        QCOMPARE(NamesOf(opened.Folder->Find("*.*", TFileAttribute::AnyFile)),
                 QStringList({".", "..", "NEW"}));
}

void DriveFileSystemTest::tellsWhetherPathIsFolder_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("folder");
    QTest::newRow("folder") << "D:\\DOCS" << true;
    QTest::newRow("root") << "D:\\" << true;
    QTest::newRow("relative") << "NEW" << true;
    QTest::newRow("bare drive") << "C:" << true;
    QTest::newRow("file") << "D:\\DOCS\\FILE.TXT" << false;
    QTest::newRow("missing") << "D:\\NONE" << false;
    QTest::newRow("drive without disc") << "E:\\" << false;
    QTest::newRow("no such drive") << "Q:\\" << false;
    QTest::newRow("empty") << "" << false;
}

void DriveFileSystemTest::tellsWhetherPathIsFolder() {
    QFETCH(QString, path);
    TDrives drives;
    QTEST(drives.Files.FolderExists(path), "folder");
}

void DriveFileSystemTest::reportsVolumeFacts() {
    TFakeFileSystem files;
    QCOMPARE(files.CurrentFolder(), QString());
    QCOMPARE(files.LogicalDrives(), 0u);
    files.AddDrive(
        {.Letter = u'x', .Type = TDriveType::Remote, .ConnectionName = "\\\\SERVER\\SHARE"});
    files.AddDrive({.Letter = u'A',
                    .Type = TDriveType::Removable,
                    .Label = "boot disk",
                    .CaseSensitive = false,
                    .CasePreserving = false});
    files.AddDrive(u'M', TDriveType::RamDisk);

    QCOMPARE(files.LogicalDrives(), (1u << 0) | (1u << 12) | (1u << 23));
    QCOMPARE(files.DriveLetters(), QString("AMX"));
    QCOMPARE(files.CurrentFolder(), QString("X:\\")); // the first drive added
    QCOMPARE(files.DriveType(u'x'), TDriveType::Remote);
    QCOMPARE(files.DriveType(u'M'), TDriveType::RamDisk);
    QCOMPARE(files.DriveType(u'B'), TDriveType::NoRootDir);
    QCOMPARE(files.ConnectionName(u'X').value_or("none"), QString("\\\\SERVER\\SHARE"));
    QVERIFY(!files.ConnectionName(u'A'));
    QVERIFY(!files.ConnectionName(u'Q'));
    const TVolumeInfo volume = files.VolumeInformation(u'a');
    QVERIFY(volume.Readable);
    QCOMPARE(volume.Label, QString("boot disk"));
    QVERIFY(!volume.CaseSensitive);
    QVERIFY(!volume.CasePreserving);
    QVERIFY(files.VolumeInformation(u'M').CaseSensitive);
    QVERIFY(!files.VolumeInformation(u'Q').Readable);
    files.RemoveDrive(u'M');
    QCOMPARE(files.DriveLetters(), QString("AX"));
}

void DriveFileSystemTest::labelsThatDoNotFitTheBufferAreNotCut_data() {
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("room"); // characters the buffer holds, its terminator aside
    QTest::addColumn<QString>("read");
    QTest::newRow("11 in 11") << "ELEVEN_CHAR" << 11 << "ELEVEN_CHAR";
    QTest::newRow("12 in 11") << "TWELVE_CHARS" << 11 << "";
    // A character outside the basic plane is two UTF-16 units but one character.
    QTest::newRow("11 with a pair") << "ABCDEFGHIJ📀" << 11 << "ABCDEFGHIJ📀";
    QTest::newRow("12 with a pair") << "ABCDEFGHI📀JK" << 11 << "";
    QTest::newRow("no room") << "A" << 0 << "";
}

void DriveFileSystemTest::labelsThatDoNotFitTheBufferAreNotCut() {
    QFETCH(QString, label);
    QFETCH(int, room);
    TFakeFileSystem files;
    files.AddDrive(u'D', TDriveType::CdRom, label);
    QTEST(files.VolumeLabel(u'D', room), "read");
}

void DriveFileSystemTest::putsBackTheWorkingDirectory() {
    const QString before = QDir::currentPath();
    QString root;
    {
        TDrives drives;
        root = drives.RootD;
        QVERIFY(MakeFile(Bytes(root) + "/bad\xff name")); // Qt cannot name it; removed anyway
        QCOMPARE(QDir::currentPath(), Canonical(root + "/DOCS/OLD"));
    }
    QCOMPARE(QDir::currentPath(), before);
    QVERIFY(!QFileInfo::exists(root));
}

QTEST_GUILESS_MAIN(DriveFileSystemTest)
#include "DriveFileSystemTest.moc"
