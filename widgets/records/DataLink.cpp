#include "widgets/records/DataLink.h"

#include "widgets/records/DataSource.h"

TDataLink::~TDataLink() {
    if (Source)
        Source->RemoveLink(this);
}

void TDataLink::SetDataSource(TDataSource* source) {
    if (Source)
        Source->RemoveLink(this);
    Source = source;
    if (Source)
        Source->AddLink(this);
    DataSourceChanged();
}

void TDataLink::DataSourceDestroyed() {
    Source = nullptr;
    DataSourceChanged();
}
