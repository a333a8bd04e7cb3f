// Two cursors of this program and a second connection, standing for another program, work
// on one table file in random order. After every step each cursor's record number, count,
// flags, state and shown texts, and the file's rows, must match a plain model: a sorted list
// of rows and, per cursor, the row it shows as it was read.

#include "TableFixture.h"
#include "catalog/DataError.h"

#include <QTest>
#include <algorithm>
#include <random>
#include <sqlite3.h>

namespace {

struct TModelCursor {
    TCursorState State = TCursorState::Inactive;
    TStoredRow Current;
    bool Bof = false;
    bool Eof = false;
    TFieldValues Buffer;
    bool Modified = false;
    qint64 InsertBefore = 0;
    bool SavedBof = false;
    bool SavedEof = false;
};

// What the cursors promise, on a plain sorted vector of rows.
class TModel {
public:
    std::vector<TStoredRow> Rows;

    qint64 Count() const { return qint64(Rows.size()); }
    // The 1-based place of `rowId`, or of the first row after it.
    qint64 PlaceOf(qint64 rowId) const {
        return std::lower_bound(Rows.begin(), Rows.end(), rowId,
                                [](const TStoredRow& row, qint64 id) { return row.RowId < id; }) -
               Rows.begin() + 1;
    }
    const TStoredRow* Find(qint64 rowId) const {
        const qint64 place = PlaceOf(rowId);
        return place <= Count() && Rows[size_t(place - 1)].RowId == rowId ? &Rows[size_t(place - 1)]
                                                                          : nullptr;
    }
    qint64 RecNo(const TModelCursor& cursor) const {
        if (cursor.State == TCursorState::Insert)
            return -1;
        return Count() ? std::min(PlaceOf(cursor.Current.RowId), Count()) : 0;
    }

    void Sync(TModelCursor& cursor) const {
        if (cursor.State != TCursorState::Browse)
            return;
        if (Rows.empty()) {
            cursor.Current = {};
            cursor.Bof = cursor.Eof = true;
            return;
        }
        const qint64 place =
            std::min(cursor.Current.RowId ? PlaceOf(cursor.Current.RowId) : 1, Count());
        cursor.Current = Rows[size_t(place - 1)];
        cursor.Bof = cursor.Bof && place == 1;
        cursor.Eof = cursor.Eof && place == Count();
    }

    void Open(TModelCursor& cursor) const {
        cursor = {};
        cursor.State = TCursorState::Browse;
        if (!Rows.empty())
            cursor.Current = Rows.front();
        cursor.Bof = true;
        cursor.Eof = Rows.empty();
    }

