#include "widgets/records/DataSource.h"

#include <algorithm>

TDataSource::~TDataSource() {
    SetDataSet(nullptr);
    for (TDataLink* link : std::vector<TDataLink*>(Links))
        link->DataSourceDestroyed();
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
    NotifyLinks(TCursorEvent::CollectPending, -1);
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

void TDataSource::AddLink(TDataLink* link) {
    if (std::find(Links.begin(), Links.end(), link) == Links.end())
        Links.push_back(link);
}

void TDataSource::RemoveLink(TDataLink* link) {
    std::erase(Links, link);
}

void TDataSource::NotifyLinks(TCursorEvent event, int field) {
    // A widget's handler may unbind a widget; walk a copy.
    for (TDataLink* link : std::vector<TDataLink*>(Links))
        link->DataSourceNotified(event, field);
}

void TDataSource::CursorNotified(TCursorEvent event, int field) {
    MirroredState = Cursor ? Cursor->State() : TCursorState::Inactive;
    NotifyLinks(event, field);
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
    if (OnDataChange)
        OnDataChange(field);
}
