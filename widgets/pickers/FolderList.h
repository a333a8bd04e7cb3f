#pragma once
// The folder list: the path from the drive root down to the current folder, then the current
// folder's sub-folders. Opening a line enters that folder and moves the linked file list.

#include "widgets/pickers/PickerList.h"

#include <vector>

class TFileList;
class TFileSystem;
class TMessageService;

class TFolderList : public TPickerList {
    Q_OBJECT
public:
    // Shows the process's current folder. The user's openings that fail show in the error box
    // of `messages`.
    TFolderList(TMessageService& messages, TFileSystem& files, QWidget* parent = nullptr);

    // "D:\", "D:\DOCS\OLD": no trailing backslash below a root.
    QString CurrentFolder() const { return Current; }
    bool CasePreserving() const { return Preserving; }
    bool CaseSensitive() const { return Sensitive; }
    // The highlighted line, -1 for none.
    int ItemIndex() const { return currentIndex().row(); }
    void SetItemIndex(int index) { setCurrentIndex(Model.index(index)); }

    TFileList* FileList() const { return LinkedFileList; }
    void SetFileList(TFileList* fileList) { LinkedFileList = fileList; }

    // Moves to drive `letter`'s current folder (0: stays, only rebuilding the lines). Throws
    // TFileSystemError, leaving every line and folder as it was.
    void FollowDrive(QChar letter);
    // Opens the highlighted line. Throws as FollowDrive does.
    void OpenHighlightedLine();
    // Enters `path` ("E:\", "E:\DOCS") and shows it. Throws as FollowDrive does.
    void SetCurrentFolder(const QString& path) { EnterAndShow(path); }

signals:
    void Change(); // after each change of folder

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void EnterAndShow(const QString& path);
    void BuildLines();
    void FolderChanged();
    Qt::CaseSensitivity NameCase() const;

    std::vector<QString> LinePaths; // the folder each line stands for
    QString Current;
    bool Preserving = true;
    bool Sensitive = true;
    TFileList* LinkedFileList = nullptr;
};
