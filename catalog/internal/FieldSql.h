#pragma once
// The pieces of SQL that name the catalog's fields, built from the field table so that no
// statement spells the four columns out.

#include <QByteArray>
#include <QString>

// The field's column name, quoted: "Label".
QByteArray QuotedField(int field);
// Every field's quoted name in column order, each after `prefix` ("new." for a trigger's
// new row): "Label", "Directory", "File", "Coments".
QByteArray FieldList(const char* prefix = "");
// The numbered parameters of one row's fields, from `first` on: ?1, ?2, ?3, ?4.
QByteArray FieldParameters(int first = 1);
// The columns of `records` as a file this program makes declares them.
QByteArray FieldDeclarations();
// The rows of disc `label`, which the statement binds as parameter ?`parameter`: the empty
// label also takes the rows that have none (NULL), as the table of discs counts them.
QByteArray DiscCondition(const QString& label, int parameter = 1);
