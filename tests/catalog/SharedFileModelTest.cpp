// Two cursors of this program and a second connection, standing for another program, work
// on one table file in random order; a cursor may also append the rows of another table.
// After every step each cursor's state, record number, count, flags and shown texts, and the
// file's rows, must match a plain model: a sorted list of rows and, per cursor, the row it
// shows as it was read.

#include "catalog/DataError.h"
#include "support/TableFixture.h"

#include <QTest>
#include <algorithm>
#include <random>
#include <sqlite3.h>

namespace {

// A row as the model keeps it: its rowid and its values.
struct TModelRow {
    qint64 RowId = 0;
    TFieldValues Values;
};

struct TModelCursor {
    TCursorState State = TCursorState::Inactive;
    TModelRow Current;
    bool Bof = false;
    bool Eof = false;
    TFieldValues Buffer;
    bool Modified = false;
    qint64 InsertBefore = 0;
    bool SavedBof = false;
    bool SavedEof = false;
};

// What the cursors promise, on a sorted vector of rows. Each step returns false where the
// cursor must fail and change nothing.
struct TModel {
    std::vector<TModelRow> Rows;

    qint64 Count() const { return qint64(Rows.size()); }
    // The 1-based place of `rowId`, or of the first row after it.
    qint64 PlaceOf(qint64 rowId) const {
        return std::lower_bound(Rows.begin(), Rows.end(), rowId,
                                [](const TModelRow& row, qint64 id) { return row.RowId < id; }) -
               Rows.begin() + 1;
    }
    bool StoredAsSeen(const TModelRow& seen) const {
        const qint64 place = PlaceOf(seen.RowId);
        return place <= Count() && Rows[size_t(place - 1)].RowId == seen.RowId &&
               Rows[size_t(place - 1)].Values == seen.Values;
    }
    qint64 RecNo(const TModelCursor& cursor) const {
        if (cursor.State == TCursorState::Insert)
            return -1;
        return std::min(PlaceOf(cursor.Current.RowId), Count());
    }
    void PositionAt(TModelCursor& cursor, qint64 place) const {
        cursor.Current = place > 0 ? Rows[size_t(place - 1)] : TModelRow{};
    }

