// Where the program's tables live: a `Data` folder beside the executable is used as it is; when
// the user's data folder cannot be made, or there is no home, the error says so. (That an
// installed program makes its files there is the installed program's test.)

#include "catalog/TablePaths.h"
#include "support/TableFixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>

class TableFolderTest : public QObject {
    Q_OBJECT

private slots:
    void dataFolderBesideTheExecutableIsUsedAsItIs();
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
    // No home, so no user's data folder: nothing is made in the current folder.
    const QString noHome = ErrorOf([&] { PrepareTableFolder(executable.path(), QString()); });
    QVERIFY2(noHome.contains(QStringLiteral("no home folder")), qPrintable(noHome));
    QVERIFY(!QFileInfo::exists(QStringLiteral("Data")));
}

QTEST_GUILESS_MAIN(TableFolderTest)
#include "TableFolderTest.moc"
