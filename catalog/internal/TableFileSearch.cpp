#include "catalog/internal/TableFile.h"

#include "catalog/internal/FieldSql.h"

#include <algorithm>

namespace {

// Whether the field (the first argument) holds the text (the second, already folded) with
// the letters a to z folded to A to Z and every other byte as it stands: the one rule of the
// search, the same in every build of the engine.
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

} // namespace

void TTableFile::RegisterSearch() {
    if (const int result = sqlite3_create_function_v2(
            Connection, "contains_folded", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
            nullptr, ContainsFolded, nullptr, nullptr, nullptr);
        result != SQLITE_OK)
        Fail(result);
}

// The engine folds each field as the text is folded here and looks for the text in it, so
// it skips the rows that do not match without handing each one over. Any length goes: a
// text is never a pattern.
qint64 TTableFile::FirstRowContaining(int field, const QString& text, qint64 fromRowId) {
    QString folded = text;
    for (QChar& character : folded)
        if (character >= u'a' && character <= u'z')
            character = QChar(character.unicode() - u'a' + u'A');
    const QByteArray sql = "SELECT rowid FROM records WHERE rowid >= ?1 AND contains_folded(" +
                           QuotedField(field) + ", ?2) ORDER BY rowid LIMIT 1";
    TSqliteStatement query;
    int result = query.Prepare(Connection, sql.constData());
    if (result != SQLITE_OK)
        Fail(result);
    const QByteArray utf8 = folded.toUtf8();
    query.BindInt64(1, fromRowId);
    query.BindText(2, utf8);
    result = query.Step();
    if (result == SQLITE_ROW)
        return query.ColumnInt64(0);
    if (result != SQLITE_DONE)
        Fail(result);
    return 0;
}
