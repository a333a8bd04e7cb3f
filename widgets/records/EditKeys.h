#pragma once
// Keystroke rules shared by the grid's in-place editor and the bound edit boxes.

class QKeyEvent;
class TTableCursor;

// QLineEdit's own "no limit": an editor with it takes the field's declared size.
inline constexpr int UnlimitedLength = 32767;

// A printable character typed without Ctrl or Alt.
bool KeyTypesCharacter(const QKeyEvent& event);

// A keystroke that would change a line editor's text: it has to start an edit first.
bool KeyChangesText(const QKeyEvent& event);

// A typed character that the field does not accept; the caller drops it with a beep.
bool FieldRefusesKey(const TTableCursor& cursor, int field, const QKeyEvent& event);
