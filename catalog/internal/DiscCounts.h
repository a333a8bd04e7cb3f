#pragma once
// The table of discs counts the rows an append of a whole staging table adds in one pass, as
// groups, rather than a row at a time: while `disc_counts_paused` holds a row, the trigger
// that counts each new row waits. Only the appending transaction ever holds that row, so
// every other writer, and every other write, is counted by the triggers as always.

#include <QByteArray>

// The table whose row pauses the counting trigger.
inline constexpr char DiscCountsPausedTable[] = "disc_counts_paused";

// Before the append: the trigger waits.
QByteArray PauseDiscCountsSql();
// After it: the rows of `source` (each label and folder given as the expression the append
// stored for it) counted into the discs and their folders, and the trigger counts again.
QByteArray CountAppendedDiscsSql(const QByteArray& label, const QByteArray& folder,
                                 const QByteArray& source);
