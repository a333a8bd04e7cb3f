#include "catalog/internal/CsvReader.h"

#include <algorithm>
#include <array>

namespace {
constexpr std::array<char, 4> Separators = {',', ';', '\t', '|'};

bool IsLineBreak(char byte) {
    return byte == '\n' || byte == '\r';
}
} // namespace

TCsvReader::TCsvReader(QByteArrayView text)
    : Text(text) {
    if (Text.startsWith("\xEF\xBB\xBF"))
        Position = 3;
    std::array<qint64, Separators.size()> counts{};
    bool quoted = false;
    qsizetype first = Position;
    while (first < Text.size() && IsLineBreak(Text[first]))
        ++first;
    for (qsizetype at = first; at < Text.size() && (quoted || !IsLineBreak(Text[at])); ++at) {
        if (Text[at] == '"')
            quoted = !quoted;
        else if (!quoted)
            for (size_t which = 0; which < Separators.size(); ++which)
                counts[which] += Text[at] == Separators[which];
    }
    const auto most = std::max_element(counts.begin(), counts.end());
    if (*most > 0)
        Sep = Separators[size_t(most - counts.begin())];
}

TCsvReader::TRecord TCsvReader::Next(std::vector<QByteArrayView>& fields, QString& problem) {
    for (;;) {
        // Blank lines hold no record.
        while (Position < Text.size() && IsLineBreak(Text[Position]))
            PassLineBreak();
        if (Position >= Text.size())
            return TRecord::End;
        RecordLine = NextLine;
        const qsizetype start = Position;
        fields.clear();
        for (;;) {
            if (!ReadField(fields, problem)) {
                SkipToNextLine(start);
                return TRecord::Broken;
            }
            if (Position < Text.size() && Text[Position] == Sep) {
                ++Position;
                continue;
            }
            PassLineBreak();
            return TRecord::Row;
        }
    }
}

bool TCsvReader::ReadField(std::vector<QByteArrayView>& fields, QString& problem) {
    if (Position < Text.size() && Text[Position] == '"')
        return ReadQuoted(fields, problem);
    const qsizetype start = Position;
    while (Position < Text.size() && Text[Position] != Sep && !IsLineBreak(Text[Position]))
        ++Position;
    fields.push_back(Text.sliced(start, Position - start));
    return true;
}

bool TCsvReader::ReadQuoted(std::vector<QByteArrayView>& fields, QString& problem) {
    const qsizetype start = ++Position;
    bool doubled = false;
    qint64 lines = 0;
    for (;;) {
        const qsizetype quote = Text.indexOf('"', Position);
        if (quote < 0) {
            problem = QStringLiteral("an unclosed quote");
            return false;
        }
        for (qsizetype at = Position; at < quote; ++at)
            lines += Text[at] == '\n' || (Text[at] == '\r' && Text[at + 1] != '\n');
        Position = quote + 1;
        if (Position < Text.size() && Text[Position] == '"') {
            doubled = true;
            ++Position;
            continue;
        }
        break;
    }
    if (!AtRecordEnd() && Text[Position] != Sep) {
        problem = QStringLiteral("text after a closing quote");
        return false;
    }
    NextLine += lines;
    const QByteArrayView inside = Text.sliced(start, Position - 1 - start);
    if (!doubled) {
        fields.push_back(inside);
        return true;
    }
    if (Unquoted.size() <= fields.size())
        Unquoted.resize(fields.size() + 1);
    QByteArray& value = Unquoted[fields.size()];
    value = inside.toByteArray();
    value.replace("\"\"", "\"");
    fields.push_back(value);
    return true;
}

bool TCsvReader::AtRecordEnd() const {
    return Position >= Text.size() || IsLineBreak(Text[Position]);
}

bool TCsvReader::PassLineBreak() {
    if (Position >= Text.size() || !IsLineBreak(Text[Position]))
        return false;
    if (Text[Position] == '\r' && Position + 1 < Text.size() && Text[Position + 1] == '\n')
        ++Position;
    ++Position;
    ++NextLine;
    return true;
}

// A broken record costs the line it began on: reading goes on at the next.
void TCsvReader::SkipToNextLine(qsizetype from) {
    Position = from;
    NextLine = RecordLine;
    while (!AtRecordEnd())
        ++Position;
    PassLineBreak();
}
