// The one mapping between drive paths and real paths, both ways, the reading of folder
// paths against the current folders, and which Linux names the drive form can carry.

#include "platform/DriveTable.h"
#include "platform/CurrentFolders.h"
#include "platform/FileSystemError.h"

#include <QTest>

namespace {
// C: on "/", D: a disc mounted inside it, E: an optical drive with no disc.
TDriveTable SampleTable() {
    TDriveTable table;
    table.Set({.Letter = u'C', .MountRoot = "/"});
    table.Set({.Letter = u'd', .Type = TDriveType::CdRom, .MountRoot = "/media/cd"});
    table.Set({.Letter = u'E', .Type = TDriveType::CdRom, .Ready = false});
    return table;
}
} // namespace

class DriveTableTest : public QObject {
    Q_OBJECT

private slots:
    void mapsDrivePathsToRealPaths_data();
    void mapsDrivePathsToRealPaths();
    void mapsRealPathsBackToDrivePaths_data();
    void mapsRealPathsBackToDrivePaths();
    void knowsWhichNamesItCanCarry_data();
    void knowsWhichNamesItCanCarry();
    void resolvesFolderPathsAgainstCurrentFolders_data();
    void resolvesFolderPathsAgainstCurrentFolders();
    void listsLettersAsBits();
};

void DriveTableTest::mapsDrivePathsToRealPaths_data() {
    QTest::addColumn<QString>("drivePath");
    QTest::addColumn<QByteArray>("realPath");
    QTest::addColumn<int>("errorCode");

    QTest::newRow("root on slash") << "C:\\" << QByteArray("/") << 0;
    QTest::newRow("below slash") << "C:\\usr\\share" << QByteArray("/usr/share") << 0;
    QTest::newRow("lower-case letter") << "c:\\usr" << QByteArray("/usr") << 0;
    QTest::newRow("mounted root") << "D:\\" << QByteArray("/media/cd") << 0;
    QTest::newRow("below a mount") << "D:\\DOCS\\OLD" << QByteArray("/media/cd/DOCS/OLD") << 0;
    QTest::newRow("non-ASCII name") << "D:\\Ünïcode ñame"
                                    << QByteArray("/media/cd/\xc3\x9cn\xc3\xaf"
                                                  "code \xc3\xb1"
                                                  "ame")
                                    << 0;
    QTest::newRow("no such drive") << "Q:\\" << QByteArray() << TFileSystemError::PathNotFound;
    QTest::newRow("drive without disc") << "E:\\DOCS" << QByteArray() << TFileSystemError::NotReady;
    QTest::newRow("not absolute") << "DOCS" << QByteArray() << TFileSystemError::PathNotFound;
    QTest::newRow("slash inside a name")
        << "D:\\a/b" << QByteArray() << TFileSystemError::InvalidName;
}

void DriveTableTest::mapsDrivePathsToRealPaths() {
    QFETCH(QString, drivePath);
    QFETCH(QByteArray, realPath);
    QFETCH(int, errorCode);
    const TRealPath real = SampleTable().RealPathOf(drivePath);
    QCOMPARE(real.ErrorCode, errorCode);
    QCOMPARE(real.Path, realPath);
}

void DriveTableTest::mapsRealPathsBackToDrivePaths_data() {
    QTest::addColumn<QByteArray>("realPath");
    QTest::addColumn<QString>("drivePath"); // empty: no drive form

    QTest::newRow("slash") << QByteArray("/") << "C:\\";
    QTest::newRow("below slash") << QByteArray("/usr/share/") << "C:\\usr\\share";
    QTest::newRow("mount folder itself") << QByteArray("/media/cd") << "D:\\";
    QTest::newRow("inside the mount") << QByteArray("/media/cd/DOCS/OLD") << "D:\\DOCS\\OLD";
    QTest::newRow("sibling sharing a prefix")
        << QByteArray("/media/cdrom/x") << "C:\\media\\cdrom\\x";
    QTest::newRow("UTF-8 name") << QByteArray("/media/cd/caf\xc3\xa9") << "D:\\café";
    QTest::newRow("invalid UTF-8") << QByteArray("/media/cd/bad\xff") << QString();
    QTest::newRow("backslash in a name") << QByteArray("/media/cd/a\\b") << QString();
}

void DriveTableTest::mapsRealPathsBackToDrivePaths() {
    QFETCH(QByteArray, realPath);
    QFETCH(QString, drivePath);
    const std::optional<QString> mapped = SampleTable().DrivePathOf(realPath);
    QCOMPARE(mapped.value_or(QString()), drivePath);
}

