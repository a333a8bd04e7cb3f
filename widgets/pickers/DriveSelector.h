#pragma once
// The drive selector: a drop-down list of the drives, each with its kind's glyph and its
// label or connection name; picking one moves the linked folder list to that drive.

#include "widgets/pickers/PickerDelegate.h"
#include "widgets/pickers/PickerLineModel.h"

#include <QComboBox>

class TFileSystem;
class TFolderList;
class TMessageService;

enum TTextCase { tcLowerCase, tcUpperCase };

class TDriveSelector : public QComboBox {
    Q_OBJECT
public:
    // Lists the drives and chooses the one of the process's current folder. The user's picks
    // that fail show in the error box of `messages`.
    TDriveSelector(TMessageService& messages, TFileSystem& files, QWidget* parent = nullptr);

    // The chosen letter in the case SetTextCase gave; the character 0 for none.
    QChar ChosenDrive() const { return Chosen; }
    // Throws TFileSystemError when the linked folder list cannot enter the drive; the new
    // entry stays chosen and Change is not emitted.
    void SetChosenDrive(QChar letter);

    // Lists the drives again in that case (labels are read again) and chooses the same drive.
    void SetTextCase(TTextCase textCase);

    void SetDirList(TFolderList* folderList) { LinkedFolderList = folderList; }

signals:
    // A pick from the list, before the drive changes.
    void Click();
    // After each change of the chosen drive.
    void Change();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void BuildDriveList();
    void Pick(int index);
    QString InCase(const QString& text) const;

    TMessageService& Messages;
    TFileSystem& Files;
    TPickerLineModel Model;
    TPickerDelegate Delegate;
    QChar Chosen;
    TTextCase LetterCase = tcLowerCase;
    TFolderList* LinkedFolderList = nullptr;
};
