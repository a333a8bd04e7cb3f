#pragma once
// The link between one table cursor and the widgets that show it: mirrors the cursor's state,
// starts an edit when a bound widget is typed into, and tells of every change by signals:
// first to the bound widgets (Notified), then to the windows (DataChange).

#include "catalog/TableCursor.h"

#include <QObject>
#include <QPointer>

class TDataSource final : public QObject, private TCursorListener {
    Q_OBJECT
public:
    TDataSource() = default;
    ~TDataSource() override;
    Q_DISABLE_COPY_MOVE(TDataSource)

    TTableCursor* DataSet() const { return Cursor; }
    void SetDataSet(TTableCursor* cursor);

    bool AutoEdit = true;

    TCursorState State() const { return MirroredState; }
    bool Active() const { return MirroredState != TCursorState::Inactive; }
    bool Editing() const {
        return MirroredState == TCursorState::Edit || MirroredState == TCursorState::Insert;
    }

    // Browse becomes edit when AutoEdit is on; returns whether the cursor is now editing.
    bool Edit();
    // Asks every bound widget to write its pending text into the fields (never posts).
    void CollectPending();
    // As a move would: posts a row whose fields were changed and cancels an untouched one, so
    // closing the cursor afterwards drops nothing typed. A failed post throws and keeps the edit.
    void PostPendingEdit();

    // Binds `widget` to `source` in place of the data source `bound` holds: `notified` hears
    // every notification, and `changed` runs now and again when the source goes away (with
    // `bound` already empty).
    template <typename TWidget>
    static void Bind(QPointer<TDataSource>& bound, TDataSource* source, TWidget* widget,
                     void (TWidget::*notified)(TCursorEvent, int), void (TWidget::*changed)());

signals:
    // Every cursor notification, and CollectPending's request, for the bound widgets. Their
    // connections are direct: a widget has written its text back when the emission returns.
    void Notified(TCursorEvent event, int field);
    // The data-change event, once every bound widget is up to date. Field is the index of the
    // one field whose value changed, or -1 for none.
    void DataChange(int field);

private:
    void CursorNotified(TCursorEvent event, int field) override;

    TTableCursor* Cursor = nullptr;
    TCursorState MirroredState = TCursorState::Inactive;
};

template <typename TWidget>
void TDataSource::Bind(QPointer<TDataSource>& bound, TDataSource* source, TWidget* widget,
                       void (TWidget::*notified)(TCursorEvent, int), void (TWidget::*changed)()) {
    if (bound)
        bound->disconnect(widget);
    bound = source;
    if (source) {
        connect(source, &TDataSource::Notified, widget, notified, Qt::DirectConnection);
        connect(source, &QObject::destroyed, widget, changed, Qt::DirectConnection);
    }
    (widget->*changed)();
}
