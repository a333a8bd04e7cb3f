#include "support/FakeFileSystem.h"

#include <QDir>
#include <cerrno>
#include <cstdlib>
#include <ftw.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace {
int RemoveOne(const char* path, const struct stat*, int, struct FTW*) {
    ::remove(path); // keep going: what cannot go stays behind
    return 0;
}

QByteArray WorkingFolder() {
    char* path = getcwd(nullptr, 0);
    QByteArray folder = path ? QByteArray(path) : QByteArray();
    std::free(path);
    return folder;
}
} // namespace

TFakeFileSystem::TFakeFileSystem()
    : StartFolder(WorkingFolder()) {
    QByteArray pattern = QDir::tempPath().toUtf8() + "/fake-drives-XXXXXX";
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error("cannot create a folder for the fake drives under " +
                                 QDir::tempPath().toStdString());
    ScratchFolder = pattern;
}

TFakeFileSystem::~TFakeFileSystem() {
    // Leave no test standing in a folder that is about to go.
    if (StartFolder.isEmpty() || chdir(StartFolder.constData()) != 0)
        QDir::setCurrent(QDir::rootPath());
    nftw(ScratchFolder.constData(), RemoveOne, 16, FTW_DEPTH | FTW_PHYS);
}

QString TFakeFileSystem::AddDrive(TDrive drive) {
    drive.Letter = drive.Letter.toUpper();
    if (drive.MountRoot.isEmpty()) {
        drive.MountRoot = ScratchFolder + '/' + QString(drive.Letter).toLatin1();
        QDir().mkpath(QString::fromUtf8(drive.MountRoot));
    }
    QString root = QString::fromUtf8(drive.MountRoot);
    TDriveTable table = Drives();
    table.Set(drive);
    SetDrives(std::move(table));
    Folders().AdoptDriveIfNone(drive.Letter);
    return root;
}

QString TFakeFileSystem::AddDrive(QChar letter, TDriveType type, const QString& label) {
    return AddDrive({.Letter = letter, .Type = type, .Label = label});
}

void TFakeFileSystem::RemoveDrive(QChar letter) {
    TDriveTable table = Drives();
    table.Remove(letter);
    SetDrives(std::move(table));
}

void TFakeFileSystem::EditDrive(QChar letter, const std::function<void(TDrive&)>& edit) {
    TDriveTable table = Drives();
    const TDrive* found = table.Find(letter);
    if (!found)
        return;
    TDrive drive = *found;
    edit(drive);
    table.Set(std::move(drive));
    SetDrives(std::move(table));
}

void TFakeFileSystem::SetReady(QChar letter, bool ready) {
    EditDrive(letter, [ready](TDrive& drive) { drive.Ready = ready; });
}

void TFakeFileSystem::SetLabel(QChar letter, const QString& label) {
    EditDrive(letter, [&label](TDrive& drive) { drive.Label = label; });
}

QString TFakeFileSystem::RealPath(const QString& drivePath) const {
    const TDrive* drive = Drives().Find(drivePath.isEmpty() ? QChar() : drivePath[0]);
    if (!drive)
        return {};
    // Readiness aside, the folder is there: tests fill a disc before putting it in.
    TDriveTable table;
    TDrive ready = *drive;
    ready.Ready = true;
    table.Set(ready);
    return QString::fromUtf8(table.RealPathOf(drivePath).Path);
}

bool TFakeFileSystem::FailListing(const QString& drivePath, int entries, int error) {
    struct stat folder {};
    const QByteArray real = RealPath(drivePath).toUtf8();
    if (real.isEmpty() || stat(real.constData(), &folder) != 0 || !S_ISDIR(folder.st_mode))
        return false;
    ListingFaults[{folder.st_dev, folder.st_ino}] = {entries, error};
    return true;
}

dirent* TFakeFileSystem::ReadEntry(DIR* listing, int position) {
    struct stat folder {};
    if (fstat(dirfd(listing), &folder) == 0) {
        const auto fault = ListingFaults.find({folder.st_dev, folder.st_ino});
        if (fault != ListingFaults.end() && position >= fault->second.Entries) {
            errno = fault->second.Error;
            return nullptr;
        }
    }
    return TDriveFileSystem::ReadEntry(listing, position);
}
