#pragma once
// The file list: the names in one folder that match a mask of ";"-separated patterns and a set
// of attributes, sorted without regard to case, with optional glyphs and extended selection.

#include "platform/FileSystem.h"
#include "widgets/pickers/PickerList.h"

#include <QFlags>

enum TFileTypeFlag : quint32 {
    // The bits of the file attributes they admit; ftNormal admits none of its own.
    ftReadOnly = TFileAttribute::ReadOnly,
    ftHidden = TFileAttribute::Hidden,
    ftSystem = TFileAttribute::System,
    ftVolumeID = TFileAttribute::VolumeId,
    ftDirectory = TFileAttribute::Directory,
    ftArchive = TFileAttribute::Archive,
    ftNormal = 0x80, // Windows' "normal" bit, which no search reports
};
Q_DECLARE_FLAGS(TFileType, TFileTypeFlag)
Q_DECLARE_OPERATORS_FOR_FLAGS(TFileType)

class TFileList : public TPickerList {
    Q_OBJECT
public:
    // Lists the process's current folder with the mask "*.*". Errors of the handlers run by
    // the user's keys and clicks show in the error box of `messages`.
    TFileList(TMessageService& messages, TFileSystem& files, QWidget* parent = nullptr);

    QStringList Items() const;
    int Count() const { return Model.rowCount(); }
    bool EntrySelected(int index) const;

    QString Mask() const { return FileMask; }
    void SetMask(const QString& mask);
    void SetFileType(TFileType types);
    void SetMultiSelect(bool multiSelect);
    bool ShowGlyphs() const { return Delegate.ShowGlyphs(); }
    void SetShowGlyphs(bool show);

    // The folder listed.
    QString Folder() const { return OwnFolder; }
    // Enters the folder, takes the folder that is then current and lists it. Throws
    // TFileSystemError, leaving the entries as they were. A listing that fails part-way
    // shows what it read and the error in the error box.
    void SetFolder(const QString& path);

    // What the last listing could not show, names the drive form cannot carry: how many, and
    // the first in name order, told as the tree scan tells it (empty when none).
    qint64 LeftOutCount() const { return LeftOutTotal; }
    QString FirstLeftOut() const { return FirstLeftOutText; }

signals:
    void DblClick();
    // The typed character, before the list's own key handling (Enter is 13).
    void KeyPress(QChar key);
    // After each listing and after each click or key that moves the focused entry.
    void Change();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void List();
    void FocusMoved(int focusedBefore);

    QString OwnFolder;
    QString FileMask = QStringLiteral("*.*");
    TFileType Types = ftNormal;
    qint64 LeftOutTotal = 0;
    QString FirstLeftOutText;
};
