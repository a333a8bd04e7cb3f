#pragma once
// A single-line box showing one field of the current record; typing starts an edit and the
// text goes back into the field when the box is left or the cursor collects pending text.

#include "widgets/records/DataSource.h"

#include <QLineEdit>

class TMessageService;

class TBoundEdit : public QLineEdit {
    Q_OBJECT
public:
    TBoundEdit(TMessageService& messages, QWidget* parent = nullptr);
    ~TBoundEdit() override;
    Q_DISABLE_COPY_MOVE(TBoundEdit)

    TDataSource* DataSource() const { return Source; }
    void SetDataSource(TDataSource* source);
    void SetDataField(const QString& fieldName);

    // The index of the bound field, -1 while the cursor is closed or the field is missing.
    int Field() const { return FieldIndex; }
    bool Modified() const { return TextModified; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void DataSourceNotified(TCursorEvent event, int field);
    void DataSourceChanged();
    void BindField();
    void Reload();
    void UpdateReadOnly();
    bool CanModify() const;
    bool StartEdit();
    bool KeyBeforeEditing(const QKeyEvent& event);
    void WriteBack();

    TMessageService& Messages;
    QPointer<TDataSource> Source;
    QString FieldName;
    int FieldIndex = -1;
    bool TextModified = false;
};
