#pragma once
// A Windows file-name pattern, prepared once and matched against many names, without
// regard to case: "*", "*.*" and "" match every name; '*' elsewhere matches any run;
// '?' matches one character, or nothing before a '.' or at the end ("FILE?.TXT" matches
// "FILE.TXT"); a trailing ".*" also matches the end of the name ("README.*" matches
// "README"). Every other character, ';' and blanks included, matches itself.

#include <QString>
#include <QStringView>

class TWildcardPattern {
public:
    explicit TWildcardPattern(QStringView pattern);

    bool Matches(QStringView name) const;

private:
    QString Folded; // the pattern case-folded
    bool Everything = false;
};
