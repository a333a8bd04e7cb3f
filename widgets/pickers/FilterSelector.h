#pragma once
// The filter selector: a drop-down list of filter descriptions; picking one gives its mask to
// the linked file list.

#include <QComboBox>

class TFileList;
class TMessageService;

class TFilterSelector : public QComboBox {
    Q_OBJECT
public:
    // Starts with the filter "All files (*.*)|*.*". The user's picks that fail show in the
    // error box of `messages`.
    explicit TFilterSelector(TMessageService& messages, QWidget* parent = nullptr);

    // Takes description and mask pairs ("Text files|*.txt|Documents|*.doc;*.txt"). Builds the
    // entries when the text differs without regard to case, then gives the chosen mask to the
    // file list and emits Change. Throws TFileSystemError when the file list cannot enter its
    // folder.
    void SetFilter(const QString& filter);
    const QStringList& Masks() const { return EntryMasks; }
    // The chosen entry's mask (choosing the last entry when none is); "*.*" with no entries.
    QString ChosenMask();

    TFileList* FileList() const { return LinkedFileList; }
    void SetFileList(TFileList* fileList) { LinkedFileList = fileList; }

signals:
    void Change();

private:
    void BuildEntries();
    void ApplyMask();

    TMessageService& Messages;
    QString FilterText = QStringLiteral("All files (*.*)|*.*");
    QStringList EntryMasks;
    TFileList* LinkedFileList = nullptr;
};
