#pragma once
// The search's one rule in SQL, for "Find" (the table file) and for the search of every disc
// (TCatalogSearch): a field holds a text when it does with the letters a to z folded to A to Z
// and every other character as it stands. Where the file keeps its whole search index, the
// index proposes rows (every row that matches, and perhaps more: it folds more letters) and
// the rule checks each; else every row is checked.

#include <QByteArray>
#include <QString>
#include <sqlite3.h>

// Registers contains_folded(field, folded text) on the connection; returns the engine's result.
int RegisterContainsFolded(sqlite3* connection);

// The text as the rule compares it: its UTF-8 with a to z folded to A to Z.
QByteArray FoldedText(const QString& text);

// The index's query for `text`: trigrams of it, each a quoted token, all required; empty
// when the index cannot help (a text of fewer than three characters).
QByteArray TrigramQuery(const QString& text);

// One row, 1 when the file keeps the whole index (the table and the triggers that keep it
// right whoever writes), else 0.
extern const char* const WholeIndexQuery;

// The rows from rowid ?1 on, in rowid order, each as its rowid, 1 or 0 for whether `field`
// (AllFields: any field) holds the folded text ?2, and with `values` the four fields. With
// `indexed` only the rows the trigram query ?3 proposes. A caller steps through the rows one
// at a time, so it can stop between any two however few of them match.
QByteArray MatchingRowsSql(int field, bool indexed, bool values);
// The first row from rowid ?1 to rowid ?4 whose `field` holds the folded text ?2: the rows
// read one after the other, none handed over but the match.
QByteArray FirstMatchBetweenSql(int field);

// Only the rows that match, from rowid ?1 on, each as its rowid and its four fields.
QByteArray MatchesOnlySql(int field, bool indexed);
