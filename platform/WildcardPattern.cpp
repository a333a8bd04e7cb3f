#include "platform/WildcardPattern.h"

#include <QVarLengthArray>
#include <algorithm>

namespace {
// Case-folding one UTF-16 unit is enough for file names: the folds that change a
// surrogate pair are not worth a slower loop here.
char16_t Fold(QChar c) {
    return c.unicode() < 0x80
               ? (c.unicode() >= u'A' && c.unicode() <= u'Z' ? c.unicode() + 32 : c.unicode())
               : c.toCaseFolded().unicode();
}

QString FoldedOf(QStringView text) {
    QString folded;
    folded.reserve(text.size());
    for (QChar c : text)
        folded += QChar(Fold(c));
    return folded;
}

// A trailing ".*" (with any number of stars) may match where the name ends.
bool IsDotStarTail(QStringView rest) {
    if (rest.size() < 2 || rest.front() != u'.')
        return false;
    for (qsizetype i = 1; i < rest.size(); ++i)
        if (rest[i] != u'*')
            return false;
    return true;
}
} // namespace

TWildcardPattern::TWildcardPattern(QStringView pattern)
    : Folded(FoldedOf(pattern))
    , Everything(Folded.isEmpty() || Folded == u"*" || Folded == u"*.*") {}

bool TWildcardPattern::Matches(QStringView name) const {
    if (Everything)
        return true;
    // Reach[j]: the pattern read so far can match the first j characters of the name.
    // One row per pattern character keeps the cost at pattern length × name length, with
    // no backtracking blow-up on patterns full of stars.
    const qsizetype n = name.size();
    QVarLengthArray<bool, 256> reach(n + 1, false);
    QVarLengthArray<bool, 256> next(n + 1, false);
    reach[0] = true;
    for (qsizetype p = 0; p < Folded.size(); ++p) {
        const char16_t c = Folded[p].unicode();
        std::fill(next.begin(), next.end(), false);
        if (c == u'*') {
            bool any = false;
            for (qsizetype j = 0; j <= n; ++j)
                next[j] = any = any || reach[j];
        } else if (IsDotStarTail(QStringView(Folded).mid(p))) {
            // ".*" at the end: the name may end here, or carry on with a '.' and anything.
            for (qsizetype j = 0; j <= n; ++j)
                if (reach[j] && (j == n || name[j] == u'.'))
                    return true;
            return false;
        } else {
            for (qsizetype j = 0; j <= n; ++j) {
                if (!reach[j])
                    continue;
                if (j < n && (c == u'?' || Fold(name[j]) == c))
                    next[j + 1] = true;
                if (c == u'?' && (j == n || name[j] == u'.'))
                    next[j] = true;
            }
        }
        std::swap(reach, next);
    }
    return reach[n];
}
