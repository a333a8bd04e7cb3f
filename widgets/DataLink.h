#pragma once
// What a widget bound to a data source implements: it is told of every cursor notification
// before the data-change event fires, so handlers see widgets already up to date.

#include "catalog/TableCursor.h"

class TDataSource;

class TDataLink {
public:
    virtual void DataSourceNotified(TCursorEvent event, int field) = 0;
    // The data source is going away; the widget must forget it.
    virtual void DataSourceDestroyed() = 0;

protected:
    ~TDataLink() = default;
};
