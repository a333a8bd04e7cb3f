// Where the program's tables live: a `Data` folder beside the executable is used as it is; an
// installed program, which has none, gets its files made in the user's data folder once, and
// an error naming the folder when that folder cannot be made.

#include "catalog/TablePaths.h"
#include "support/TableFixture.h"

#include <QDir>
#include <QFile>
#include <QTest>

class TableFolderTest : public QObject {
    Q_OBJECT

private slots:
    void dataFolderBesideTheExecutableIsUsedAsItIs();
    void userDataFolderGetsItsMissingFilesOnly();
    void folderThatCannotBeMadeIsNamed();
};

void TableFolderTest::dataFolderBesideTheExecutableIsUsedAsItIs() {
    QTemporaryDir executable;
    QTemporaryDir user;
    QVERIFY(QDir(executable.path()).mkdir(QStringLiteral("Data")));
    const QString folder = PrepareTableFolder(executable.path(), user.path());
    QCOMPARE(folder, executable.filePath(QStringLiteral("Data")));
    // A file missing there is reported when the table opens, as for the build folder.
    QVERIFY(QDir(folder).isEmpty());
    QVERIFY(QDir(user.path()).isEmpty());
}

void TableFolderTest::userDataFolderGetsItsMissingFilesOnly() {
    QTemporaryDir executable;
    QTemporaryDir user;
    const QString userData = user.filePath(QStringLiteral("zandrel"));
    const QString folder = PrepareTableFolder(executable.path(), userData);
    QCOMPARE(folder, userData + QStringLiteral("/Data"));
    QVERIFY(QDir(executable.path()).isEmpty());

    TTableCursor catalog(QStringLiteral("TableData"));
    catalog.SetTableName(TablePathIn(folder, CatalogTableFileName));
    catalog.Open();
    for (const auto& [field, size] : {std::pair{0, 32}, {1, 4096}, {2, 255}, {3, 1024}})
        QCOMPARE(catalog.FieldSize(field), size);
    catalog.AppendRecord({QStringLiteral("KEEP ME")});
    catalog.Close();
    const QString staging = TablePathIn(folder, StagingTableFileName);
    QVERIFY(QFile::remove(staging));

    QCOMPARE(PrepareTableFolder(executable.path(), userData), folder);
    catalog.Open();
    QCOMPARE(catalog.RecordCount(), 1);
    QCOMPARE(catalog.FieldText(0), QStringLiteral("KEEP ME"));
    QVERIFY(QFile::exists(staging));
}

void TableFolderTest::folderThatCannotBeMadeIsNamed() {
    QTemporaryDir executable;
    QTemporaryDir user;
    // A file where the user's data folder should be: no rights help past it.
    const QString userData = user.filePath(QStringLiteral("zandrel"));
    QFile blocking(userData);
    QVERIFY(blocking.open(QIODevice::WriteOnly));
    blocking.close();

    const QString error = ErrorOf([&] { PrepareTableFolder(executable.path(), userData); });
    QVERIFY2(error.startsWith(QStringLiteral("The table folder cannot be made: ")),
             qPrintable(error));
    QVERIFY2(error.endsWith(QStringLiteral("\nFolder: ") + userData + QStringLiteral("/Data")),
             qPrintable(error));
}

QTEST_GUILESS_MAIN(TableFolderTest)
#include "TableFolderTest.moc"
