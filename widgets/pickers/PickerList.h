#pragma once
// What the folder list and the file list share: a list view of picker lines drawn by the
// picker delegate, one entry current at a time and none edited in place, over the file system
// it reads, with the error box for the user's commands.

#include "widgets/pickers/PickerDelegate.h"
#include "widgets/pickers/PickerLineModel.h"

#include <QListView>

class TFileSystem;
class TMessageService;

class TPickerList : public QListView {
    Q_OBJECT
protected:
    TPickerList(TMessageService& messages, TFileSystem& files, int glyphRowHeight,
                TPickerDelegate::TTextPlace place, QWidget* parent);

    TMessageService& Messages;
    TFileSystem& Files;
    TPickerLineModel Model;
    TPickerDelegate Delegate;
};
