#include "widgets/BoundEdit.h"

#include "catalog/DataError.h"
#include "widgets/DataSource.h"
#include "widgets/EditKeys.h"
#include "widgets/MessageService.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>

// QLineEdit's own "no limit".
static constexpr int UnlimitedLength = 32767;

TBoundEdit::TBoundEdit(TMessageService& messages, QWidget* parent)
    : QLineEdit(parent)
    , Messages(messages) {
    setReadOnly(true);
    connect(this, &QLineEdit::textEdited, this, [this] { TextModified = true; });
}

TBoundEdit::~TBoundEdit() {
    if (Source)
        Source->RemoveLink(this);
}

void TBoundEdit::SetDataSource(TDataSource* source) {
    if (Source)
        Source->RemoveLink(this);
    Source = source;
    if (Source)
        Source->AddLink(this);
    FieldIndex = -1;
    if (Source && Source->Active())
        BindField();
    Reload();
}

void TBoundEdit::SetDataField(const QString& fieldName) {
    FieldName = fieldName;
    FieldIndex = -1;
    if (Source && Source->Active())
        BindField();
    Reload();
}

void TBoundEdit::DataSourceDestroyed() {
    Source = nullptr;
    FieldIndex = -1;
    Reload();
}

void TBoundEdit::BindField() {
    FieldIndex = Source->DataSet()->FieldIndex(FieldName);
    if (FieldIndex < 0)
        throw TDataError(QStringLiteral("%1: Field '%2' not found").arg(objectName(), FieldName));
    const int size = Source->DataSet()->FieldSize(FieldIndex);
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
    const QString value = FieldIndex >= 0 ? Source->DataSet()->FieldText(FieldIndex) : QString();
    // Setting equal text would move the caret under the user's hands when typing starts an edit.
    if (value != text())
        setText(value);
    TextModified = false;
    UpdateReadOnly();
}

void TBoundEdit::UpdateReadOnly() {
    setReadOnly(!(CanModify() && Source->Editing()));
}

bool TBoundEdit::CanModify() const {
    return FieldIndex >= 0 && Source->Active() && Source->DataSet()->CanModify();
}

bool TBoundEdit::StartEdit() {
    return CanModify() && Source->Edit();
}

void TBoundEdit::WriteBack() {
    if (!TextModified || FieldIndex < 0)
        return;
    Source->DataSet()->SetFieldText(FieldIndex, text());
    TextModified = false;
}

void TBoundEdit::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        Reload();
        selectAll();
        event->accept();
        return;
    }
    if (KeyChangesText(*event)) {
        if (!StartEdit()) {
            event->accept();
            return;
        }
        if (FieldRefusesKey(*Source->DataSet(), FieldIndex, *event)) {
            QApplication::beep();
            event->accept();
            return;
        }
    }
    QLineEdit::keyPressEvent(event);
}

// Focus that only leaves for a menu or another window and comes back is no entering or
// leaving: the pending text stays as typed.
static bool ComesOrGoesForGood(const QFocusEvent& event) {
    return event.reason() != Qt::ActiveWindowFocusReason && event.reason() != Qt::PopupFocusReason;
}

void TBoundEdit::focusInEvent(QFocusEvent* event) {
    if (ComesOrGoesForGood(*event))
        Reload();
    QLineEdit::focusInEvent(event);
}

void TBoundEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (!ComesOrGoesForGood(*event))
        return;
    try {
        WriteBack();
        Reload();
    } catch (const std::exception& error) {
        // The user corrects the value or presses Escape; nothing typed is lost.
        selectAll();
        setFocus(Qt::OtherFocusReason);
        Messages.ShowError(error);
    }
}

void TBoundEdit::contextMenuEvent(QContextMenuEvent* event) {
    // Our own menu: Qt's leaves cut, paste and undo out of a read-only box, and here they
    // start the edit first, like their keys.
    const bool canEdit = CanModify() && (Source->Editing() || Source->AutoEdit);
    const bool selected = hasSelectedText();
    QMenu menu;
    auto add = [&](const char* name, const QString& text, auto command, bool enabled, bool edits) {
        QAction* action = menu.addAction(text, this, [this, command, edits] {
            if (!edits || StartEdit())
                (this->*command)();
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
