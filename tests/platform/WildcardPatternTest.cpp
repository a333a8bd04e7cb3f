// Windows file-name patterns: every-name patterns, stars, question marks before a dot or
// at the end, the ".*" tail, case, and characters that are not wildcards.

#include "platform/WildcardPattern.h"

#include <QTest>

class WildcardPatternTest : public QObject {
    Q_OBJECT

private slots:
    void matchesAsWindowsDoes_data();
    void matchesAsWindowsDoes();
    void longStarPatternsStayQuick();
};

void WildcardPatternTest::matchesAsWindowsDoes_data() {
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("matches");

    // "*", "*.*" and an empty pattern take every name, with or without dots.
    QTest::newRow("star, no dot") << "*"
                                  << "README" << true;
    QTest::newRow("star dot star, no dot") << "*.*"
                                           << "README" << true;
    QTest::newRow("star dot star, two dots") << "*.*"
                                             << "a.b.c" << true;
    QTest::newRow("star dot star, leading dot") << "*.*"
                                                << ".profile" << true;
    QTest::newRow("star dot star, dot entry") << "*.*"
                                              << "." << true;
    QTest::newRow("empty pattern") << ""
                                   << "anything.txt" << true;

    QTest::newRow("extension") << "*.txt"
                               << "notes.txt" << true;
    QTest::newRow("extension after other dots") << "*.txt"
                                                << "a.b.txt" << true;
    QTest::newRow("extension is the whole tail") << "*.txt"
                                                 << "notes.txt.bak" << false;
    QTest::newRow("extension needs its dot") << "*.txt"
                                             << "notestxt" << false;
    QTest::newRow("case of the pattern") << "*.TXT"
                                         << "c.txt" << true;
    QTest::newRow("case of the name") << "*.txt"
                                      << "C.TXT" << true;
    QTest::newRow("case beyond ASCII") << "ÉTÉ.*"
                                       << "été.doc" << true;
    QTest::newRow("star in the middle") << "a*z.doc"
                                        << "abcz.doc" << true;
    QTest::newRow("star takes nothing") << "a*z.doc"
                                        << "az.doc" << true;
    QTest::newRow("two stars") << "*b*d*"
                               << "abcde" << true;
    QTest::newRow("two stars, order matters") << "*d*b*"
                                              << "abcde" << false;
    QTest::newRow("prefix star") << "read*"
                                 << "README.md" << true;

    QTest::newRow("question mark takes one") << "FILE?.TXT"
                                             << "FILE1.TXT" << true;
    QTest::newRow("question mark before dot takes none") << "FILE?.TXT"
                                                         << "FILE.TXT" << true;
    QTest::newRow("question mark takes no more than one") << "FILE?.TXT"
                                                          << "FILE12.TXT" << false;
    QTest::newRow("two question marks before dot") << "FILE??.TXT"
                                                   << "FILE1.TXT" << true;
    QTest::newRow("question mark at end takes none") << "AB?"
                                                     << "AB" << true;
    QTest::newRow("question mark in the middle needs one") << "A?C"
                                                           << "AC" << false;
    QTest::newRow("question mark takes a dot") << "A?B"
                                               << "A.B" << true;
    QTest::newRow("question marks for an extension") << "*.???"
                                                     << "x.md" << true;
    QTest::newRow("question marks for a longer extension") << "*.???"
                                                           << "x.html" << false;

    QTest::newRow("dot star tail takes the bare name") << "README.*"
                                                       << "README" << true;
    QTest::newRow("dot star tail takes an extension") << "README.*"
                                                      << "README.md" << true;
    QTest::newRow("dot star tail is not a prefix") << "README.*"
                                                   << "READMEX" << false;
    QTest::newRow("dot in the middle is literal") << "a.b"
                                                  << "ab" << false;

    // Only '*' and '?' are wildcards: one pattern never holds several.
    QTest::newRow("semicolon is literal") << "*.txt;*.doc"
                                          << "a.doc" << false;
    QTest::newRow("semicolon matches itself") << "a;b"
                                              << "A;B" << true;
    QTest::newRow("blank is literal") << " *.txt"
                                      << "a.txt" << false;
    QTest::newRow("brackets are literal") << "[ab].txt"
                                          << "a.txt" << false;
    QTest::newRow("exact name") << "Makefile"
                                << "makefile" << true;
    QTest::newRow("exact name, longer") << "Makefile"
                                        << "Makefile.in" << false;
    QTest::newRow("empty name") << "?"
                                << "" << true;
    QTest::newRow("letters against an empty name") << "a"
                                                   << "" << false;
}

void WildcardPatternTest::matchesAsWindowsDoes() {
    QFETCH(QString, pattern);
    QFETCH(QString, name);
    QFETCH(bool, matches);
    QCOMPARE(TWildcardPattern(pattern).Matches(name), matches);
}

// A backtracking matcher takes exponential time here; the answer must come at all.
void WildcardPatternTest::longStarPatternsStayQuick() {
    const QString pattern = QString("*a").repeated(40) + "*b";
    const QString name = QString(250, u'a');
    const TWildcardPattern wildcard(pattern);
    QVERIFY(!wildcard.Matches(name));
    QVERIFY(wildcard.Matches(name + "b"));
}

QTEST_GUILESS_MAIN(WildcardPatternTest)
#include "WildcardPatternTest.moc"
