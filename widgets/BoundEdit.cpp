#include "widgets/BoundEdit.h"

#include "catalog/DataError.h"
#include "widgets/DataSource.h"
#include "widgets/EditKeys.h"
#include "widgets/MessageService.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <memory>

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

void TBoundEdit::focusInEvent(QFocusEvent* event) {
    Reload();
    QLineEdit::focusInEvent(event);
}

void TBoundEdit::focusOutEvent(QFocusEvent* event) {
    QLineEdit::focusOutEvent(event);
    if (event->reason() == Qt::ActiveWindowFocusReason || event->reason() == Qt::PopupFocusReason)
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
    const std::unique_ptr<QMenu> menu(createStandardContextMenu());
    // A read-only box would offer no cut, paste or undo; these start the edit first.
    if (isReadOnly() && CanModify()) {
        const std::pair<const char*, void (QLineEdit::*)()> commands[] = {
            {"edit-cut", &QLineEdit::cut},
            {"edit-paste", &QLineEdit::paste},
            {"edit-undo", &QLineEdit::undo}};
        for (const auto& [name, command] : commands) {
            QAction* action = menu->findChild<QAction*>(QLatin1String(name));
            if (!action)
                continue;
            action->disconnect();
            action->setEnabled(true);
            connect(action, &QAction::triggered, this, [this, command] {
                if (StartEdit())
                    (this->*command)();
            });
        }
    }
    menu->exec(event->globalPos());
}
