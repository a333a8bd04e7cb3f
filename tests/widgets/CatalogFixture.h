#pragma once
// Catalog files for the widget and window tests: a real table file in a temporary folder,
// filled with numbered rows, optionally with a trigger that makes the engine refuse a row.

#include "catalog/TableCursor.h"
#include "catalog/TableFileMaker.h"
#include "widgets/records/DataSource.h"

#include <QString>
#include <QTemporaryDir>
#include <sqlite3.h>
#include <stdexcept>

// The comment that the engine refuses to store when the file was made with `refusing`.
inline const QString RefusedComment = QStringLiteral("refuse");

class TCatalogFixture {
public:
    explicit TCatalogFixture(int rows, bool refusing = false)
        : Path(Folder.filePath(QStringLiteral("GeneralData.db"))) {
        MakeTableFile(Path);
        if (refusing)
            AddRefusingTriggers();
        if (rows == 0)
            return;
        TTableCursor filler(QStringLiteral("Filler"));
        filler.SetTableName(Path);
        filler.Open();
        TBulkTransaction bulk(filler);
        for (int row = 1; row <= rows; ++row)
            filler.AppendRecord({QStringLiteral("CD%1").arg(row / 10),
                                 QStringLiteral("D:\\DIR%1\\").arg(row),
                                 QStringLiteral("file%1.txt").arg(row), QString()});
        bulk.Commit();
    }

    QTemporaryDir Folder;
    const QString Path;

private:
    void AddRefusingTriggers() {
        sqlite3* db = nullptr;
        if (sqlite3_open(Path.toUtf8().constData(), &db) != SQLITE_OK)
            throw std::runtime_error("cannot open the fixture file");
        const QString sql =
            QStringLiteral(
                "CREATE TRIGGER refuse_insert BEFORE INSERT ON records WHEN NEW.Coments = '%1' "
                "BEGIN SELECT RAISE(ABORT, 'row refused by the test'); END;"
                "CREATE TRIGGER refuse_update BEFORE UPDATE ON records WHEN NEW.Coments = '%1' "
                "BEGIN SELECT RAISE(ABORT, 'row refused by the test'); END;")
                .arg(RefusedComment);
        const int result = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
        sqlite3_close(db);
        if (result != SQLITE_OK)
            throw std::runtime_error("cannot add the refusing triggers");
    }
};

// A fixture file with the cursor "TableData" on it (closed) and a data source serving it.
struct TSourcedCatalog {
    explicit TSourcedCatalog(int rows, bool refusing = false)
        : Fixture(rows, refusing) {
        Cursor.SetTableName(Fixture.Path);
        Source.SetDataSet(&Cursor);
    }

    TCatalogFixture Fixture;
    TTableCursor Cursor{QStringLiteral("TableData")};
    TDataSource Source;
};
