#pragma once
// A catalog file for the widget and window tests, with a data source on its cursor.

#include "support/TableFixture.h"
#include "widgets/records/DataSource.h"

// A fixture file with the cursor "TableData" on it (closed) and a data source serving it.
struct TSourcedCatalog {
    explicit TSourcedCatalog(int rows, bool refusing = false)
        : Fixture(rows, TTableFixture::DiscRowValues, refusing) {
        Cursor.SetTableName(Fixture.Path);
        Source.SetDataSet(&Cursor);
    }

    TTableFixture Fixture;
    TTableCursor Cursor{QStringLiteral("TableData")};
    TDataSource Source;
};
