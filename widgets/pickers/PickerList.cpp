#include "widgets/pickers/PickerList.h"

TPickerList::TPickerList(TMessageService& messages, TFileSystem& files, int glyphRowHeight,
                         TPickerDelegate::TTextPlace place, QWidget* parent)
    : QListView(parent)
    , Messages(messages)
    , Files(files)
    , Model(this)
    , Delegate(glyphRowHeight, place, this) {
    setModel(&Model);
    setItemDelegate(&Delegate);
    // Every line has the same height, so a folder of 100,000 files lays out at once.
    setUniformItemSizes(true);
    setSelectionMode(SingleSelection);
    setEditTriggers(NoEditTriggers);
}
