#include "text/TextCut.h"

QString CutToCharacters(const QString& text, int characters) {
    if (characters <= 0 || text.size() <= characters)
        return text;
    qsizetype end = 0;
    for (int counted = 0; counted < characters && end < text.size(); ++counted)
        end += text.at(end).isHighSurrogate() && end + 1 < text.size() ? 2 : 1;
    return text.left(end);
}
