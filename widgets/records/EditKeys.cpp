#include "widgets/records/EditKeys.h"

#include "catalog/TableCursor.h"

#include <QKeyEvent>
#include <algorithm>

bool KeyTypesCharacter(const QKeyEvent& event) {
    const QString text = event.text();
    const bool command = event.modifiers() & (Qt::ControlModifier | Qt::AltModifier);
    return !command && !text.isEmpty() && text.front().isPrint();
}

bool KeyChangesText(const QKeyEvent& event) {
    if (KeyTypesCharacter(event) || event.matches(QKeySequence::Paste) ||
        event.matches(QKeySequence::Cut) || event.matches(QKeySequence::Undo))
        return true;
    return event.key() == Qt::Key_Backspace || event.key() == Qt::Key_Delete;
}

bool FieldRefusesKey(const TTableCursor& cursor, int field, const QKeyEvent& event) {
    if (!KeyTypesCharacter(event))
        return false;
    const QString text = event.text();
    return std::ranges::any_of(
        text, [&](QChar character) { return !cursor.IsValidChar(field, character); });
}