void DriveTableTest::knowsWhichNamesItCanCarry_data() {
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("carried");
    QTest::addColumn<QString>("text");

    QTest::newRow("ASCII with blanks") << QByteArray(" a b.txt ") << true << " a b.txt ";
    QTest::newRow("leading dot") << QByteArray(".hidden") << true << ".hidden";
    QTest::newRow("two-byte UTF-8") << QByteArray("\xc3\xa9t\xc3\xa9") << true << "été";
    QTest::newRow("four-byte UTF-8") << QByteArray("\xf0\x9f\x93\x80") << true << "📀";
    QTest::newRow("Windows-forbidden characters") << QByteArray("a:b*c?") << true << "a:b*c?";
    QTest::newRow("backslash") << QByteArray("a\\b") << false << QString();
    QTest::newRow("Latin-1 byte") << QByteArray("caf\xe9") << false << QString();
    QTest::newRow("stray continuation") << QByteArray("\x80x") << false << QString();
    QTest::newRow("cut sequence") << QByteArray("x\xe2\x82") << false << QString();
    QTest::newRow("overlong slash") << QByteArray("\xc0\xaf") << false << QString();
    QTest::newRow("encoded surrogate") << QByteArray("\xed\xa0\x80") << false << QString();
    QTest::newRow("beyond U+10FFFF") << QByteArray("\xf4\x90\x80\x80") << false << QString();
}

void DriveTableTest::knowsWhichNamesItCanCarry() {
    QFETCH(QByteArray, name);
    QFETCH(bool, carried);
    QFETCH(QString, text);
    const std::optional<QString> result =
        TDriveTable::RepresentableName(name.constData(), size_t(name.size()));
    QCOMPARE(result.has_value(), carried);
    QCOMPARE(result.value_or(QString()), text);
}

void DriveTableTest::resolvesFolderPathsAgainstCurrentFolders_data() {
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("absolute"); // empty: refused

    // Current: D:\DOCS\OLD; C: keeps C:\WORK; E: keeps nothing.
    QTest::newRow("absolute") << "C:\\TEMP"
                              << "C:\\TEMP";
    QTest::newRow("absolute root") << "E:\\"
                                   << "E:\\";
    QTest::newRow("trailing backslash") << "C:\\TEMP\\"
                                        << "C:\\TEMP";
    QTest::newRow("slashes") << "c:/temp/x/"
                             << "C:\\temp\\x";
    QTest::newRow("doubled and dot names") << "D:\\\\DOCS\\.\\OLD"
                                           << "D:\\DOCS\\OLD";
    QTest::newRow("relative") << "NEW"
                              << "D:\\DOCS\\OLD\\NEW";
    QTest::newRow("parent") << ".."
                            << "D:\\DOCS";
    QTest::newRow("above the root") << "..\\..\\..\\.."
                                    << "D:\\";
    QTest::newRow("bare drive with a kept folder") << "C:"
                                                   << "C:\\WORK";
    QTest::newRow("bare drive without one") << "e:"
                                            << "E:\\";
    QTest::newRow("bare current drive") << "D:"
                                        << "D:\\DOCS\\OLD";
    QTest::newRow("drive-relative") << "C:SUB"
                                    << "C:\\WORK\\SUB";
    QTest::newRow("drive-relative parent") << "C:.."
                                           << "C:\\";
    QTest::newRow("root of the current drive") << "\\ETC"
                                               << "D:\\ETC";
    QTest::newRow("name with blanks kept") << " A B "
                                           << "D:\\DOCS\\OLD\\ A B ";
    QTest::newRow("empty") << "" << QString();
    QTest::newRow("network path") << "\\\\server\\share" << QString();
    QTest::newRow("NUL in a name") << QString("A") + QChar(0) + "B" << QString();
}

void DriveTableTest::resolvesFolderPathsAgainstCurrentFolders() {
    QFETCH(QString, path);
    QFETCH(QString, absolute);
    TCurrentFolders folders;
    folders.Enter("C:\\WORK");
    folders.Enter("D:\\DOCS\\OLD");
    QCOMPARE(folders.Resolve(path).value_or(QString()), absolute);
}

void DriveTableTest::listsLettersAsBits() {
    TDriveTable table = SampleTable();
    QCOMPARE(table.Bits(), (1u << 2) | (1u << 3) | (1u << 4));
    table.Remove(u'd');
    QCOMPARE(table.Bits(), (1u << 2) | (1u << 4));
    QVERIFY(!table.Find(u'D'));
    QCOMPARE(table.Find(u'e')->Letter, QChar(u'E'));
}

QTEST_GUILESS_MAIN(DriveTableTest)
#include "DriveTableTest.moc"
