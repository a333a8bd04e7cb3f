// The drives of Linux machines, from recorded mountinfo texts and device facts: letters,
// kinds, labels, readiness, case flags and connection names; the escapes of mountinfo
// and of /dev/disk/by-label; and the reading of a sysfs tree. Also the drives of this
// machine, entered for real.

#include "platform/BlockDevices.h"
#include "platform/LinuxFileSystem.h"
#include "platform/MountEntry.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {
QByteArray Fixture(const QString& name) {
    QFile file(QStringLiteral(MOUNTINFO_FIXTURES "/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", qPrintable(file.fileName()));
    return file.readAll();
}

TBlockDevice Device(const char* name, quint32 major, quint32 minor, bool removable = false) {
    TBlockDevice device;
    device.Name = name;
    device.Major = major;
    device.Minor = minor;
    device.Removable = removable;
    device.Optical = device.Name.startsWith("sr");
    device.Floppy = device.Name.startsWith("fd");
    return device;
}

// The disks of the recorded desktop: system disk sda, data disk sdb, USB stick sdc, one
// optical drive, a snap loop device, and on request a floppy drive.
TBlockDevices DesktopDevices(bool floppy) {
    TBlockDevices devices;
    if (floppy)
        devices.Devices.push_back(Device("fd0", 2, 0, true));
    for (const TBlockDevice& device :
         {Device("loop0", 7, 0), Device("sda", 8, 0), Device("sda1", 8, 1), Device("sda2", 8, 2),
          Device("sdb", 8, 16), Device("sdb1", 8, 17), Device("sdc", 8, 32, true),
          Device("sdc1", 8, 33, true), Device("sr0", 11, 0, true)})
        devices.Devices.push_back(device);
    devices.Labels.insert(TBlockDevices::DeviceKey(8, 2), "ROOT");
    devices.Labels.insert(TBlockDevices::DeviceKey(8, 17), "HOME DATA");
    devices.Labels.insert(TBlockDevices::DeviceKey(8, 33), "STICK");
    devices.Labels.insert(TBlockDevices::DeviceKey(11, 0), "MY DISC 2024 BACKUP");
    return devices;
}

TDriveTable DesktopTable(const QString& fixture, bool floppy) {
    return TLinuxFileSystem::DriveTableOf(TMountEntry::Parse(Fixture(fixture)),
                                          DesktopDevices(floppy));
}

QString LettersOf(const TDriveTable& table) {
    QString letters;
    for (char16_t letter = u'A'; letter <= u'Z'; ++letter)
        if (table.Find(letter))
            letters += QChar(letter);
    return letters;
}

bool Write(const QString& path, const QByteArray& text) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size();
}
} // namespace

class LinuxDrivesTest : public QObject {
    Q_OBJECT

private slots:
    void parsesMountinfoLines_data();
    void parsesMountinfoLines();
    void lettersFollowWhatIsAttached_data();
    void lettersFollowWhatIsAttached();
    void describesEachDrive_data();
    void describesEachDrive();
    void unescapesLabelLinks_data();
    void unescapesLabelLinks();
    void readsSysfsAndLabelLinks();
    void thisMachineHasRootAsC();
    void entersFoldersOfThisMachine();
};

