// The filter selector: reading the filter text into entries and masks, the chosen mask, and a
// pick handing its mask to the file list.

#include "widgets/pickers/FilterSelector.h"
#include "PickerDrives.h"
#include "ScriptedMessages.h"
#include "widgets/pickers/FileList.h"

#include <QSignalSpy>
#include <QTest>

class FilterSelectorTest : public QObject {
    Q_OBJECT
private slots:
    void init() { Messages.Shown.clear(); }
    void theFilterTextGivesEntriesAndMasks_data();
    void theFilterTextGivesEntriesAndMasks();
    void theChosenMaskChoosesTheLastEntryWhenNoneIsChosen();
    void settingTheFilterHandsTheMaskToTheFileList();
    void aPickHandsItsMaskToTheFileList();
    void aPickWhoseFolderVanishedShowsTheError();

private:
    TScriptedMessages Messages;
};

void FilterSelectorTest::theFilterTextGivesEntriesAndMasks_data() {
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("masks");
    QTest::addColumn<QString>("chosenMask");

    QTest::newRow("default") << "All files (*.*)|*.*" << QStringList{"All files (*.*)"}
                             << QStringList{"*.*"} << "*.*";
    QTest::newRow("two entries") << "Text|*.txt|Documents|*.doc;*.rtf"
                                 << QStringList{"Text", "Documents"}
                                 << QStringList{"*.txt", "*.doc;*.rtf"} << "*.txt";
    QTest::newRow("last description without mask")
        << "Text|*.txt|Rest" << QStringList{"Text"} << QStringList{"*.txt"} << "*.txt";
    QTest::newRow("empty") << "" << QStringList{} << QStringList{} << "*.*";
    QTest::newRow("description only") << "Nothing" << QStringList{} << QStringList{} << "*.*";
    QTest::newRow("missing mask at the end")
        << "Text|" << QStringList{"Text"} << QStringList{""} << "";
    QTest::newRow("missing mask between")
        << "A||B|*.b" << QStringList{"A", "B"} << QStringList{"", "*.b"} << "";
    QTest::newRow("blanks kept") << " Text | *.txt ;*.doc" << QStringList{" Text "}
                                 << QStringList{" *.txt ;*.doc"} << " *.txt ;*.doc";
}

void FilterSelectorTest::theFilterTextGivesEntriesAndMasks() {
    QFETCH(QString, filter);
    QFETCH(QStringList, entries);
    QFETCH(QStringList, masks);
    QFETCH(QString, chosenMask);
    TFilterSelector selector(Messages);

    selector.SetFilter(filter);

    QStringList texts;
    for (int row = 0; row < selector.count(); ++row)
        texts << selector.itemText(row);
    QCOMPARE(texts, entries);
    QCOMPARE(selector.Masks(), masks);
    QCOMPARE(selector.ChosenMask(), chosenMask);
    QCOMPARE(selector.currentIndex(), entries.isEmpty() ? -1 : 0);
}

void FilterSelectorTest::theChosenMaskChoosesTheLastEntryWhenNoneIsChosen() {
    TFilterSelector selector(Messages);
    selector.SetFilter("A|*.a|B|*.b|C|*.c");
    selector.setCurrentIndex(-1);

    QCOMPARE(selector.ChosenMask(), QString("*.c"));
    QCOMPARE(selector.currentIndex(), 2);
}

void FilterSelectorTest::settingTheFilterHandsTheMaskToTheFileList() {
    TFakeFileSystem files;
    MakeFiles(files.AddDrive(u'C', TDriveType::Fixed), {"a.txt", "b.doc"});
    TFileList list(Messages, files);
    TFilterSelector selector(Messages);
    selector.SetFileList(&list);
    const QSignalSpy changes(&selector, &TFilterSelector::Change);

    selector.SetFilter("Documents|*.doc|Text|*.txt");
    QCOMPARE(list.Mask(), QString("*.doc"));
    QCOMPARE(list.Items(), QStringList{"b.doc"});
    QCOMPARE(changes.count(), 1);

    // The same filter in other letters is not read again: the choice stays.
    selector.setCurrentIndex(1);
    selector.SetFilter("DOCUMENTS|*.DOC|TEXT|*.TXT");
    QCOMPARE(selector.itemText(0), QString("Documents"));
    QCOMPARE(list.Mask(), QString("*.txt"));
    QCOMPARE(changes.count(), 2);

    selector.SetFilter("Text|"); // a missing mask lists nothing
    QCOMPARE(list.Items(), QStringList{});
}

void FilterSelectorTest::aPickHandsItsMaskToTheFileList() {
    TFakeFileSystem files;
    MakeFiles(files.AddDrive(u'C', TDriveType::Fixed), {"a.txt", "b.doc", "c.TXT"});
    TFileList list(Messages, files);
    TFilterSelector selector(Messages);
    selector.SetFileList(&list);
    selector.SetFilter("All|*.*|Text|*.txt|Both|*.txt;*.doc");
    const QSignalSpy changes(&selector, &TFilterSelector::Change);
    selector.show();
    QVERIFY(QTest::qWaitForWindowExposed(&selector));

    QTest::keyClick(&selector, Qt::Key_Down);
    QCOMPARE(list.Items(), (QStringList{"a.txt", "c.TXT"}));
    QTest::keyClick(&selector, Qt::Key_Down);
    QCOMPARE(list.Mask(), QString("*.txt;*.doc"));
    QCOMPARE(list.Items(), (QStringList{"a.txt", "b.doc", "c.TXT"}));
    QCOMPARE(changes.count(), 2);
}

void FilterSelectorTest::aPickWhoseFolderVanishedShowsTheError() {
    TFakeFileSystem files;
    const QString root = files.AddDrive(u'C', TDriveType::Fixed);
    MakeFiles(root + "/GONE", {"a.txt", "b.doc"});
    files.SetCurrentFolder("C:\\GONE");
    TFileList list(Messages, files);
    TFilterSelector selector(Messages);
    selector.SetFileList(&list);
    selector.SetFilter("All|*.*|Text|*.txt");
    const QSignalSpy changes(&selector, &TFilterSelector::Change);
    files.SetCurrentFolder("C:\\");
    QDir(root + "/GONE").removeRecursively();

    QTest::keyClick(&selector, Qt::Key_Down);

    QCOMPARE(Messages.Texts(), QStringList{"File not found: C:\\GONE."});
    QCOMPARE(list.Items(), (QStringList{"a.txt", "b.doc"}));
    QCOMPARE(changes.count(), 0);
}

QTEST_MAIN(FilterSelectorTest)
#include "FilterSelectorTest.moc"
