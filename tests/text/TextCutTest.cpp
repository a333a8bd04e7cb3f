// Cutting text to whole characters: where the cut falls for ASCII, accented letters and
// characters beyond the basic plane, and that no limit means the whole text.

#include "text/TextCut.h"

#include <QTest>

class TextCutTest : public QObject {
    Q_OBJECT

private slots:
    void cutsBetweenWholeCharacters_data();
    void cutsBetweenWholeCharacters();
};

void TextCutTest::cutsBetweenWholeCharacters_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("characters");
    QTest::addColumn<QString>("cut");

    QTest::newRow("shorter than the limit") << "MY DISC" << 11 << "MY DISC";
    QTest::newRow("exactly the limit") << "ABCDEFGHIJK" << 11 << "ABCDEFGHIJK";
    QTest::newRow("longer") << "MY DISC 2024 BACKUP" << 11 << "MY DISC 202";
    QTest::newRow("blanks kept") << "  A  " << 3 << "  A";
    QTest::newRow("accented letters") << "ÉTÉ ÀÇÇÈNTS 2" << 10 << "ÉTÉ ÀÇÇÈNT";
    QTest::newRow("pair counts as one") << "AB📀📀CD" << 4 << "AB📀📀";
    QTest::newRow("pair not split") << "ABCDEFGHIJ📀Z" << 11 << "ABCDEFGHIJ📀";
    QTest::newRow("cut before a pair") << "ABC📀" << 3 << "ABC";
    QTest::newRow("lone high surrogate at the end")
        << QString("AB") + QChar(0xD83D) << 3 << QString("AB") + QChar(0xD83D);
    QTest::newRow("no limit") << "MY DISC 2024 BACKUP" << 0 << "MY DISC 2024 BACKUP";
    QTest::newRow("negative is no limit") << "MY DISC" << -1 << "MY DISC";
    QTest::newRow("empty") << "" << 5 << "";
}

void TextCutTest::cutsBetweenWholeCharacters() {
    QFETCH(QString, text);
    QFETCH(int, characters);
    QTEST(CutToCharacters(text, characters), "cut");
}

QTEST_GUILESS_MAIN(TextCutTest)
#include "TextCutTest.moc"