void LinuxDrivesTest::parsesMountinfoLines_data() {
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("parsed");
    QTest::addColumn<QByteArray>("device");
    QTest::addColumn<QByteArray>("root");
    QTest::addColumn<QByteArray>("mountPoint");
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<QByteArray>("source");

    QTest::newRow("plain") << QByteArray("28 1 8:2 / / rw shared:1 - ext4 /dev/sda2 rw") << true
                           << QByteArray("8:2") << QByteArray("/") << QByteArray("/")
                           << QByteArray("ext4") << QByteArray("/dev/sda2");
    QTest::newRow("no optional fields")
        << QByteArray("28 1 8:2 / /data rw - xfs /dev/sda3 rw") << true << QByteArray("8:2")
        << QByteArray("/") << QByteArray("/data") << QByteArray("xfs") << QByteArray("/dev/sda3");
    QTest::newRow("several optional fields")
        << QByteArray("40 1 0:44 / /x rw shared:3 master:2 propagate_from:1 - tmpfs tmpfs rw")
        << true << QByteArray("0:44") << QByteArray("/") << QByteArray("/x") << QByteArray("tmpfs")
        << QByteArray("tmpfs");
    QTest::newRow("space, tab, newline and backslash")
        << QByteArray("50 1 8:33 /a\\040b /m/sp\\040ace\\011tab\\012nl\\134bs rw - vfat "
                      "/dev/sd\\040c1 rw")
        << true << QByteArray("8:33") << QByteArray("/a b") << QByteArray("/m/sp ace\ttab\nnl\\bs")
        << QByteArray("vfat") << QByteArray("/dev/sd c1");
    QTest::newRow("backslash not followed by three octal digits")
        << QByteArray("51 1 8:34 / /m/a\\9b\\04 rw - ext4 /dev/x rw") << true << QByteArray("8:34")
        << QByteArray("/") << QByteArray("/m/a\\9b\\04") << QByteArray("ext4")
        << QByteArray("/dev/x");
    QTest::newRow("bind mount root")
        << QByteArray("66 28 8:17 /srv /srv/shared rw - ext4 /dev/b rw") << true
        << QByteArray("8:17") << QByteArray("/srv") << QByteArray("/srv/shared")
        << QByteArray("ext4") << QByteArray("/dev/b");
    QTest::newRow("no separator") << QByteArray("28 1 8:2 / / rw shared:1 ext4 /dev/sda2 rw")
                                  << false << QByteArray() << QByteArray() << QByteArray()
                                  << QByteArray() << QByteArray();
    QTest::newRow("cut short") << QByteArray("28 1 8:2 / / rw -") << false << QByteArray()
                               << QByteArray() << QByteArray() << QByteArray() << QByteArray();
    QTest::newRow("bad device") << QByteArray("28 1 8-2 / / rw - ext4 /dev/sda2 rw") << false
                                << QByteArray() << QByteArray() << QByteArray() << QByteArray()
                                << QByteArray();
    QTest::newRow("empty") << QByteArray() << false << QByteArray() << QByteArray() << QByteArray()
                           << QByteArray() << QByteArray();
}

void LinuxDrivesTest::parsesMountinfoLines() {
    QFETCH(QByteArray, line);
    QFETCH(bool, parsed);
    // The line between two good ones, so a bad line costs only itself.
    const QByteArray text =
        "1 0 0:1 / /first rw - proc proc rw\n" + line + "\n2 0 0:2 / /last rw - sysfs sysfs rw\n";
    const std::vector<TMountEntry> entries = TMountEntry::Parse(text);
    QCOMPARE(entries.size(), parsed ? 3u : 2u);
    QCOMPARE(entries.front().MountPoint, QByteArray("/first"));
    QCOMPARE(entries.back().MountPoint, QByteArray("/last"));
    if (!parsed)
        return;
    const TMountEntry& entry = entries[1];
    QTEST(QByteArray::number(entry.Major) + ':' + QByteArray::number(entry.Minor), "device");
    QTEST(entry.Root, "root");
    QTEST(entry.MountPoint, "mountPoint");
    QTEST(entry.FileSystemType, "type");
    QTEST(entry.Source, "source");
}

void LinuxDrivesTest::lettersFollowWhatIsAttached_data() {
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<bool>("floppy");
    QTest::addColumn<QString>("letters");

    // Pseudo file systems, system tmpfs, snaps and the bind mount of /home's disk get no
    // letter; the empty CD drive keeps D: so the letters after it do not move.
    QTest::newRow("CD drive empty") << "desktop-cd-empty.txt" << false << "CDEFG";
    QTest::newRow("CD drive with a disc") << "desktop-cd-disc.txt" << false << "CDEFG";
    QTest::newRow("USB stick and network") << "desktop-usb-network.txt" << false << "CDEFGHXYZ";
    QTest::newRow("floppy drive") << "desktop-cd-empty.txt" << true << "ACDEFG";
    QTest::newRow("chroot without a mount of its own")
        << "chroot-no-root-mount.txt" << false << "CD";
}

void LinuxDrivesTest::lettersFollowWhatIsAttached() {
    QFETCH(QString, fixture);
    QFETCH(bool, floppy);
    QTEST(LettersOf(DesktopTable(fixture, floppy)), "letters");
}

