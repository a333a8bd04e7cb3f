#include "widgets/records/BoundEdit.h"

#include "catalog/DataError.h"
#include "widgets/MessageService.h"
#include "widgets/UserCommand.h"
#include "widgets/records/DataSource.h"
#include "widgets/records/EditKeys.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>

TBoundEdit::TBoundEdit(TMessageService& messages, QWidget* parent)
    : QLineEdit(parent)
    , Messages(messages) {
    setReadOnly(true);
    connect(this, &QLineEdit::textEdited, this, [this] { TextModified = true; });
}

TBoundEdit::~TBoundEdit() = default;

void TBoundEdit::SetDataSource(TDataSource* source) {
    TDataSource::Bind(Source, source, this, &TBoundEdit::DataSourceNotified,
                      &TBoundEdit::DataSourceChanged);
}

void TBoundEdit::DataSourceChanged() {
    FieldIndex = -1;
    if (DataSource() && DataSource()->Active())
        BindField();
    Reload();
}

void TBoundEdit::SetDataField(const QString& fieldName) {
    FieldName = fieldName;
    DataSourceChanged();
}

void TBoundEdit::BindField() {
    FieldIndex = DataSource()->DataSet()->FieldIndex(FieldName);
    if (FieldIndex < 0)
        throw TDataError(QStringLiteral("%1: Field '%2' not found").arg(objectName(), FieldName));
    const int size = DataSource()->DataSet()->FieldSize(FieldIndex);
    if (maxLength() == UnlimitedLength && size > 0)
        setMaxLength(size);
}

void TBoundEdit::DataSourceNotified(TCursorEvent event, int field) {
    switch (event) {
    case TCursorEvent::Opened:
        FieldIndex = -1;
        BindField();
        Reload();
        break;
    case TCursorEvent::Closed:
        FieldIndex = -1;
        Reload();
        break;
    case TCursorEvent::StateChanged:
        UpdateReadOnly();
        break;
    case TCursorEvent::RecordMoved:
    case TCursorEvent::RecordsChanged:
        Reload();
        break;
    case TCursorEvent::FieldChanged:
        if (field == FieldIndex)
            Reload();
        break;
    case TCursorEvent::CollectPending:
        WriteBack();
        break;
    }
}

void TBoundEdit::Reload() {
    const QString value =
        FieldIndex >= 0 ? DataSource()->DataSet()->FieldText(FieldIndex) : QString();
    // Setting equal text would move the caret under the user's hands when typing starts an edit.
    if (value != text())
        setText(value);
    TextModified = false;
    UpdateReadOnly();
}

void TBoundEdit::UpdateReadOnly() {
    setReadOnly(!(CanModify() && DataSource()->Editing()));
}

bool TBoundEdit::CanModify() const {
    return FieldIndex >= 0 && DataSource()->Active() && DataSource()->DataSet()->CanModify();
}

bool TBoundEdit::StartEdit() {
    return CanModify() && DataSource()->Edit();
}

void TBoundEdit::WriteBack() {
    if (!TextModified || FieldIndex < 0)
        return;
    DataSource()->DataSet()->SetFieldText(FieldIndex, text());
    TextModified = false;
}

void TBoundEdit::keyPressEvent(QKeyEvent* event) {
    if (RunKeyCommand(Messages, [this, event] { return KeyBeforeEditing(*event); }))
        event->accept();
    else
        QLineEdit::keyPressEvent(event);
}

// Escape, and keys that cannot change the text now, end here; true when the key is used up.
bool TBoundEdit::KeyBeforeEditing(const QKeyEvent& event) {
    if (event.key() == Qt::Key_Escape && event.modifiers() == Qt::NoModifier) {
        Reload();
        selectAll();
        return true;
    }
    if (!KeyChangesText(event))
        return false;
    if (!StartEdit())
        return true;
    if (FieldRefusesKey(*DataSource()->DataSet(), FieldIndex, event)) {
        QApplication::beep();
        return true;
    }
    return false;
}

// Focus that only leaves for a menu or another window and comes back is no entering or
// leaving: the pending text stays as typed.
static bool ComesOrGoesForGood(const QFocusEvent& event) {
    return event.reason() != Qt::ActiveWindowFocusReason && event.reason() != Qt::PopupFocusReason;
}

void TBoundEdit::focusInEvent(QFocusEvent* event) {
    if (ComesOrGoesForGood(*event))
        RunUserCommand(Messages, [this] { Reload(); });
    QLineEdit::focusInEvent(event);
}

void TBoundEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (!ComesOrGoesForGood(*event))
        return;
    // On a failure the user corrects the value or presses Escape; nothing typed is lost.
    RunUserCommand(
        Messages,
        [this] {
            WriteBack();
            Reload();
        },
        [this] {
            selectAll();
            setFocus(Qt::OtherFocusReason);
        });
}

void TBoundEdit::contextMenuEvent(QContextMenuEvent* event) {
    // Our own menu: Qt's leaves cut, paste and undo out of a read-only box, and here they
    // start the edit first, like their keys.
    const bool canEdit = CanModify() && (DataSource()->Editing() || DataSource()->AutoEdit);
    const bool selected = hasSelectedText();
    QMenu menu;
    auto add = [&](const char* name, const QString& text, auto command, bool enabled, bool edits) {
        QAction* action = menu.addAction(text, this, [this, command, edits] {
            RunUserCommand(Messages, [this, command, edits] {
                if (!edits || StartEdit())
                    (this->*command)();
            });
        });
        action->setObjectName(QLatin1String(name));
        action->setEnabled(enabled && (canEdit || !edits));
    };
    add("edit-undo", tr("&Undo"), &QLineEdit::undo, isUndoAvailable(), true);
    menu.addSeparator();
    add("edit-cut", tr("Cu&t"), &QLineEdit::cut, selected, true);
    add("edit-copy", tr("&Copy"), &QLineEdit::copy, selected, false);
    add("edit-paste", tr("&Paste"), &QLineEdit::paste,
        !QGuiApplication::clipboard()->text().isEmpty(), true);
    add("edit-delete", tr("Delete"), &QLineEdit::del, selected, true);
    menu.addSeparator();
    add("select-all", tr("Select All"), &QLineEdit::selectAll, !text().isEmpty(), false);
    menu.exec(event->globalPos());
}
