#pragma once
// A table file in a temporary folder, filled with numbered rows, for the storage tests.

#include "catalog/TableCursor.h"
#include "catalog/TableFileMaker.h"

#include <QTemporaryDir>

class TTableFixture {
public:
    explicit TTableFixture(int rows = 0) {
        MakeTableFile(Path);
        TTableCursor writer(QStringLiteral("Writer"));
        writer.SetTableName(Path);
        writer.Open();
        TBulkTransaction transaction(writer);
        for (int row = 1; row <= rows; ++row)
            writer.AppendRecord(RowValues(row));
        transaction.Commit();
    }

    static QStringList RowValues(int row) {
        return {QStringLiteral("L%1").arg(row), QStringLiteral("D:\\DIR%1\\").arg(row),
                QStringLiteral("file%1.txt").arg(row), QString()};
    }

    QTemporaryDir Folder;
    const QString Path = Folder.filePath(QStringLiteral("GeneralData.db"));
};
