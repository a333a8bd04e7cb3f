#include "catalog/internal/SearchSql.h"

#include "catalog/CatalogSearch.h"
#include "catalog/internal/FieldSql.h"

#include <QList>
#include <algorithm>
#include <array>

namespace {

// The index's query holds at most this many trigrams, spread over a long text: the rule
// checks every proposal anyway, and each trigram more costs a list to read.
constexpr qsizetype MostTrigrams = 16;
constexpr qsizetype TrigramLength = 3;

// Whether the field (the first argument) holds the text (the second, already folded) with
// the letters a to z folded to A to Z and every other byte as it stands: the same in every
// build of the engine.
void ContainsFolded(sqlite3_context* context, int, sqlite3_value** arguments) {
    const auto* field = reinterpret_cast<const char*>(sqlite3_value_text(arguments[0]));
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(arguments[1]));
    if (!field || !text) {
        sqlite3_result_int(context, 0);
        return;
    }
    const char* fieldEnd = field + sqlite3_value_bytes(arguments[0]);
    const char* textEnd = text + sqlite3_value_bytes(arguments[1]);
    const auto equal = [](char stored, char wanted) {
        return (stored >= 'a' && stored <= 'z' ? char(stored - 'a' + 'A') : stored) == wanted;
    };
    sqlite3_result_int(context, std::search(field, fieldEnd, text, textEnd, equal) != fieldEnd ||
                                    text == textEnd);
}

QByteArray Verdict(int field) {
    if (field != AllFields)
        return "contains_folded(r." + QuotedField(field) + ", ?2)";
    QByteArray any;
    for (int each = 0; each < CatalogFieldCount; ++each)
        any += (each ? " OR " : "(") + Verdict(each);
    return any + ")";
}

// The rows from rowid ?1 on: all of them, or those the trigram query ?3 proposes.
QByteArray RowsFrom(bool indexed) {
    return indexed ? " FROM records_search s JOIN records r ON r.rowid = s.rowid "
                     "WHERE records_search MATCH ?3 AND s.rowid >= ?1"
                   : " FROM records r WHERE r.rowid >= ?1";
}

// In record order, as the table that leads gives its rows: ordered by the other's rowid, the
// engine would gather and sort every match before the first.
QByteArray InRowIdOrder(bool indexed) {
    return indexed ? " ORDER BY s.rowid" : " ORDER BY r.rowid";
}

} // namespace

int RegisterContainsFolded(sqlite3* connection) {
    return sqlite3_create_function_v2(connection, "contains_folded", 2,
                                      SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
                                      nullptr, ContainsFolded, nullptr, nullptr, nullptr);
}

QByteArray FoldedText(const QString& text) {
    QString folded = text;
    for (QChar& character : folded)
        if (character >= u'a' && character <= u'z')
            character = QChar(character.unicode() - u'a' + u'A');
    return folded.toUtf8();
}

// The index splits every field into runs of three characters (code points, case folded), so
// a row that holds the text holds each run of three of it. A run with a NUL could end the
// query's text early: it is left out, which only proposes more rows.
QByteArray TrigramQuery(const QString& text) {
    const QList<uint> characters = text.toUcs4();
    const qsizetype runs = characters.size() - TrigramLength + 1;
    QList<QByteArray> tokens;
    for (qsizetype taken = 0; taken < std::min(runs, MostTrigrams); ++taken) {
        const qsizetype start =
            runs <= MostTrigrams ? taken : taken * (runs - 1) / (MostTrigrams - 1);
        std::array<char32_t, TrigramLength> run{};
        std::copy_n(characters.begin() + start, TrigramLength, run.begin());
        if (std::find(run.begin(), run.end(), U'\0') != run.end())
            continue;
        QByteArray token = QString::fromUcs4(run.data(), TrigramLength).toUtf8();
        token.replace('"', "\"\"");
        token = '"' + token + '"';
        if (!tokens.contains(token))
            tokens.append(token);
    }
    return tokens.join(" AND ");
}

const char* const WholeIndexQuery =
    "SELECT count(*) = 4 FROM sqlite_schema WHERE (type = 'table' AND name = 'records_search') "
    "OR (type = 'trigger' AND tbl_name = 'records' AND name IN ('records_search_insert', "
    "'records_search_delete', 'records_search_update'))";

QByteArray MatchingRowsSql(int field, bool indexed, bool values) {
    return "SELECT r.rowid, " + Verdict(field) + (values ? ", " + FieldList("r.") : QByteArray()) +
           RowsFrom(indexed) + InRowIdOrder(indexed);
}

QByteArray FirstMatchBetweenSql(int field) {
    return "SELECT r.rowid FROM records r WHERE r.rowid BETWEEN ?1 AND ?4 AND " + Verdict(field) +
           " ORDER BY r.rowid LIMIT 1";
}

QByteArray MatchesOnlySql(int field, bool indexed) {
    return "SELECT r.rowid, " + FieldList("r.") + RowsFrom(indexed) + " AND " + Verdict(field) +
           InRowIdOrder(indexed);
}
