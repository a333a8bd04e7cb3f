// Writes to a table file from a second process:
//   table_writer hold PATH        holds a write transaction open until killed
//   table_writer bulk PATH ROWS   appends ROWS rows in one transaction and commits it,
//                                 saying "ready" half-way so the test can kill it mid-way
//   table_writer claim PATH       claims the table for itself, as a running program's
//                                 insert-data window does, until killed
#include "catalog/DataError.h"
#include "catalog/TableClaim.h"
#include "catalog/TableCursor.h"

#include <QCoreApplication>
#include <cstdio>
#include <thread>

static void Announce() {
    std::printf("ready\n");
    std::fflush(stdout);
}

int main(int argc, char* argv[]) {
    QCoreApplication application(argc, argv);
    if (argc < 3)
        return 2;
    const QString mode = QString::fromLocal8Bit(argv[1]);
    TTableCursor cursor(QStringLiteral("TableWriter"));
    cursor.SetTableName(QString::fromLocal8Bit(argv[2]));
    try {
        if (mode == QLatin1String("claim")) {
            const TTableClaim claim(cursor.TableName());
            Announce();
            for (;;)
                std::this_thread::sleep_for(std::chrono::seconds(1));
        }
        cursor.Open();
        TBulkTransaction transaction(cursor);
        const bool bulk = mode == QLatin1String("bulk");
        const int rows = bulk && argc > 3 ? std::atoi(argv[3]) : 1;
        for (int row = 0; row < rows; ++row) {
            if (bulk && row == rows / 2)
                Announce();
            cursor.AppendRecord({QStringLiteral("CHILD"), QStringLiteral("D:\\"),
                                 QStringLiteral("f%1").arg(row), QString()});
        }
        if (bulk)
            transaction.Commit();
        else
            Announce();
        for (;;)
            std::this_thread::sleep_for(std::chrono::seconds(1));
    } catch (const TDataError& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
}