    void Sync(TModelCursor& cursor) const {
        if (cursor.State != TCursorState::Browse)
            return;
        const qint64 place =
            std::min(cursor.Current.RowId ? PlaceOf(cursor.Current.RowId) : 1, Count());
        PositionAt(cursor, place);
        cursor.Bof = Rows.empty() || (cursor.Bof && place == 1);
        cursor.Eof = Rows.empty() || (cursor.Eof && place == Count());
    }
    void Open(TModelCursor& cursor) const {
        cursor = {};
        cursor.State = TCursorState::Browse;
        PositionAt(cursor, std::min<qint64>(1, Count()));
        cursor.Bof = true;
        cursor.Eof = Rows.empty();
    }
    bool Post(TModelCursor& cursor) {
        if (cursor.State == TCursorState::Edit && cursor.Buffer == cursor.Current.Values) {
            // Nothing changed: nothing is written, whatever became of the row.
        } else if (cursor.State == TCursorState::Edit) {
            if (!StoredAsSeen(cursor.Current))
                return false;
            Rows[size_t(PlaceOf(cursor.Current.RowId) - 1)].Values = cursor.Buffer;
        } else if (cursor.State == TCursorState::Insert) {
            cursor.Current.RowId = Rows.empty() ? 1 : Rows.back().RowId + 1;
            Rows.push_back({cursor.Current.RowId, cursor.Buffer});
        } else {
            return true;
        }
        cursor.Current.Values = cursor.Buffer;
        cursor.Bof = cursor.Eof = false;
        cursor.State = TCursorState::Browse;
        return true;
    }
    bool Cancel(TModelCursor& cursor) const {
        if (cursor.State == TCursorState::Insert) {
            cursor.Bof = cursor.SavedBof;
            cursor.Eof = cursor.SavedEof;
        }
        if (cursor.State != TCursorState::Browse) {
            cursor.State = TCursorState::Browse;
            Sync(cursor);
        }
        return true;
    }
    bool CheckBrowseMode(TModelCursor& cursor) {
        const bool done = cursor.State == TCursorState::Browse ||
                          (cursor.Modified ? Post(cursor) : Cancel(cursor));
        Sync(cursor);
        return done;
    }
    bool MoveBy(TModelCursor& cursor, qint64 distance) {
        if (!CheckBrowseMode(cursor))
            return false;
        if (distance == 0 || (distance > 0 && cursor.Eof) || (distance < 0 && cursor.Bof))
            return true;
        const qint64 target = RecNo(cursor) + distance;
        PositionAt(cursor, std::clamp<qint64>(target, std::min<qint64>(1, Count()), Count()));
        cursor.Bof = target < 1;
        cursor.Eof = target > Count();
        return true;
    }
    bool GoTo(TModelCursor& cursor, qint64 target) {
        if (!CheckBrowseMode(cursor))
            return false;
        return Rows.empty() ||
               MoveBy(cursor, std::clamp<qint64>(target, 1, Count()) - RecNo(cursor));
    }
    bool FirstOrLast(TModelCursor& cursor, bool last) {
        if (!CheckBrowseMode(cursor))
            return false;
        PositionAt(cursor, last ? Count() : std::min<qint64>(1, Count()));
        cursor.Bof = !last || Rows.empty();
        cursor.Eof = last || Rows.empty();
        return true;
    }
    // Insert keeps the flags of the row it stands at; Append stands after the last row.
    bool NewRow(TModelCursor& cursor, bool append) {
        if (!CheckBrowseMode(cursor))
            return false;
        const bool atEnd = append || Rows.empty();
        cursor.InsertBefore = atEnd ? 0 : cursor.Current.RowId;
        cursor.SavedBof = cursor.Bof;
        cursor.SavedEof = cursor.Eof;
        if (atEnd) {
            cursor.Bof = Rows.empty();
            cursor.Eof = true;
        }
        cursor.Buffer = {};
        cursor.Modified = false;
        cursor.State = TCursorState::Insert;
        return true;
    }
    bool Edit(TModelCursor& cursor) {
        if (cursor.State != TCursorState::Browse)
            return true;
        if (cursor.Current.RowId == 0)
            return NewRow(cursor, false);
        cursor.Buffer = cursor.Current.Values;
        cursor.Modified = false;
        cursor.State = TCursorState::Edit;
        return true;
    }
    bool SetField(TModelCursor& cursor, int field, const QString& text) const {
        if (cursor.State != TCursorState::Edit && cursor.State != TCursorState::Insert)
            return false;
        cursor.Buffer[size_t(field)] = text;
        cursor.Modified = true;
        return true;
    }
    // The rows of another table come after the last row; the cursor stands on the last.
    bool AppendRows(TModelCursor& cursor, const std::vector<TFieldValues>& rows) {
        if (!CheckBrowseMode(cursor))
            return false;
        for (const TFieldValues& values : rows)
            Rows.push_back({Rows.empty() ? 1 : Rows.back().RowId + 1, values});
        PositionAt(cursor, Count());
        cursor.Bof = Rows.empty();
        cursor.Eof = true;
        return true;
    }
    // Deletes the row `shown` as the cursor showed it, whatever it shows now.
    bool Delete(TModelCursor& cursor, const TModelCursor shown) {
        if (shown.State == TCursorState::Insert)
            return Cancel(cursor);
        if (!StoredAsSeen(shown.Current))
            return false;
        Rows.erase(Rows.begin() + (PlaceOf(shown.Current.RowId) - 1));
        PositionAt(cursor, std::min(PlaceOf(shown.Current.RowId), Count()));
        cursor.Bof = cursor.Eof = Rows.empty();
        cursor.State = TCursorState::Browse;
        return true;
    }

