// The installed program, which has no Data folder beside it: its first start makes the two
// table files in the user's data folder, and a later start keeps the rows written there.

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <sqlite3.h>

namespace {
const QString Program = QStringLiteral(INSTALLED_PROGRAM);

// A table file opened as another program would; its failures name the file in the results.
class TTableConnection {
public:
    explicit TTableConnection(const QString& path)
        : Path(path) {
        sqlite3_open_v2(QFile::encodeName(path).constData(), &Connection, SQLITE_OPEN_READWRITE,
                        nullptr);
    }
    ~TTableConnection() { sqlite3_close(Connection); }
    TTableConnection(const TTableConnection&) = delete;
    TTableConnection& operator=(const TTableConnection&) = delete;

    // Every row of `sql`'s result, its columns joined by '|'.
    QStringList Rows(const char* sql) const {
        QStringList rows;
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(Connection, sql, -1, &statement, nullptr) != SQLITE_OK)
            return {Path + QStringLiteral(": ") + QString::fromUtf8(sqlite3_errmsg(Connection))};
        while (sqlite3_step(statement) == SQLITE_ROW) {
            QStringList columns;
            for (int column = 0; column < sqlite3_column_count(statement); ++column)
                columns.append(QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(statement, column))));
            rows.append(columns.join(QLatin1Char('|')));
        }
        sqlite3_finalize(statement);
        return rows;
    }
    bool Run(const char* sql) {
        return sqlite3_exec(Connection, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    }

private:
    QString Path;
    sqlite3* Connection = nullptr;
};

// Whether the process has every one of `paths` open (its descriptors in /proc).
bool HoldsOpen(qint64 process, const QStringList& paths) {
    const QDir descriptors(QStringLiteral("/proc/%1/fd").arg(process));
    QStringList open;
    for (const QFileInfo& descriptor : descriptors.entryInfoList(QDir::Files | QDir::System))
        open.append(descriptor.symLinkTarget());
    return std::all_of(paths.begin(), paths.end(),
                       [&](const QString& path) { return open.contains(path); });
}
} // namespace

class InstalledProgramTest : public QObject {
    Q_OBJECT

private slots:
    void firstStartMakesTheTablesAndLaterStartsKeepTheirRows();

private:
    QTemporaryDir User;
    QString Home() const { return User.filePath(QStringLiteral("home")); }
    // Where an installed program keeps its tables, for this user.
    QString Table(const char* name) const {
        return User.filePath(QStringLiteral("data/zandrel/Data/") + QLatin1String(name));
    }
    void StartUntilTablesAreOpen();
};

// Starts the installed program as a user whose home is in the temporary folder, waits until its
// start-up has opened both tables, then ends it as a session's end does (SIGTERM).
void InstalledProgramTest::StartUntilTablesAreOpen() {
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), Home());
    environment.insert(QStringLiteral("XDG_DATA_HOME"), User.filePath(QStringLiteral("data")));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(Program, {});
    QVERIFY2(program.waitForStarted(), qPrintable(Program + QStringLiteral(" does not start")));
    const QStringList tables = {Table("GeneralData.db"), Table("SelectedData.db")};
    const bool opened =
        QTest::qWaitFor([&] { return HoldsOpen(program.processId(), tables); }, 10000);
    program.terminate();
    QVERIFY(program.waitForFinished(10000));
    QVERIFY2(opened, "the program did not open both tables in the user's data folder");
}

void InstalledProgramTest::firstStartMakesTheTablesAndLaterStartsKeepTheirRows() {
    QVERIFY(User.isValid());
    QVERIFY(QDir().mkpath(Home()));
    StartUntilTablesAreOpen();
    if (QTest::currentTestFailed())
        return;
    QVERIFY2(!QFileInfo::exists(QFileInfo(Program).dir().filePath(QStringLiteral("Data"))),
             "the install holds table files of its own");

    const QStringList schema = {"0|Label|VARCHAR(32)", "1|Directory|VARCHAR(4096)",
                                "2|File|VARCHAR(255)", "3|Coments|VARCHAR(1024)"};
    const char* fields = "SELECT cid, name, type FROM pragma_table_info('records')";
    const char* rows = "SELECT * FROM records ORDER BY rowid";
    {
        TTableConnection catalog(Table("GeneralData.db"));
        TTableConnection staging(Table("SelectedData.db"));
        QCOMPARE(catalog.Rows(fields), schema);
        QCOMPARE(staging.Rows(fields), schema);
        QVERIFY(catalog.Rows(rows).isEmpty());
        QVERIFY(catalog.Run("INSERT INTO records VALUES ('CD1', '/media/cd/', 'a.txt', 'one'),"
                            " ('CD2', '/media/cd/docs/', 'b.txt', '')"));
        QVERIFY(staging.Run("INSERT INTO records VALUES ('CD3', '/media/cd/', 'c.txt', '')"));
    }

    StartUntilTablesAreOpen();
    TTableConnection catalog(Table("GeneralData.db"));
    TTableConnection staging(Table("SelectedData.db"));
    QCOMPARE(catalog.Rows(rows),
             QStringList({"CD1|/media/cd/|a.txt|one", "CD2|/media/cd/docs/|b.txt|"}));
    QCOMPARE(staging.Rows(rows), QStringList({"CD3|/media/cd/|c.txt|"}));
}

QTEST_GUILESS_MAIN(InstalledProgramTest)
#include "InstalledProgramTest.moc"
