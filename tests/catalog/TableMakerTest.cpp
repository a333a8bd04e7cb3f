// The build's table maker: makes both files with the catalog's schema, and never touches a
// file that is already there.

#include "support/TableFixture.h"

#include <QProcess>
#include <QTest>

class TableMakerTest : public QObject {
    Q_OBJECT

private slots:
    void makesMissingFilesAndKeepsExistingOnes();
};

void TableMakerTest::makesMissingFilesAndKeepsExistingOnes() {
    QTemporaryDir folder(ScratchFolderTemplate());
    const QString data = folder.filePath(QStringLiteral("Data"));
    const auto makeTables = [&] {
        return QProcess::execute(QStringLiteral(MAKE_TABLES), {data});
    };
    QCOMPARE(makeTables(), 0);

    const QString catalogPath = data + QStringLiteral("/GeneralData.db");
    TTableCursor catalog(QStringLiteral("TableData"));
    catalog.SetTableName(catalogPath);
    catalog.Open();
    QCOMPARE(catalog.RecordCount(), 0);
    catalog.AppendRecord({QStringLiteral("KEEP ME")});
    catalog.Close();

    QVERIFY(QFile::remove(data + QStringLiteral("/SelectedData.db")));
    QCOMPARE(makeTables(), 0);
    catalog.Open();
    QCOMPARE(catalog.RecordCount(), 1);
    QCOMPARE(catalog.FieldText(0), QStringLiteral("KEEP ME"));

    TTableCursor staging(QStringLiteral("TableSelectedData"));
    staging.SetTableName(data + QStringLiteral("/SelectedData.db"));
    staging.Open();
    QCOMPARE(staging.RecordCount(), 0);
    QCOMPARE(staging.FieldSize(3), 1024);
}

QTEST_GUILESS_MAIN(TableMakerTest)
#include "TableMakerTest.moc"
