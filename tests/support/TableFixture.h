#pragma once
// A table file in a temporary folder, filled with numbered rows, for the tests of every layer;
// optionally with triggers that make the engine refuse a row.

#include "catalog/BusyTimeout.h"
#include "catalog/DataError.h"
#include "catalog/TableCursor.h"
#include "catalog/TableFileMaker.h"
#include "support/ScratchFolder.h"

#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <sqlite3.h>
#include <stdexcept>

// The text of the storage error `operation` raises, or an empty text when it raises none.
inline QString ErrorOf(const std::function<void()>& operation) {
    try {
        operation();
    } catch (const TDataError& error) {
        return error.Text;
    }
    return {};
}

// For the tests that wait on a busy file: connections opened afterwards give up on another
// writer after a tenth of a second instead of the program's 1.5 s.
inline void ShortenBusyTimeout() {
    SetBusyTimeout(100);
}

// The comment that the engine refuses to store in a file made refusing.
inline const QString RefusedComment = QStringLiteral("refuse");

class TTableFixture {
public:
    using TRowValues = QStringList (*)(int row);

    // Row n: label "Ln", folder "D:\DIRn\", file "filen.txt", no comment.
    static QStringList RowValues(int row) {
        return {QStringLiteral("L%1").arg(row), QStringLiteral("D:\\DIR%1\\").arg(row),
                QStringLiteral("file%1.txt").arg(row), QString()};
    }
    // Row n as a catalogue holds it: ten rows to a disc label ("CD0" for rows 1 to 9).
    static QStringList DiscRowValues(int row) {
        QStringList values = RowValues(row);
        values[0] = QStringLiteral("CD%1").arg(row / 10);
        return values;
    }

    explicit TTableFixture(int rows = 0, TRowValues values = RowValues, bool refusing = false) {
        MakeTableFile(Path);
        if (refusing)
            AddRefusingTriggers();
        if (rows == 0)
            return;
        TTableCursor writer(QStringLiteral("Writer"));
        writer.SetTableName(Path);
        writer.Open();
        TBulkTransaction transaction(writer);
        for (int row = 1; row <= rows; ++row)
            writer.AppendRecord(values(row));
        transaction.Commit();
    }

    QTemporaryDir Folder{ScratchFolderTemplate()};
    const QString Path = Folder.filePath(QStringLiteral("GeneralData.db"));

    // Runs `sql` on the file through a connection of its own, as another program would.
    void ExecuteElsewhere(const QString& sql) const {
        sqlite3* connection = nullptr;
        int result = sqlite3_open(Path.toUtf8().constData(), &connection);
        if (result == SQLITE_OK)
            result = sqlite3_exec(connection, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
        const std::string message = sqlite3_errmsg(connection);
        sqlite3_close(connection);
        if (result != SQLITE_OK)
            throw std::runtime_error(message);
    }

private:
    void AddRefusingTriggers() {
        ExecuteElsewhere(
            QStringLiteral(
                "CREATE TRIGGER refuse_insert BEFORE INSERT ON records WHEN NEW.Coments = '%1' "
                "BEGIN SELECT RAISE(ABORT, 'row refused by the test'); END;"
                "CREATE TRIGGER refuse_update BEFORE UPDATE ON records WHEN NEW.Coments = '%1' "
                "BEGIN SELECT RAISE(ABORT, 'row refused by the test'); END;")
                .arg(RefusedComment));
    }
};