    QString RowText(const TModelCursor& cursor, qint64 position, int field) const {
        qint64 place = position;
        if (cursor.State == TCursorState::Insert) {
            const qint64 insertAt = cursor.InsertBefore
                                        ? std::min(PlaceOf(cursor.InsertBefore), Count() + 1)
                                        : Count() + 1;
            if (position == insertAt)
                return cursor.Buffer[size_t(field)];
            place -= position > insertAt ? 1 : 0;
        } else if (cursor.State == TCursorState::Edit && position == RecNo(cursor)) {
            return cursor.Buffer[size_t(field)];
        }
        return place >= 1 && place <= Count() ? Rows[size_t(place - 1)].Values[size_t(field)]
                                              : QString();
    }
    // What a user of the cursor sees, as one text: easy to compare, readable when it differs.
    QString Describe(const TModelCursor& cursor) const {
        const TFieldValues& shown =
            cursor.State == TCursorState::Browse ? cursor.Current.Values : cursor.Buffer;
        QStringList rows;
        const qint64 shownRows = Count() + (cursor.State == TCursorState::Insert ? 1 : 0);
        for (qint64 position = 1; position <= shownRows; ++position)
            rows << RowText(cursor, position, 0) + QLatin1Char('/') + RowText(cursor, position, 3);
        return QStringLiteral("state %1, record %2 of %3, bof %4, eof %5, fields %6; rows %7")
            .arg(int(cursor.State))
            .arg(RecNo(cursor))
            .arg(Count())
            .arg(cursor.Bof)
            .arg(cursor.Eof)
            .arg(QStringList(shown.begin(), shown.end()).join(QLatin1Char('|')), rows.join(u' '));
    }
};

QString Describe(const TTableCursor& cursor) {
    QStringList shown;
    for (int field = 0; field < CatalogFieldCount; ++field)
        shown << cursor.FieldText(field);
    QStringList rows;
    for (qint64 position = 1; position <= cursor.RowCountWithInsert(); ++position)
        rows << cursor.RowText(position, 0) + QLatin1Char('/') + cursor.RowText(position, 3);
    return QStringLiteral("state %1, record %2 of %3, bof %4, eof %5, fields %6; rows %7")
        .arg(int(cursor.State()))
        .arg(cursor.RecNo())
        .arg(cursor.RecordCount())
        .arg(cursor.Bof())
        .arg(cursor.Eof())
        .arg(shown.join(QLatin1Char('|')), rows.join(u' '));
}

// The other program: a connection of its own, writing with plain statements.
class TOtherProgram {
public:
    explicit TOtherProgram(const QString& path) {
        sqlite3_open(path.toUtf8().constData(), &Connection);
    }
    ~TOtherProgram() { sqlite3_close(Connection); }
    TOtherProgram(const TOtherProgram&) = delete;
    TOtherProgram& operator=(const TOtherProgram&) = delete;

    bool Execute(const char* sql, qint64 rowId, const QString& text = {}) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(Connection, sql, -1, &statement, nullptr);
        const QByteArray utf8 = text.toUtf8();
        sqlite3_bind_int64(statement, 1, rowId);
        sqlite3_bind_text(statement, 2, utf8.constData(), int(utf8.size()), SQLITE_STATIC);
        const int result = sqlite3_step(statement);
        sqlite3_finalize(statement);
        return result == SQLITE_DONE;
    }
    qint64 LastRowId() const { return sqlite3_last_insert_rowid(Connection); }
    QString Rows() const {
        QStringList rows;
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(Connection, "SELECT rowid, Label || '|' || Coments FROM records", -1,
                           &statement, nullptr);
        while (sqlite3_step(statement) == SQLITE_ROW)
            rows << QStringLiteral("%1:%2")
                        .arg(sqlite3_column_int64(statement, 0))
                        .arg(QString::fromUtf8(
                            reinterpret_cast<const char*>(sqlite3_column_text(statement, 1))));
        sqlite3_finalize(statement);
        return rows.join(u' ');
    }

private:
    sqlite3* Connection = nullptr;
};

QString Rows(const TModel& model) {
    QStringList rows;
    for (const TModelRow& row : model.Rows)
        rows << QStringLiteral("%1:%2|%3").arg(row.RowId).arg(row.Values[0], row.Values[3]);
    return rows.join(u' ');
}

} // namespace