void LinuxDrivesTest::describesEachDrive_data() {
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<bool>("floppy");
    QTest::addColumn<QChar>("letter");
    QTest::addColumn<TDriveType>("type");
    QTest::addColumn<QByteArray>("mountRoot");
    QTest::addColumn<QString>("label");
    QTest::addColumn<bool>("ready");
    QTest::addColumn<bool>("caseSensitive");
    QTest::addColumn<QString>("connection");

    const QString empty = "desktop-cd-empty.txt";
    const QString disc = "desktop-cd-disc.txt";
    const QString usb = "desktop-usb-network.txt";
    QTest::newRow("root") << empty << false << QChar(u'C') << TDriveType::Fixed << QByteArray("/")
                          << "ROOT" << true << true << QString();
    QTest::newRow("root folder that is no mount")
        << "chroot-no-root-mount.txt" << false << QChar(u'C') << TDriveType::Fixed
        << QByteArray("/") << QString() << true << true << QString();
    QTest::newRow("CD drive without disc")
        << empty << false << QChar(u'D') << TDriveType::CdRom << QByteArray() << QString() << false
        << false << QString();
    QTest::newRow("CD drive with disc")
        << disc << false << QChar(u'D') << TDriveType::CdRom << QByteArray("/media/user/MY DISC")
        << "MY DISC 2024 BACKUP" << true << false << QString();
    QTest::newRow("EFI partition, no label")
        << empty << false << QChar(u'E') << TDriveType::Fixed << QByteArray("/boot/efi")
        << QString() << true << false << QString();
    QTest::newRow("data disk, label with a blank")
        << empty << false << QChar(u'F') << TDriveType::Fixed << QByteArray("/home") << "HOME DATA"
        << true << true << QString();
    QTest::newRow("tmpfs outside system folders")
        << empty << false << QChar(u'G') << TDriveType::RamDisk << QByteArray("/mnt/ram disk")
        << QString() << true << true << QString();
    QTest::newRow("USB stick, tab and backslash in its folder")
        << usb << false << QChar(u'H') << TDriveType::Removable
        << QByteArray("/media/user/odd\tstick\\name") << "STICK" << true << false << QString();
    QTest::newRow("NFS") << usb << false << QChar(u'Z') << TDriveType::Remote
                         << QByteArray("/mnt/nfs") << QString() << true << true
                         << "\\\\fileserver\\export\\photos";
    QTest::newRow("second NFS") << usb << false << QChar(u'Y') << TDriveType::Remote
                                << QByteArray("/mnt/nfs old") << QString() << true << true
                                << "\\\\oldbox\\srv";
    QTest::newRow("CIFS") << usb << false << QChar(u'X') << TDriveType::Remote
                          << QByteArray("/mnt/win") << QString() << true << true
                          << "\\\\NAS\\Public";
    QTest::newRow("floppy without disk")
        << empty << true << QChar(u'A') << TDriveType::Removable << QByteArray() << QString()
        << false << false << QString();
}

void LinuxDrivesTest::describesEachDrive() {
    QFETCH(QString, fixture);
    QFETCH(bool, floppy);
    QFETCH(QChar, letter);
    const TDriveTable table = DesktopTable(fixture, floppy);
    const TDrive* drive = table.Find(letter);
    QVERIFY(drive);
    QTEST(drive->Type, "type");
    QTEST(drive->MountRoot, "mountRoot");
    QTEST(drive->Label, "label");
    QTEST(drive->Ready, "ready");
    QFETCH(bool, ready);
    if (ready) // a drive without medium has no file system to tell its case rules
        QTEST(drive->CaseSensitive, "caseSensitive");
    QTEST(drive->ConnectionName, "connection");
}

void LinuxDrivesTest::unescapesLabelLinks_data() {
    QTest::addColumn<QByteArray>("linkName");
    QTest::addColumn<QString>("label");

    QTest::newRow("plain") << QByteArray("BACKUP") << "BACKUP";
    QTest::newRow("blank") << QByteArray("MY\\x20DISC") << "MY DISC";
    QTest::newRow("slash") << QByteArray("A\\x2fB") << "A/B";
    QTest::newRow("upper-case hex") << QByteArray("A\\x2FB") << "A/B";
    QTest::newRow("escaped UTF-8 bytes") << QByteArray("caf\\xc3\\xa9") << "café";
    QTest::newRow("raw UTF-8") << QByteArray("caf\xc3\xa9") << "café";
    QTest::newRow("not an escape") << QByteArray("A\\xZZ\\x4") << "A\\xZZ\\x4";
    QTest::newRow("long label") << QByteArray("ABCDEFGHIJKLMNOP") << "ABCDEFGHIJKLMNOP";
}

void LinuxDrivesTest::unescapesLabelLinks() {
    QFETCH(QByteArray, linkName);
    QTEST(TBlockDevices::UnescapeLabel(linkName), "label");
}

