#include "widgets/pickers/FilterSelector.h"

#include "widgets/UserCommand.h"
#include "widgets/pickers/FileList.h"

TFilterSelector::TFilterSelector(TMessageService& messages, QWidget* parent)
    : QComboBox(parent)
    , Messages(messages) {
    setEditable(false);
    BuildEntries();
    connect(this, &QComboBox::activated, this,
            [this] { RunUserCommand(Messages, [this] { ApplyMask(); }); });
}

void TFilterSelector::BuildEntries() {
    clear();
    EntryMasks.clear();
    QString rest = FilterText;
    // Each description is followed by "|" and its mask; a description with no "|" behind it
    // has no mask and is dropped.
    for (qsizetype bar = rest.indexOf(u'|'); bar >= 0; bar = rest.indexOf(u'|')) {
        const QString description = rest.left(bar);
        const qsizetype nextBar = rest.indexOf(u'|', bar + 1);
        const QString mask = nextBar < 0 ? rest.mid(bar + 1) : rest.mid(bar + 1, nextBar - bar - 1);
        rest = nextBar < 0 ? QString() : rest.mid(nextBar + 1);
        addItem(description);
        EntryMasks.append(mask);
    }
    setCurrentIndex(count() > 0 ? 0 : -1);
}

void TFilterSelector::SetFilter(const QString& filter) {
    if (filter.compare(FilterText, Qt::CaseInsensitive) != 0) {
        FilterText = filter;
        BuildEntries();
    }
    ApplyMask();
}

QString TFilterSelector::ChosenMask() {
    if (count() == 0)
        return QStringLiteral("*.*");
    if (currentIndex() < 0)
        setCurrentIndex(count() - 1);
    return EntryMasks[currentIndex()];
}

void TFilterSelector::ApplyMask() {
    if (LinkedFileList)
        LinkedFileList->SetMask(ChosenMask());
    emit Change();
}