    // Returns false where the cursor must fail and change nothing.
    bool Post(TModelCursor& cursor) {
        if (cursor.State == TCursorState::Edit) {
            const TStoredRow* stored = Find(cursor.Current.RowId);
            if (!stored || stored->Values != cursor.Current.Values)
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

    void Cancel(TModelCursor& cursor) const {
        if (cursor.State == TCursorState::Insert) {
            cursor.Bof = cursor.SavedBof;
            cursor.Eof = cursor.SavedEof;
        }
        if (cursor.State != TCursorState::Browse) {
            cursor.State = TCursorState::Browse;
            Sync(cursor);
        }
    }

    bool CheckBrowseMode(TModelCursor& cursor) {
        if (cursor.State == TCursorState::Browse)
            return true;
        if (cursor.Modified)
            return Post(cursor);
        Cancel(cursor);
        return true;
    }

    void PositionAt(TModelCursor& cursor, qint64 place) const {
        cursor.Current = place > 0 ? Rows[size_t(place - 1)] : TStoredRow{};
    }

    bool MoveBy(TModelCursor& cursor, qint64 distance) {
        if (!CheckBrowseMode(cursor))
            return false;
        Sync(cursor);
        if (distance == 0 || (distance > 0 && cursor.Eof) || (distance < 0 && cursor.Bof))
            return true;
        const qint64 target = RecNo(cursor) + distance;
        PositionAt(cursor, std::clamp<qint64>(target, std::min<qint64>(1, Count()), Count()));
        cursor.Bof = target < 1;
        cursor.Eof = target > Count();
        return true;
    }

    bool FirstOrLast(TModelCursor& cursor, bool last) {
        if (!CheckBrowseMode(cursor))
            return false;
        PositionAt(cursor, last ? Count() : std::min<qint64>(1, Count()));
        cursor.Bof = !last || Rows.empty();
        cursor.Eof = last || Rows.empty();
        return true;
    }

    bool NewRow(TModelCursor& cursor, bool append) {
        if (!CheckBrowseMode(cursor))
            return false;
        Sync(cursor);
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

    bool Delete(TModelCursor& cursor) {
        if (cursor.State == TCursorState::Insert) {
            Cancel(cursor);
            return true;
        }
        const TStoredRow* stored = Find(cursor.Current.RowId);
        if (!stored || stored->Values != cursor.Current.Values)
            return false;
        Rows.erase(Rows.begin() + (PlaceOf(cursor.Current.RowId) - 1));
        PositionAt(cursor, std::min(PlaceOf(cursor.Current.RowId), Count()));
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
            if (position > insertAt)
                --place;
        } else if (cursor.State == TCursorState::Edit && position == RecNo(cursor)) {
            return cursor.Buffer[size_t(field)];
        }
        return place >= 1 && place <= Count() ? Rows[size_t(place - 1)].Values[size_t(field)]
                                              : QString();
    }
};

// The other program: a connection of its own.
class TOtherProgram {
public:
    explicit TOtherProgram(const QString& path) {
        sqlite3_open(path.toUtf8().constData(), &Connection);
        sqlite3_busy_timeout(Connection, 1000);
    }
    ~TOtherProgram() { sqlite3_close(Connection); }
    TOtherProgram(const TOtherProgram&) = delete;
    TOtherProgram& operator=(const TOtherProgram&) = delete;

    bool Execute(const QString& sql, const QString& text = {}, qint64 rowId = 0) {
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(Connection, sql.toUtf8().constData(), -1, &statement, nullptr);
        const QByteArray utf8 = text.toUtf8();
        if (sqlite3_bind_parameter_count(statement) >= 1)
            sqlite3_bind_text(statement, 1, utf8.constData(), int(utf8.size()), SQLITE_STATIC);
        if (sqlite3_bind_parameter_count(statement) >= 2)
            sqlite3_bind_int64(statement, 2, rowId);
        const int result = sqlite3_step(statement);
        sqlite3_finalize(statement);
        return result == SQLITE_DONE;
    }
    qint64 LastRowId() const { return sqlite3_last_insert_rowid(Connection); }

    std::vector<TStoredRow> Rows() const {
        std::vector<TStoredRow> rows;
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(Connection,
                           "SELECT rowid, Label, Directory, File, Coments FROM records "
                           "ORDER BY rowid",
                           -1, &statement, nullptr);
        while (sqlite3_step(statement) == SQLITE_ROW) {
            TStoredRow& row = rows.emplace_back();
            row.RowId = sqlite3_column_int64(statement, 0);
            for (int field = 0; field < CatalogFieldCount; ++field)
                row.Values[size_t(field)] = QString::fromUtf8(
                    reinterpret_cast<const char*>(sqlite3_column_text(statement, field + 1)));
        }
        sqlite3_finalize(statement);
        return rows;
    }

private:
    sqlite3* Connection = nullptr;
};

bool SameRows(const std::vector<TStoredRow>& left, const std::vector<TStoredRow>& right) {
    return std::equal(left.begin(), left.end(), right.begin(), right.end(),
                      [](const TStoredRow& a, const TStoredRow& b) {
                          return a.RowId == b.RowId && a.Values == b.Values;
                      });
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
    for (unsigned seed : {1u, 2u, 3u, 4u, 5u})
        QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(seed))) << seed;
}

void SharedFileModelTest::randomWorkMatchesTheModel() {
    QFETCH(unsigned, seed);
    constexpr int Steps = 2500;
    std::mt19937 random(seed);
    const auto below = [&](int bound) {
        return int(random() % unsigned(bound));
    };

    TTableFixture table(12);
    TOtherProgram other(table.Path);
    QVERIFY(other.Execute(QStringLiteral("DELETE FROM records WHERE rowid IN (4, 5, 9)")));
    TModel model;
    model.Rows = other.Rows();

    std::array<TTableCursor, 2> cursors{TTableCursor(QStringLiteral("A")),
                                        TTableCursor(QStringLiteral("B"))};
    std::array<TModelCursor, 2> expected;
    for (size_t index = 0; index < cursors.size(); ++index) {
        cursors[index].SetTableName(table.Path);
        cursors[index].Open();
        model.Open(expected[index]);
    }

    QString log;
    for (int step = 0; step < Steps; ++step) {
        const size_t index = size_t(below(2));
        TTableCursor& cursor = cursors[index];
        TModelCursor& mine = expected[index];
        const QString text =
            QStringLiteral("t%1%2").arg(step).arg(below(3) ? QString() : QStringLiteral("é"));
        const int operation = below(22);
        QString name;
        bool succeeds = true;
        std::function<void()> act;
        if (mine.State == TCursorState::Inactive && operation < 18) {
            name = QStringLiteral("open");
            model.Open(mine);
            act = [&] {
                cursor.Open();
            };
        } else {
            switch (operation) {
            case 0:
            case 1:
            case 2: {
                const qint64 distance = below(4) ? below(5) - 2 : below(41) - 20;
                name = QStringLiteral("move by %1").arg(distance);
                succeeds = model.MoveBy(mine, distance);
                act = [&, distance] {
                    cursor.MoveBy(distance);
                };
                break;
            }
            case 3: {
                const qint64 target = below(int(model.Count()) + 3) - 1;
                name = QStringLiteral("go to record %1").arg(target);
                succeeds = model.CheckBrowseMode(mine);
                if (succeeds) {
                    model.Sync(mine);
                    if (model.Count() > 0) {
                        const qint64 wanted = std::clamp<qint64>(target, 1, model.Count());
                        succeeds = model.MoveBy(mine, wanted - model.RecNo(mine));
                    }
                }
                act = [&, target] {
                    cursor.SetRecNo(target);
                };
                break;
            }
            case 4:
            case 5: {
                const bool last = operation == 5;
                name = last ? QStringLiteral("last") : QStringLiteral("first");
                succeeds = model.FirstOrLast(mine, last);
                act = [&, last] {
                    last ? cursor.Last() : cursor.First();
                };
                break;
            }
            case 6:
            case 7: {
                const bool append = operation == 7;
                name = append ? QStringLiteral("append") : QStringLiteral("insert");
                succeeds = model.NewRow(mine, append);
                act = [&, append] {
                    append ? cursor.Append() : cursor.Insert();
                };
                break;
            }
            case 8:
                name = QStringLiteral("edit");
                succeeds = model.Edit(mine);
                act = [&] {
                    cursor.Edit();
                };
                break;
            case 9:
            case 10: {
                const int field = below(CatalogFieldCount);
                name = QStringLiteral("set field %1 to %2").arg(field).arg(text);
                succeeds = mine.State == TCursorState::Edit || mine.State == TCursorState::Insert;
                if (succeeds) {
                    mine.Buffer[size_t(field)] = text;
                    mine.Modified = true;
                }
                act = [&, field, text] {
                    cursor.SetFieldText(field, text);
                };
                break;
            }
            case 11:
                name = QStringLiteral("post");
                succeeds = model.Post(mine);
                act = [&] {
                    cursor.Post();
                };
                break;
            case 12:
                name = QStringLiteral("cancel");
                model.Cancel(mine);
                act = [&] {
                    cursor.Cancel();
                };
                break;
            case 13:
                name = QStringLiteral("delete");
                succeeds = model.Delete(mine);
                act = [&] {
                    cursor.Delete();
                };
                break;
            case 14:
                name = QStringLiteral("refresh");
                succeeds = model.CheckBrowseMode(mine);
                model.Sync(mine);
                act = [&] {
                    cursor.Refresh();
                };
                break;
            case 15:
                name = QStringLiteral("close");
                mine = {};
                act = [&] {
                    cursor.Close();
                };
                break;
            case 16:
            case 17: {
                name = QStringLiteral("other program inserts");
                act = [&, text] {
                    QVERIFY(other.Execute(
                        QStringLiteral("INSERT INTO records VALUES (?1, 'D:\\', 'f', '')"), text));
                    model.Rows.push_back(
                        {other.LastRowId(),
                         {text, QStringLiteral("D:\\"), QStringLiteral("f"), QString()}});
                };
                break;
            }
            case 18:
            case 19:
            case 20: {
                if (model.Rows.empty())
                    continue;
                // Deleting the last row frees its rowid for the next insert.
                const qint64 place =
                    operation == 20 ? model.Count() : below(int(model.Count())) + 1;
                const qint64 rowId = model.Rows[size_t(place - 1)].RowId;
                name = QStringLiteral("other program deletes rowid %1").arg(rowId);
                act = [&, rowId, place] {
                    QVERIFY(other.Execute(QStringLiteral("DELETE FROM records WHERE rowid = ?2"),
                                          {}, rowId));
                    model.Rows.erase(model.Rows.begin() + (place - 1));
                };
                break;
            }
            default: {
                if (model.Rows.empty())
                    continue;
                const qint64 place = below(int(model.Count())) + 1;
                const qint64 rowId = model.Rows[size_t(place - 1)].RowId;
                name = QStringLiteral("other program changes rowid %1").arg(rowId);
                act = [&, rowId, place, text] {
                    QVERIFY(other.Execute(
                        QStringLiteral("UPDATE records SET Coments = ?1 WHERE rowid = ?2"), text,
                        rowId));
                    model.Rows[size_t(place - 1)].Values[3] = text;
                };
                break;
            }
            }
        }
        log += QStringLiteral("\n%1 %2: %3").arg(step).arg(QChar(char16_t(u'A' + index))).arg(name);

        bool failed = false;
        try {
            act();
        } catch (const TDataError& error) {
            failed = true;
            if (succeeds)
                log += QStringLiteral(" -> ") + error.Text;
        }
        QVERIFY2(failed == !succeeds,
                 qPrintable(log.right(1500) + (failed ? QStringLiteral(" (failed)")
                                                      : QStringLiteral(" (should fail)"))));

        QVERIFY2(SameRows(other.Rows(), model.Rows), qPrintable(log.right(1500)));
        for (size_t which = 0; which < cursors.size(); ++which) {
            TTableCursor& observed = cursors[which];
            TModelCursor& want = expected[which];
            QCOMPARE(observed.Active(), want.State != TCursorState::Inactive);
            if (!observed.Active())
                continue;
            model.Sync(want);
            const QString where =
                log.right(1500) + QStringLiteral("\ncursor %1").arg(QChar(char16_t(u'A' + which)));
            QVERIFY2(observed.State() == want.State, qPrintable(where));
            QVERIFY2(observed.RecordCount() == model.Count(), qPrintable(where));
            QVERIFY2(observed.RecNo() == model.RecNo(want),
                     qPrintable(where + QStringLiteral(" RecNo %1, expected %2")
                                            .arg(observed.RecNo())
                                            .arg(model.RecNo(want))));
            QVERIFY2(observed.Bof() == want.Bof && observed.Eof() == want.Eof,
                     qPrintable(where + QStringLiteral(" flags %1%2, expected %3%4")
                                            .arg(observed.Bof())
                                            .arg(observed.Eof())
                                            .arg(want.Bof)
                                            .arg(want.Eof)));
            for (int field = 0; field < CatalogFieldCount; ++field) {
                const QString shown = want.State == TCursorState::Browse
                                          ? want.Current.Values[size_t(field)]
                                          : want.Buffer[size_t(field)];
                QVERIFY2(observed.FieldText(field) == shown, qPrintable(where));
            }
            const qint64 shownRows = observed.RowCountWithInsert();
            QVERIFY2(shownRows == model.Count() + (want.State == TCursorState::Insert ? 1 : 0),
                     qPrintable(where));
            for (qint64 position = 1; position <= shownRows; ++position)
                for (int field = 0; field < CatalogFieldCount; field += 3)
                    QVERIFY2(observed.RowText(position, field) ==
                                 model.RowText(want, position, field),
                             qPrintable(where + QStringLiteral(" row %1").arg(position)));
        }
    }
}

QTEST_GUILESS_MAIN(SharedFileModelTest)
#include "SharedFileModelTest.moc"