// A sysfs class folder and a by-label folder built for the test. The label links lead to
// /dev/null and /dev/zero, whose device numbers stand in for two discs.
void LinuxDrivesTest::readsSysfsAndLabelLinks() {
    QTemporaryDir scratch;
    QVERIFY(scratch.isValid());
    const QString sys = scratch.filePath("class/block");
    const QString labels = scratch.filePath("by-label");
    QVERIFY(QDir().mkpath(sys + "/sr0") && QDir().mkpath(sys + "/sdc/sdc1") &&
            QDir().mkpath(sys + "/sda/sda1") && QDir().mkpath(sys + "/fd0") &&
            QDir().mkpath(labels));
    QVERIFY(Write(sys + "/sr0/dev", "11:0\n") && Write(sys + "/sr0/removable", "1\n"));
    QVERIFY(Write(sys + "/sdc/dev", "8:32\n") && Write(sys + "/sdc/removable", "1\n"));
    QVERIFY(Write(sys + "/sdc/sdc1/dev", "8:33\n") && Write(sys + "/sdc/sdc1/partition", "1\n"));
    QVERIFY(Write(sys + "/sda/dev", "8:0\n") && Write(sys + "/sda/removable", "0\n"));
    QVERIFY(Write(sys + "/sda/sda1/dev", "8:1\n") && Write(sys + "/sda/sda1/partition", "1\n"));
    QVERIFY(Write(sys + "/fd0/dev", "2:0\n"));
    // sysfs lists partitions beside their disks as links into the disk's folder.
    QVERIFY(QFile::link(sys + "/sdc/sdc1", sys + "/sdc1"));
    QVERIFY(QFile::link(sys + "/sda/sda1", sys + "/sda1"));
    QVERIFY(QDir().mkpath(sys + "/broken")); // no dev file: left out
    QVERIFY(QFile::link("/dev/null", labels + "/MY\\x20DISC"));
    QVERIFY(QFile::link("/dev/zero", labels + "/caf\\xc3\\xa9"));
    QVERIFY(QFile::link("/nowhere", labels + "/GONE"));

    const TBlockDevices devices =
        TBlockDevices::Read(QFile::encodeName(sys), QFile::encodeName(labels));
    QStringList seen;
    for (const TBlockDevice& device : devices.Devices)
        seen << QStringLiteral("%1 %2:%3%4%5%6")
                    .arg(QString::fromUtf8(device.Name))
                    .arg(device.Major)
                    .arg(device.Minor)
                    .arg(device.Removable ? " removable" : "", device.Optical ? " optical" : "",
                         device.Floppy ? " floppy" : "");
    QCOMPARE(seen, QStringList({"fd0 2:0 floppy", "sda 8:0", "sda1 8:1", "sdc 8:32 removable",
                                "sdc1 8:33 removable", "sr0 11:0 removable optical"}));

    struct stat null {};
    struct stat zero {};
    QVERIFY(stat("/dev/null", &null) == 0 && stat("/dev/zero", &zero) == 0);
    QCOMPARE(devices.Labels.size(), 2);
    QCOMPARE(devices.LabelOf(major(null.st_rdev), minor(null.st_rdev)), QString("MY DISC"));
    QCOMPARE(devices.LabelOf(major(zero.st_rdev), minor(zero.st_rdev)), QString("café"));
    QVERIFY(TBlockDevices::Read("/nonexistent/class", "/nonexistent/labels").Devices.empty());
}

void LinuxDrivesTest::thisMachineHasRootAsC() {
    TLinuxFileSystem files;
    QVERIFY(files.DriveLetters().contains(u'C'));
    QCOMPARE(files.DriveType(u'C'), TDriveType::Fixed);
    QCOMPARE(files.DriveType(u'c'), TDriveType::Fixed);
    QVERIFY(files.VolumeInformation(u'C').Readable);
    QVERIFY(files.FolderExists("C:\\"));
    QVERIFY(!files.ConnectionName(u'C'));
}

// The working directory at start becomes the current folder, and entering a folder by a
// relative path moves the process's working directory with it.
void LinuxDrivesTest::entersFoldersOfThisMachine() {
    QTemporaryDir scratch;
    QVERIFY(scratch.isValid());
    QVERIFY(QDir(scratch.path()).mkpath("Sub Folder"));
    QVERIFY(Write(scratch.filePath("Sub Folder/file.txt"), "x"));
    const QString before = QDir::currentPath();
    QVERIFY(QDir::setCurrent(scratch.path()));
    {
        TLinuxFileSystem files;
        const QString start = files.CurrentFolder();
        QVERIFY2(start.endsWith(u'\\' + QDir(scratch.path()).dirName()), qPrintable(start));
        files.SetCurrentFolder("Sub Folder");
        QCOMPARE(files.CurrentFolder(), start + "\\Sub Folder");
        QCOMPARE(QDir::currentPath(), QDir(scratch.filePath("Sub Folder")).canonicalPath());
        const TFindResult found = files.Find("*.TXT", TFileAttribute::AnyFile);
        QCOMPARE(found.Entries.size(), 1u);
        QCOMPARE(found.Entries[0].Name, QString("file.txt"));
        files.SetCurrentFolder(start.left(2)); // "C:" keeps the drive's current folder
        QCOMPARE(files.CurrentFolder(), start + "\\Sub Folder");
    }
    QVERIFY(QDir::setCurrent(before));
}

QTEST_GUILESS_MAIN(LinuxDrivesTest)
#include "LinuxDrivesTest.moc"
