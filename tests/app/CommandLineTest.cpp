// The program on the command line, run as a user runs it, without a display: what --find
// prints and its exit status, --help and --version, its errors, and that it leaves every file
// as it found it.

#include "catalog/CatalogUpgrade.h"
#include "support/TableFixture.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QProcess>
#include <QTest>

namespace {

// Rows whose values hold what an output line has to escape.
const QList<QStringList> Rows = {
    {"CD1", "D:\\DOCS\\", "readme.txt", ""},
    {"CD1", "D:\\DOCS\\", "tab\there.txt", "line one\nline two"},
    {"CD2", "E:\\", "README.md", "back\\slash"},
    {"CD2", "E:\\", "other.doc", "see readme"},
};
const QString ReadmeLine = QStringLiteral("CD1\tD:\\\\DOCS\\\\\treadme.txt\t\n");
const QString TabLine =
    QStringLiteral("CD1\tD:\\\\DOCS\\\\\ttab\\there.txt\tline one\\nline two\n");
const QString ReadmeMdLine = QStringLiteral("CD2\tE:\\\\\tREADME.md\tback\\\\slash\n");
const QString SeeReadmeLine = QStringLiteral("CD2\tE:\\\\\tother.doc\tsee readme\n");

// Every file and folder below `folder` but the programs, with a checksum of each file's bytes.
QMap<QString, QByteArray> Contents(const QString& folder) {
    QMap<QString, QByteArray> contents;
    QDirIterator files(folder, QDir::Files | QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot,
                       QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        if (files.fileInfo().isFile() && files.fileName() == QLatin1String("zandrel"))
            continue;
        contents[file.fileName()] =
            file.open(QIODevice::ReadOnly)
                ? QCryptographicHash::hash(file.readAll(), QCryptographicHash::Sha256)
                : QByteArray("folder");
    }
    return contents;
}

} // namespace

class CommandLineTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void answersWithoutADisplayAndChangesNoFile_data();
    void answersWithoutADisplayAndChangesNoFile();
    void helpNamesEveryOption();

private:
    // Runs the program as a user without a display whose data folder is in the scratch
    // folder; returns its exit status, or -1 when it did not end normally.
    int Run(const QString& program, const QStringList& arguments, QString& output, QString& error);
    QTemporaryDir Scratch{ScratchFolderTemplate()};
    // The program with a Data folder beside it, and one without, which looks in the user's.
    QString Beside() const { return Scratch.filePath(QStringLiteral("beside/zandrel")); }
    QString Alone() const { return Scratch.filePath(QStringLiteral("alone/zandrel")); }
};

void CommandLineTest::initTestCase() {
    for (const QString& program : {Beside(), Alone()}) {
        QVERIFY(QDir().mkpath(QFileInfo(program).path()));
        QVERIFY(QFile::copy(QStringLiteral(ZANDREL_PROGRAM), program));
    }
    QVERIFY(QDir().mkpath(Scratch.filePath(QStringLiteral("beside/Data"))));
    QVERIFY(QDir().mkpath(Scratch.filePath(QStringLiteral("home"))));
    const QString catalogue = Scratch.filePath(QStringLiteral("beside/Data/GeneralData.db"));
    MakeTableFile(catalogue);
    QVERIFY(UpgradeCatalog(catalogue, [](qint64, qint64) { return true; }));
    TTableCursor writer(QStringLiteral("Writer"));
    writer.SetTableName(catalogue);
    writer.Open();
    for (const QStringList& row : Rows)
        writer.AppendRecord(row);
}

void CommandLineTest::answersWithoutADisplayAndChangesNoFile_data() {
    QTest::addColumn<bool>("besideData");
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("output");
    QTest::addColumn<QString>("error"); // what standard error starts with
    QTest::newRow("every field") << true << QStringList{"--find", "readme"} << 0
                                 << ReadmeLine + ReadmeMdLine + SeeReadmeLine << "";
    QTest::newRow("one field") << true << QStringList{"--find", "README", "--field", "file"} << 0
                               << ReadmeLine + ReadmeMdLine << "";
    QTest::newRow("values with a tab, a line break, a backslash")
        << true << QStringList{"--find=\\", "--field=comment"} << 0 << ReadmeMdLine << "";
    QTest::newRow("a tab in the text")
        << true << QStringList{"--find", "B\tHERE"} << 0 << TabLine << "";
    QTest::newRow("no row") << true << QStringList{"--find", "readme", "--field", "label"} << 1
                            << ""
                            << "";
    QTest::newRow("unknown field")
        << true << QStringList{"--find", "x", "--field", "name"} << 2 << ""
        << "zandrel: Unknown field 'name'";
    QTest::newRow("no text") << true << QStringList{"--find"} << 2 << ""
                             << "zandrel: Missing value after '--find'";
    QTest::newRow("an argument too many")
        << true << QStringList{"--find", "readme", "again"} << 2 << ""
        << "zandrel: Unexpected argument 'again'";
    QTest::newRow("a field without a text") << true << QStringList{"--field", "file"} << 2 << ""
                                            << "zandrel: --field goes with --find";
    QTest::newRow("version") << true << QStringList{"--version"} << 0
                             << "zandrel " ZANDREL_VERSION "\n"
                             << "";
    QTest::newRow("no catalogue in the user's folder")
        << false << QStringList{"--find", "readme"} << 2 << ""
        << "zandrel: Table does not exist.\nFile: " +
               Scratch.filePath("data/zandrel/Data/GeneralData.db");
}

void CommandLineTest::answersWithoutADisplayAndChangesNoFile() {
    QFETCH(bool, besideData);
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, output);
    QFETCH(QString, error);
    const QMap<QString, QByteArray> before = Contents(Scratch.path());
    QString standardOutput;
    QString standardError;
    QCOMPARE(Run(besideData ? Beside() : Alone(), arguments, standardOutput, standardError),
             status);
    QVERIFY2(error.isEmpty() ? standardError.isEmpty() : standardError.startsWith(error),
             qPrintable(standardError));
    QCOMPARE(standardOutput, output);
    QCOMPARE(Contents(Scratch.path()), before);
}

void CommandLineTest::helpNamesEveryOption() {
    QString output;
    QString error;
    QCOMPARE(Run(Beside(), {QStringLiteral("--help")}, output, error), 0);
    QVERIFY2(output.startsWith(QStringLiteral("Usage: ")), qPrintable(output));
    for (const char* option : {"--find <text>", "--field <field>", "--help", "--version"})
        QVERIFY2(output.contains(QLatin1String(option)), option);
    QCOMPARE(error, QString());
}

int CommandLineTest::Run(const QString& program, const QStringList& arguments, QString& output,
                         QString& error) {
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* display : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QLatin1String(display));
    environment.insert(QStringLiteral("HOME"), Scratch.filePath(QStringLiteral("home")));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), Scratch.filePath(QStringLiteral("data")));
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit)
        return -1;
    output = QString::fromUtf8(process.readAllStandardOutput());
    error = QString::fromUtf8(process.readAllStandardError());
    return process.exitCode();
}

QTEST_GUILESS_MAIN(CommandLineTest)
#include "CommandLineTest.moc"