class SharedFileModelTest : public QObject {
    Q_OBJECT

private slots:
    void randomWorkMatchesTheModel_data();
    void randomWorkMatchesTheModel();
};

void SharedFileModelTest::randomWorkMatchesTheModel_data() {
    QTest::addColumn<unsigned>("seed");
    for (unsigned seed = 1; seed <= 5; ++seed)
        QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(seed))) << seed;
}

void SharedFileModelTest::randomWorkMatchesTheModel() {
    QFETCH(unsigned, seed);
    std::mt19937 random(seed);
    const auto below = [&](qint64 bound) {
        return qint64(random() % quint64(bound));
    };

    // Rows with gaps in their rowids, as a table that has seen deletions.
    TTableFixture table(12);
    TOtherProgram other(table.Path);
    QVERIFY(other.Execute("DELETE FROM records WHERE rowid IN (4, 5, ?1)", 9));
    TModel model;
    for (int row : {1, 2, 3, 6, 7, 8, 10, 11, 12}) {
        const QStringList values = TTableFixture::RowValues(row);
        model.Rows.push_back({row, {values[0], values[1], values[2], values[3]}});
    }
    TTableFixture staging(2);
    std::vector<TFieldValues> stagingRows;
    for (int row : {1, 2}) {
        const QStringList values = TTableFixture::RowValues(row);
        stagingRows.push_back({values[0], values[1], values[2], values[3]});
    }
    std::array<TTableCursor, 2> cursors{TTableCursor(QStringLiteral("A")),
                                        TTableCursor(QStringLiteral("B"))};
    std::array<TModelCursor, 2> expected;
    for (TTableCursor& cursor : cursors)
        cursor.SetTableName(table.Path);

    QStringList log;
    for (int step = 0; step < 2500; ++step) {
        const auto which = size_t(below(2));
        TTableCursor& cursor = cursors[which];
        TModelCursor& mine = expected[which];
        const QString text = QStringLiteral("t%1%2").arg(step).arg(below(3) ? "" : "é");
        const qint64 distance = below(4) ? below(5) - 2 : below(41) - 20;
        const int field = int(below(CatalogFieldCount));
        // The other program picks a row; its deletions of the last row free that rowid.
        const qint64 place = below(4) ? below(model.Count() + 1) : model.Count();
        const qint64 rowId = place > 0 ? model.Rows[size_t(place - 1)].RowId : 0;

        // Each step is done on the model first, then for real; the real step must fail
        // exactly where the model does.
        struct TStep {
            QString Name;
            bool Succeeds;
            std::function<void()> Real;
        };
        const auto next = [&]() -> TStep {
            using namespace Qt::Literals::StringLiterals;
            if (mine.State == TCursorState::Inactive) {
                model.Open(mine);
                return {u"open"_s, true, [&] {
                            cursor.Open();
                        }};
            }
            switch (below(23)) {
            case 0:
            case 1:
            case 2:
                return {u"move by %1"_s.arg(distance), model.MoveBy(mine, distance), [&] {
                            cursor.MoveBy(distance);
                        }};
            case 3:
                return {u"go to record %1"_s.arg(distance), model.GoTo(mine, distance), [&] {
                            cursor.SetRecNo(distance);
                        }};
            case 4:
                return {u"first"_s, model.FirstOrLast(mine, false), [&] {
                            cursor.First();
                        }};
            case 5:
                return {u"last"_s, model.FirstOrLast(mine, true), [&] {
                            cursor.Last();
                        }};
            case 6:
                return {u"insert"_s, model.NewRow(mine, false), [&] {
                            cursor.Insert();
                        }};
            case 7:
                return {u"append"_s, model.NewRow(mine, true), [&] {
                            cursor.Append();
                        }};
            case 8:
                return {u"edit"_s, model.Edit(mine), [&] {
                            cursor.Edit();
                        }};
            case 9:
            case 10:
                return {u"set field %1 to %2"_s.arg(field).arg(text),
                        model.SetField(mine, field, text), [&] {
                            cursor.SetFieldText(field, text);
                        }};
            case 11:
                return {u"post"_s, model.Post(mine), [&] {
                            cursor.Post();
                        }};
            case 12:
                return {u"cancel"_s, model.Cancel(mine), [&] {
                            cursor.Cancel();
                        }};
            case 13:
                return {u"delete"_s, model.Delete(mine, mine), [&] {
                            cursor.Delete();
                        }};
            case 14:
                return {u"refresh"_s, model.CheckBrowseMode(mine), [&] {
                            cursor.Refresh();
                        }};
            case 15:
                mine = {};
                return {u"close"_s, true, [&] {
                            cursor.Close();
                        }};
            case 16:
            case 17:
                return {u"other program inserts"_s, true, [&] {
                            QVERIFY(other.Execute("INSERT INTO records VALUES (?2, 'D:\\', "
                                                  "'f', '')",
                                                  0, text));
                            model.Rows.push_back(
                                {other.LastRowId(), {text, u"D:\\"_s, u"f"_s, QString()}});
                        }};
            case 18:
            case 19:
                if (rowId)
                    model.Rows.erase(model.Rows.begin() + (place - 1));
                return {u"other program deletes rowid %1"_s.arg(rowId), true, [&] {
                            QVERIFY(other.Execute("DELETE FROM records WHERE rowid = ?1", rowId));
                        }};
            case 20:
                return {u"append the staging rows"_s, model.AppendRows(mine, stagingRows), [&] {
                            cursor.AppendRowsOf(staging.Path);
                        }};
            case 21: {
                // The user confirms deleting the row shown while another program deletes
                // that row or another one, and a repaint reads the table.
                const TModelCursor shown = mine;
                const qint64 gone = below(2) ? shown.Current.RowId : rowId;
                std::erase_if(model.Rows,
                              [gone](const TModelRow& row) { return row.RowId == gone; });
                model.Sync(mine);
                return {u"other program deletes rowid %1 while deleting is confirmed"_s.arg(gone),
                        model.Delete(mine, shown), [&, gone] {
                            const TShownRow row = cursor.ShownRow();
                            QVERIFY(other.Execute("DELETE FROM records WHERE rowid = ?1", gone));
                            cursor.RecordCount();
                            cursor.Delete(row);
                        }};
            }
            default:
                if (rowId)
                    model.Rows[size_t(place - 1)].Values[3] = text;
                return {u"other program changes rowid %1"_s.arg(rowId), true, [&] {
                            QVERIFY(other.Execute(
                                "UPDATE records SET Coments = ?2 WHERE rowid = ?1", rowId, text));
                        }};
            }
        };
        const TStep done = next();
        log << QStringLiteral("%1 %2: %3").arg(step).arg(QChar(u"AB"[which])).arg(done.Name);
        QString failure;
        try {
            done.Real();
        } catch (const TDataError& error) {
            failure = error.Text;
        }
        const bool succeeds = done.Succeeds;
        const QString steps = log.mid(std::max<qsizetype>(0, log.size() - 30)).join(u'\n');
        QVERIFY2(failure.isEmpty() == succeeds,
                 qPrintable(steps + QStringLiteral("\n-> ") +
                            (succeeds ? failure : QStringLiteral("should have failed"))));
        QVERIFY2(other.Rows() == Rows(model), qPrintable(steps));
        for (size_t index = 0; index < cursors.size(); ++index) {
            QCOMPARE(cursors[index].Active(), expected[index].State != TCursorState::Inactive);
            if (!cursors[index].Active())
                continue;
            model.Sync(expected[index]);
            const QString observed = Describe(cursors[index]);
            const QString wanted = model.Describe(expected[index]);
            QVERIFY2(observed == wanted,
                     qPrintable(steps + QStringLiteral("\ncursor %1\n  is   %2\n  want %3")
                                            .arg(QChar(u"AB"[index]), observed, wanted)));
        }
    }
}

QTEST_GUILESS_MAIN(SharedFileModelTest)
#include "SharedFileModelTest.moc"
