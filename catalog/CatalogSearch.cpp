#include "catalog/CatalogSearch.h"

#include "catalog/BusyTimeout.h"
#include "catalog/DataError.h"
#include "catalog/internal/SearchSql.h"
#include "catalog/internal/SqliteStatement.h"
#include "catalog/internal/WriteAccess.h"

#include <QFileInfo>
#include <QUrl>
#include <limits>

namespace {

struct TCloser {
    void operator()(sqlite3* connection) const { sqlite3_close_v2(connection); }
};

} // namespace

struct TCatalogSearch::TOpenFile {
    QString Path;
    std::unique_ptr<sqlite3, TCloser> Connection;
    bool Indexed = false;
    qint64 SeenVersion = 0;

    // The search looked for, as the statements take it; bound again after every reset.
    QByteArray Folded;
    QByteArray Trigrams;
    QByteArray Sql;
    // The walk Step moves through, and the reader of rows found before.
    TSqliteStatement Walk;
    TSqliteStatement Reader;
    bool Walking = false;

    [[noreturn]] void Fail() const {
        throw TDataError(QStringLiteral("The catalogue cannot be searched: %1.")
                             .arg(QString::fromUtf8(sqlite3_errmsg(Connection.get()))),
                         TDataError::TSubject::File, Path);
    }

    void Open(const QString& uri, int flags) {
        sqlite3* connection = nullptr;
        const int result = sqlite3_open_v2(uri.toUtf8().constData(), &connection,
                                           flags | SQLITE_OPEN_URI, nullptr);
        Connection.reset(connection);
        if (result != SQLITE_OK)
            Fail();
        sqlite3_busy_timeout(connection, BusyTimeout());
        if (RegisterContainsFolded(connection) != SQLITE_OK)
            Fail();
        // Room for the pages a first page of matches and the rows around it touch at ten
        // million rows (the engine's 2 MB made a keystroke three times slower there); it is
        // filled only as rows are read.
        if (sqlite3_exec(connection, "PRAGMA cache_size=-8000", nullptr, nullptr, nullptr) !=
            SQLITE_OK)
            Fail();
    }

    qint64 Value(const char* sql) const {
        TSqliteStatement query;
        if (query.Prepare(Connection.get(), sql) != SQLITE_OK || query.Step() != SQLITE_ROW)
            Fail();
        return query.ColumnInt64(0);
    }

    void Prepare(TSqliteStatement& statement) const {
        if (statement.Prepare(Connection.get(), Sql.constData()) != SQLITE_OK)
            Fail();
    }

    void Bind(TSqliteStatement& statement, qint64 fromRowId) const {
        statement.Reset();
        statement.BindInt64(1, fromRowId);
        statement.BindText(2, Folded);
        if (!Trigrams.isEmpty())
            statement.BindText(3, Trigrams);
    }

    // Steps `statement`: true on a row, false at its end; the engine's error is thrown.
    bool Next(TSqliteStatement& statement) const {
        const int result = statement.Step();
        if (result == SQLITE_ROW)
            return true;
        statement.Reset();
        if (result != SQLITE_DONE)
            Fail();
        return false;
    }
};

// A file this user may write is opened for writing, yet asked never to write, so the engine
// takes away the log files it makes beside it when it closes (a connection that only reads
// would leave them). One that cannot be written is read through the log files beside it when
// a running program keeps them, else as it stands.
TCatalogSearch::TCatalogSearch(const QString& path)
    : File(std::make_unique<TOpenFile>()) {
    File->Path = path;
    const QFileInfo info(path);
    if (!info.exists())
        throw TDataError(QStringLiteral("Table does not exist."), TDataError::TSubject::File, path);
    if (!info.isFile())
        throw TDataError(QStringLiteral("The path is a folder, not a table file."),
                         TDataError::TSubject::File, path);
    const QString uri = QUrl::fromLocalFile(info.absoluteFilePath()).toString(QUrl::FullyEncoded);
    if (!WriteAccessOf(path).ReadOnlyReason) {
        File->Open(uri, SQLITE_OPEN_READWRITE);
        if (sqlite3_exec(File->Connection.get(), "PRAGMA query_only=1", nullptr, nullptr,
                         nullptr) != SQLITE_OK)
            File->Fail();
    } else if (QFileInfo::exists(path + QStringLiteral("-wal")) &&
               QFileInfo::exists(path + QStringLiteral("-shm"))) {
        File->Open(uri, SQLITE_OPEN_READONLY);
    } else {
        File->Open(uri + QStringLiteral("?immutable=1"), SQLITE_OPEN_READONLY);
    }
    File->Indexed = File->Value(WholeIndexQuery) != 0;
    File->SeenVersion = File->Value("PRAGMA data_version");
}

TCatalogSearch::~TCatalogSearch() = default;

const QString& TCatalogSearch::Path() const {
    return File->Path;
}

bool TCatalogSearch::Indexed() const {
    return File->Indexed;
}

void TCatalogSearch::Stop() {
    File->Walk = {};
    File->Reader = {};
    File->Walking = false;
    File->Sql.clear();
}

void TCatalogSearch::Start(const QString& text, int field) {
    Stop();
    File->Folded = FoldedText(text);
    File->Trigrams = File->Indexed ? TrigramQuery(text) : QByteArray();
    File->Sql = MatchingRowsSql(field, !File->Trigrams.isEmpty(), true);
    File->SeenVersion = File->Value("PRAGMA data_version");
    File->Prepare(File->Walk);
    File->Bind(File->Walk, std::numeric_limits<qint64>::min());
    File->Walking = true;
}

bool TCatalogSearch::Step() {
    if (!File->Walking)
        return false;
    File->Walking = File->Next(File->Walk);
    return File->Walking;
}

qint64 TCatalogSearch::RowId() const {
    return File->Walk.ColumnInt64(0);
}

bool TCatalogSearch::Matched() const {
    return File->Walk.ColumnInt64(1) != 0;
}

namespace {
TFieldValues ValuesOf(const TSqliteStatement& statement) {
    TFieldValues values;
    for (int field = 0; field < CatalogFieldCount; ++field)
        values[size_t(field)] = statement.ColumnText(field + 2);
    return values;
}
} // namespace

TFieldValues TCatalogSearch::Values() const {
    return ValuesOf(File->Walk);
}

std::vector<TFoundRow> TCatalogSearch::Read(qint64 fromRowId, qint64 skip, qint64 count) {
    std::vector<TFoundRow> rows;
    if (File->Sql.isEmpty() || count <= 0)
        return rows;
    if (!File->Reader.Prepared())
        File->Prepare(File->Reader);
    File->Bind(File->Reader, fromRowId);
    rows.reserve(size_t(count));
    while (qint64(rows.size()) < count && File->Next(File->Reader)) {
        if (File->Reader.ColumnInt64(1) == 0)
            continue;
        if (skip > 0) {
            --skip;
            continue;
        }
        rows.push_back({File->Reader.ColumnInt64(0), ValuesOf(File->Reader)});
    }
    File->Reader.Reset();
    return rows;
}

bool TCatalogSearch::Changed() {
    return File->Value("PRAGMA data_version") != File->SeenVersion;
}
