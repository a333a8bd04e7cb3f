#pragma once
// The link between one table cursor and the widgets that show it: mirrors the cursor's state,
// starts an edit when a bound widget is typed into, and raises OnDataChange after the widgets.

#include "catalog/TableCursor.h"
#include "widgets/records/DataLink.h"

#include <functional>
#include <vector>

class TDataSource final : private TCursorListener {
public:
    TDataSource() = default;
    ~TDataSource() override;
    TDataSource(const TDataSource&) = delete;
    TDataSource& operator=(const TDataSource&) = delete;

    TTableCursor* DataSet() const { return Cursor; }
    void SetDataSet(TTableCursor* cursor);

    bool AutoEdit = true;
    // Field is the index of the one field whose value changed, or -1 for none.
    std::function<void(int field)> OnDataChange;

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

    void AddLink(TDataLink* link);
    void RemoveLink(TDataLink* link);

private:
    void CursorNotified(TCursorEvent event, int field) override;
    void NotifyLinks(TCursorEvent event, int field);

    TTableCursor* Cursor = nullptr;
    TCursorState MirroredState = TCursorState::Inactive;
    std::vector<TDataLink*> Links;
};
