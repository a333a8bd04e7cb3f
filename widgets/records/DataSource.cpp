#include "widgets/records/DataSource.h"

TDataSource::~TDataSource() {
    SetDataSet(nullptr);
}

void TDataSource::SetDataSet(TTableCursor* cursor) {
    if (cursor == Cursor)
        return;
    const bool wasActive = Active();
    if (Cursor)
        Cursor->RemoveListener(this);
    Cursor = cursor;
    if (Cursor)
        Cursor->AddListener(this);
    const bool active = Cursor && Cursor->Active();
    if (active != wasActive)
        CursorNotified(active ? TCursorEvent::Opened : TCursorEvent::Closed, -1);
    else
        MirroredState = Cursor ? Cursor->State() : TCursorState::Inactive;
}

bool TDataSource::Edit() {
    if (AutoEdit && MirroredState == TCursorState::Browse)
        Cursor->Edit();
    return Editing();
}

void TDataSource::CollectPending() {
    emit Notified(TCursorEvent::CollectPending, -1);
}

void TDataSource::PostPendingEdit() {
    if (!Editing())
        return;
    CollectPending();
    if (Cursor->Modified())
        Cursor->Post();
    else
        Cursor->Cancel();
}

void TDataSource::CursorNotified(TCursorEvent event, int field) {
    MirroredState = Cursor ? Cursor->State() : TCursorState::Inactive;
    emit Notified(event, field);
    switch (event) {
    case TCursorEvent::Opened:
    case TCursorEvent::RecordMoved:
    case TCursorEvent::RecordsChanged:
        field = -1;
        break;
    case TCursorEvent::FieldChanged:
        break;
    case TCursorEvent::Closed:
    case TCursorEvent::StateChanged:
    case TCursorEvent::CollectPending:
        return;
    }
    emit DataChange(field);
}
