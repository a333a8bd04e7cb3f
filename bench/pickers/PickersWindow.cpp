// The four pickers laid out and set up as on the insert-data window, to look at: over fake
// drives with a small tree (the default), or over this machine's drives with --real. A few
// files are selected so the highlight and the focus rectangle show.

#include "platform/LinuxFileSystem.h"
#include "support/FakeFileSystem.h"
#include "widgets/DialogMessages.h"
#include "widgets/pickers/DriveSelector.h"
#include "widgets/pickers/FileList.h"
#include "widgets/pickers/FilterSelector.h"
#include "widgets/pickers/FolderList.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QWidget>
#include <memory>

namespace {
std::unique_ptr<TFileSystem> SampleDrives() {
    auto files = std::make_unique<TFakeFileSystem>();
    files->AddDrive(u'C', TDriveType::Fixed, "System");
    files->AddDrive(u'A', TDriveType::Removable);
    const QString d = files->AddDrive(u'D', TDriveType::CdRom, "Photos 2001");
    files->AddDrive(u'E', TDriveType::CdRom);
    files->SetReady(u'E', false);
    files->AddDrive(u'R', TDriveType::RamDisk, "Scratch");
    TDrive share;
    share.Letter = u'X';
    share.Type = TDriveType::Remote;
    share.ConnectionName = "\\\\server\\share";
    files->AddDrive(share);
    for (const char* folder : {"DOCS/OLD/2001", "DOCS/OLD/Letters", "DOCS/OLD/scans", "MUSIC"})
        QDir().mkpath(d + "/" + folder);
    for (const char* name : {"budget.xls", "Readme.txt", "setup.exe", "notes.txt", "RUN.BAT",
                             "photo 001.jpg", "photo 002.jpg", ".hidden"})
        QFile(d + "/DOCS/OLD/" + name).open(QIODevice::WriteOnly);
    files->SetCurrentFolder("D:\\DOCS\\OLD");
    return files;
}
} // namespace

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    const bool real = QApplication::arguments().contains("--real");
    const std::unique_ptr<TFileSystem> files =
        real ? std::make_unique<TLinuxFileSystem>() : SampleDrives();

    TDialogMessages messages;
    QWidget window;
    window.setWindowTitle("Pickers");
    window.resize(580, 190);
    QFont font = window.font();
    font.setPointSize(8);
    window.setFont(font);
    // The pickers draw on the button face, as on the insert-data window.
    QPalette face = window.palette();
    face.setColor(QPalette::Base, face.color(QPalette::Button));
    window.setPalette(face);

    TFolderList folders(messages, *files, &window);
    folders.setGeometry(8, 8, 225, 145);
    TFileList fileList(messages, *files, &window);
    fileList.setGeometry(240, 8, 329, 145);
    fileList.SetMultiSelect(true);
    fileList.SetShowGlyphs(true);
    TDriveSelector drives(messages, *files, &window);
    drives.setGeometry(8, 160, 161, drives.sizeHint().height());
    drives.SetTextCase(tcUpperCase);
    TFilterSelector filter(messages, &window);
    filter.setGeometry(240, 160, 161, filter.sizeHint().height());
    drives.SetDirList(&folders);
    folders.SetFileList(&fileList);
    filter.SetFileList(&fileList);
    filter.SetFilter("All files (*.*)|*.*|Text files (*.txt)|*.txt");

    const auto select = [&](int row) {
        fileList.selectionModel()->select(fileList.model()->index(row, 0),
                                          QItemSelectionModel::Select);
    };
    window.show();
    window.activateWindow();
    fileList.setFocus();
    if (fileList.Count() > 3) {
        fileList.setCurrentIndex(fileList.model()->index(3, 0));
        select(1);
    }
    if (QApplication::arguments().contains("--drop"))
        drives.showPopup();
    return QApplication::exec();
}
