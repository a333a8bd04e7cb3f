#pragma once
// What a widget bound to a data source is: it holds its data source, and is told of every
// cursor notification before the data-change event fires, so handlers see widgets already up
// to date. Linking, unlinking and the data source going away are kept here, once.

#include "catalog/TableCursor.h"

class TDataSource;

class TDataLink {
public:
    TDataLink() = default;
    TDataLink(const TDataLink&) = delete;
    TDataLink& operator=(const TDataLink&) = delete;

    TDataSource* DataSource() const { return Source; }
    void SetDataSource(TDataSource* source);

protected:
    ~TDataLink();
    // After the widget was linked to another data source or to none.
    virtual void DataSourceChanged() = 0;

private:
    friend class TDataSource;
    virtual void DataSourceNotified(TCursorEvent event, int field) = 0;
    // The data source is going away.
    void DataSourceDestroyed();

    TDataSource* Source = nullptr;
};
