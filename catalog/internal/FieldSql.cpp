#include "catalog/internal/FieldSql.h"

#include "catalog/CatalogFields.h"

#include <functional>

namespace {
// The pieces `piece` makes of each field, joined by ", ".
QByteArray Joined(const std::function<QByteArray(int field)>& piece) {
    QByteArray joined;
    for (int field = 0; field < CatalogFieldCount; ++field)
        joined += (field ? ", " : "") + piece(field);
    return joined;
}
} // namespace

QByteArray QuotedField(int field) {
    return '"' + QByteArray(CatalogFields[size_t(field)].Name) + '"';
}

QByteArray FieldList(const char* prefix) {
    return Joined([prefix](int field) { return prefix + QuotedField(field); });
}

QByteArray FieldParameters(int first) {
    return Joined([first](int field) { return "?" + QByteArray::number(first + field); });
}

QByteArray FieldDeclarations() {
    return Joined([](int field) {
        return QuotedField(field) + " VARCHAR(" +
               QByteArray::number(CatalogFields[size_t(field)].DeclaredSize) + ")";
    });
}

QByteArray DiscCondition(const QString& label, int parameter) {
    const QByteArray equal = QuotedField(LabelField) + " = ?" + QByteArray::number(parameter);
    return label.isEmpty() ? "(" + equal + " OR " + QuotedField(LabelField) + " IS NULL)" : equal;
}
