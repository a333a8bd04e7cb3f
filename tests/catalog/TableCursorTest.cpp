// The table cursor on real table files: flags and record numbers at both ends, editing,
// several cursors on one file, and what each operation tells its listeners.

#include "catalog/DataError.h"
#include "support/TableFixture.h"

#include <QTest>
#include <sqlite3.h>

namespace {

struct TEventRecorder : TCursorListener {
    void CursorNotified(TCursorEvent event, int field) override {
        Events.emplace_back(event, field);
    }
    std::vector<std::pair<TCursorEvent, int>> Events;
};

void OpenOn(TTableCursor& cursor, const QString& path) {
    cursor.SetTableName(path);
    cursor.Open();
}

// Deletes the rows at these record numbers, one after the other.
void DeleteRecords(TTableCursor& cursor, std::initializer_list<int> recordNumbers) {
    for (int recordNumber : recordNumbers) {
        cursor.SetRecNo(recordNumber);
        cursor.Delete();
    }
}

void ExecuteOn(const QString& path, const QString& sql) {
    sqlite3* connection = nullptr;
    sqlite3_open(path.toUtf8().constData(), &connection);
    const int result =
        sqlite3_exec(connection, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    sqlite3_close(connection);
    QCOMPARE(result, SQLITE_OK);
}

// Every row's file and comment (or `what`), in rowid order, as the engine itself lists them.
QStringList RowsInFile(const QString& path, const char* what = "File || '|' || Coments") {
    sqlite3* connection = nullptr;
    sqlite3_open(path.toUtf8().constData(), &connection);
    sqlite3_stmt* query = nullptr;
    sqlite3_prepare_v2(connection,
                       (QByteArray("SELECT ") + what + " FROM records ORDER BY rowid").constData(),
                       -1, &query, nullptr);
    QStringList rows;
    while (sqlite3_step(query) == SQLITE_ROW)
        rows << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(query, 0)));
    sqlite3_finalize(query);
    sqlite3_close(connection);
    return rows;
}

QStringList RowsWalked(TTableCursor& cursor) {
    QStringList rows;
    for (cursor.First(); !cursor.Eof(); cursor.Next())
        rows << cursor.FieldText(2) + '|' + cursor.FieldText(3);
    return rows;
}

} // namespace

class TableCursorTest : public QObject {
    Q_OBJECT

private slots:
    void opensOnFirstRowWithBeginFlag_data();
    void opensOnFirstRowWithBeginFlag();
    void movesSetAndClearFlagsAtBothEnds();
    void moveByLargeDistancesAndGoToRecord();
    void closedCursorRefusesAndNamesItself();
    void tableNameChangeRefusedWhileOpen();
    void editPostCancelAndFieldAssignment();
    void insertAndAppendNumberAndPlaceTheNewRow();
    void editOnEmptyTableInserts();
    void movesPostModifiedRowAndCancelUntouchedOne();
    void deleteKeepsPositionAndEmptiesCleanly();
    void textIsCutToDeclaredSizeAndUnicodeRoundTrips();
    void cursorsOnOneFileShareRowsButNotPositions();
    void deletionsInTheMiddleKeepRecordNumbersRight();
    void reopenedTableWithGapsNumbersEveryChangeRight();
    void emptyingRefusedWhileAnyCursorIsOpen();
    void bulkTransactionKeepsAllOrNone();
    void appendingAnotherTableKeepsItsOrderAndCutsToSize();
    void appendedRowsAreNumberedAsTheFileHoldsThem_data();
    void appendedRowsAreNumberedAsTheFileHoldsThem();
    void listenersAreToldOfEveryChange();
    void valuesOfOtherToolsAreMatchedAndKeptAsStored_data();
    void valuesOfOtherToolsAreMatchedAndKeptAsStored();
};

void TableCursorTest::opensOnFirstRowWithBeginFlag_data() {
    QTest::addColumn<int>("rows");
    QTest::addColumn<qint64>("recordNumber");
    QTest::addColumn<bool>("eof");
    QTest::newRow("empty table") << 0 << qint64(0) << true;
    QTest::newRow("one row") << 1 << qint64(1) << false;
    QTest::newRow("three rows") << 3 << qint64(1) << false;
}

void TableCursorTest::opensOnFirstRowWithBeginFlag() {
    QFETCH(int, rows);
    TTableFixture table(rows);
    TTableCursor cursor(QStringLiteral("TableData"));
    OpenOn(cursor, table.Path);
    QVERIFY(cursor.Active());
    QVERIFY(cursor.Bof());
    QFETCH(bool, eof);
    QCOMPARE(cursor.Eof(), eof);
    QTEST(cursor.RecNo(), "recordNumber");
    QCOMPARE(cursor.RecordCount(), qint64(rows));
    QCOMPARE(cursor.FieldText(QStringLiteral("File")),
             rows ? QStringLiteral("file1.txt") : QString());
}

void TableCursorTest::movesSetAndClearFlagsAtBothEnds() {
    TTableFixture table(3);
    TTableCursor cursor(QStringLiteral("TableData"));
    OpenOn(cursor, table.Path);

    cursor.Prior(); // begin flag already set: nothing happens
    QCOMPARE(cursor.RecNo(), 1);
    QVERIFY(cursor.Bof());

    cursor.Next();
    QVERIFY(!cursor.Bof() && !cursor.Eof());
    QCOMPARE(cursor.RecNo(), 2);
    cursor.Next();
    QCOMPARE(cursor.RecNo(), 3);
    QVERIFY(!cursor.Eof()); // on the last row, but nothing tried to pass it yet
    QCOMPARE(cursor.MoveBy(1), 0);
    QVERIFY(cursor.Eof());
    QCOMPARE(cursor.RecNo(), 3);
    QCOMPARE(cursor.FieldText(QStringLiteral("Label")), QStringLiteral("L3"));

    cursor.MoveBy(-1);
    QVERIFY(!cursor.Eof());
    QCOMPARE(cursor.RecNo(), 2);
    QCOMPARE(cursor.MoveBy(-5), -1);
    QVERIFY(cursor.Bof());
    QCOMPARE(cursor.RecNo(), 1);

    cursor.Last();
    QVERIFY(cursor.Eof() && !cursor.Bof());
    QCOMPARE(cursor.RecNo(), 3);
    cursor.First();
    QVERIFY(cursor.Bof() && !cursor.Eof());
    QCOMPARE(cursor.MoveBy(0), 0);
    QVERIFY(cursor.Bof());
}

void TableCursorTest::moveByLargeDistancesAndGoToRecord() {
    TTableFixture table(1000);
    TTableCursor cursor(QStringLiteral("TableData"));
    OpenOn(cursor, table.Path);
    QCOMPARE(cursor.MoveBy(600), 600);
    QCOMPARE(cursor.RecNo(), 601);
    QCOMPARE(cursor.FieldText(QStringLiteral("Label")), QStringLiteral("L601"));
    QCOMPARE(cursor.MoveBy(-300), -300);
    QCOMPARE(cursor.FieldText(QStringLiteral("Label")), QStringLiteral("L301"));
    cursor.SetRecNo(999);
    QCOMPARE(cursor.FieldText(QStringLiteral("File")), QStringLiteral("file999.txt"));
    QCOMPARE(cursor.MoveBy(5000), 1);
    QVERIFY(cursor.Eof());
    // Walking backwards crosses block boundaries of the row cache.
    for (int row = 1000; row >= 1; --row) {
        QCOMPARE(cursor.FieldText(0), QStringLiteral("L%1").arg(row));
        cursor.Prior();
    }
    QVERIFY(cursor.Bof());
}

void TableCursorTest::closedCursorRefusesAndNamesItself() {
    TTableCursor cursor(QStringLiteral("TableData"));
    const QString closed =
        QStringLiteral("TableData: Cannot perform this operation on a closed dataset");
    QCOMPARE(ErrorOf([&] { cursor.RecNo(); }), closed);
    QCOMPARE(ErrorOf([&] { cursor.RecordCount(); }), closed);
    QCOMPARE(ErrorOf([&] { cursor.Next(); }), closed);
    QCOMPARE(ErrorOf([&] { cursor.FieldText(0); }), closed);
    cursor.Close(); // closing a closed cursor changes nothing
    QVERIFY(!cursor.Active());
}

void TableCursorTest::tableNameChangeRefusedWhileOpen() {
    TTableFixture table(1);
    TTableCursor cursor(QStringLiteral("TableData"));
    OpenOn(cursor, table.Path);
    cursor.SetTableName(table.Path); // the same name does nothing
    QCOMPARE(ErrorOf([&] { cursor.SetTableName(QStringLiteral("/elsewhere.db")); }),
             QStringLiteral("TableData: Cannot perform this operation on an open dataset"));
    QCOMPARE(cursor.TableName(), table.Path);
    cursor.Open(); // opening an open cursor changes nothing
    QCOMPARE(cursor.RecNo(), 1);
}

void TableCursorTest::editPostCancelAndFieldAssignment() {
    TTableFixture table(2);
    TTableCursor cursor(QStringLiteral("TableData"));
    OpenOn(cursor, table.Path);
    QCOMPARE(ErrorOf([&] { cursor.SetFieldText(QStringLiteral("Coments"), QStringLiteral("x")); }),
             QStringLiteral("TableData: Dataset not in edit or insert mode"));
    QCOMPARE(ErrorOf([&] { cursor.FieldText(QStringLiteral("Size")); }),
             QStringLiteral("TableData: Field 'Size' not found"));

    cursor.Edit();
    QCOMPARE(cursor.State(), TCursorState::Edit);
    cursor.SetFieldText(QStringLiteral("Coments"), QStringLiteral("first try"));
    QVERIFY(cursor.Modified());
    cursor.Cancel();
    QCOMPARE(cursor.FieldText(QStringLiteral("Coments")), QString());

    cursor.Edit();
    cursor.SetFieldText(QStringLiteral("Coments"), QStringLiteral("kept"));
    cursor.Post();
    QCOMPARE(cursor.State(), TCursorState::Browse);
    QCOMPARE(cursor.RecNo(), 1);

    TTableCursor reader(QStringLiteral("Reader"));
    OpenOn(reader, table.Path);
    QCOMPARE(reader.FieldText(QStringLiteral("Coments")), QStringLiteral("kept"));
}

void TableCursorTest::insertAndAppendNumberAndPlaceTheNewRow() {
    TTableFixture table(3);
    TTableCursor cursor(QStringLiteral("TableData"));
    OpenOn(cursor, table.Path);
    cursor.Next();
    cursor.Insert();
    QCOMPARE(cursor.RecNo(), -1);
    QCOMPARE(cursor.RecordCount(), 3); // not counted until posted
    QCOMPARE(cursor.RowCountWithInsert(), 4);
    QCOMPARE(cursor.CurrentPosition(), 2); // shown where the cursor was
    cursor.SetFieldText(QStringLiteral("File"), QStringLiteral("new.txt"));
    QCOMPARE(cursor.RowText(2, 2), QStringLiteral("new.txt"));
    QCOMPARE(cursor.RowText(3, 2), QStringLiteral("file2.txt"));
    cursor.Post();
    // A posted new row takes its place at the end and the cursor stays on it.
    QCOMPARE(cursor.RecordCount(), 4);
    QCOMPARE(cursor.RecNo(), 4);
    QCOMPARE(cursor.FieldText(QStringLiteral("File")), QStringLiteral("new.txt"));

    cursor.First();
    cursor.Append();
    QVERIFY(cursor.Eof());
    QCOMPARE(cursor.CurrentPosition(), 5);
    cursor.Cancel();
    QCOMPARE(cursor.State(), TCursorState::Browse);
    QCOMPARE(cursor.RecNo(), 1);
    QVERIFY(cursor.Bof()); // the flags from before the append come back
}

void TableCursorTest::editOnEmptyTableInserts() {
    TTableFixture table(0);
    TTableCursor cursor(QStringLiteral("TableData"));
    OpenOn(cursor, table.Path);
    cursor.Edit();
    QCOMPARE(cursor.State(), TCursorState::Insert);
    QCOMPARE(cursor.RecNo(), -1);
    QVERIFY(cursor.Bof() && cursor.Eof()); // nothing to move to: the navigator's moves stay off
    cursor.SetFieldText(QStringLiteral("Label"), QStringLiteral("CD1"));
    cursor.Post();
    QCOMPARE(cursor.RecNo(), 1);
    QCOMPARE(cursor.RecordCount(), 1);
}

void TableCursorTest::movesPostModifiedRowAndCancelUntouchedOne() {
    TTableFixture table(3);
    TTableCursor cursor(QStringLiteral("TableData"));
    OpenOn(cursor, table.Path);
    cursor.Edit();
    cursor.SetFieldText(QStringLiteral("Coments"), QStringLiteral("posted by the move"));
    cursor.Next();
    QCOMPARE(cursor.State(), TCursorState::Browse);
    cursor.Prior();
    QCOMPARE(cursor.FieldText(QStringLiteral("Coments")), QStringLiteral("posted by the move"));

    cursor.Last();
    cursor.Append();
    cursor.Prior(); // an untouched new row disappears
    QCOMPARE(cursor.RecordCount(), 3);
    QCOMPARE(cursor.State(), TCursorState::Browse);
}

void TableCursorTest::deleteKeepsPositionAndEmptiesCleanly() {
    TTableFixture table(3);
    TTableCursor cursor(QStringLiteral("TableData"));
    OpenOn(cursor, table.Path);
    cursor.Next();
    cursor.Delete(); // the following row takes the place
    QCOMPARE(cursor.RecNo(), 2);
    QCOMPARE(cursor.FieldText(0), QStringLiteral("L3"));
    cursor.Delete(); // the last one went: the new last row
    QCOMPARE(cursor.RecNo(), 1);
    QCOMPARE(cursor.FieldText(0), QStringLiteral("L1"));
    cursor.Delete();
    QCOMPARE(cursor.RecNo(), 0);
    QVERIFY(cursor.Bof() && cursor.Eof());
    QCOMPARE(ErrorOf([&] { cursor.Delete(); }),
             QStringLiteral("TableData: Cannot perform this operation on an empty dataset"));
    cursor.Append();
    cursor.SetFieldText(0, QStringLiteral("again"));
    cursor.Post();
    QCOMPARE(cursor.RecNo(), 1);
}

void TableCursorTest::textIsCutToDeclaredSizeAndUnicodeRoundTrips() {
    TTableFixture table(0);
    TTableCursor cursor(QStringLiteral("TableData"));
    OpenOn(cursor, table.Path);
    QCOMPARE(cursor.FieldSize(0), 32);
    QCOMPARE(cursor.FieldSize(1), 4096);
    QCOMPARE(cursor.FieldSize(2), 255);
    QCOMPARE(cursor.FieldSize(3), 1024);
    QVERIFY(cursor.IsValidChar(3, QChar(u'é')));
    QVERIFY(!cursor.IsValidChar(3, QChar(u'\n')));

    // 33 characters, each outside the basic plane (two UTF-16 units): cut to 32 whole ones.
    QString label;
    for (int character = 0; character < 33; ++character)
        label += QString::fromUcs4(U"\U0001F4BF");
    const QString unicode = QStringLiteral("Ünïcödé ✓ 日本語 \U0001F600 ");
    cursor.Append();
    cursor.SetFieldText(0, label);
    cursor.SetFieldText(3, unicode);
    QCOMPARE(cursor.FieldText(0).size(), 64);
    cursor.Post();
    cursor.AppendRecord(
        {QString(300, QLatin1Char('f')), QString(), QString(300, QLatin1Char('g'))});

    TTableCursor reader(QStringLiteral("Reader"));
    OpenOn(reader, table.Path);
    QCOMPARE(reader.FieldText(0), label.left(64));
    QCOMPARE(reader.FieldText(3), unicode);
    reader.Next();
    QCOMPARE(reader.FieldText(0).size(), 32);
    QCOMPARE(reader.FieldText(2).size(), 255);
}

void TableCursorTest::cursorsOnOneFileShareRowsButNotPositions() {
    TTableFixture table(5);
    TTableCursor main(QStringLiteral("TableData"));
    TTableCursor find(QStringLiteral("TableToFind"));
    OpenOn(main, table.Path);
    OpenOn(find, table.Path);
    main.MoveBy(3);
    find.Last();
    QCOMPARE(main.RecNo(), 4);
    QCOMPARE(find.RecNo(), 5);

    find.AppendRecord({QStringLiteral("NEW"), QString(), QString(), QString()});
    QCOMPARE(main.RecordCount(), 6); // seen at once
    QCOMPARE(main.RecNo(), 4);

    // A row deleted before another cursor's row moves that cursor's record number, not its row.
    find.First();
    find.Delete();
    QCOMPARE(main.RecNo(), 3);
    QCOMPARE(main.FieldText(0), QStringLiteral("L4"));
    // The row under another cursor is deleted: it stands on the row that followed.
    find.SetRecNo(3);
    find.Delete();
    QCOMPARE(main.FieldText(0), QStringLiteral("L5"));
}

void TableCursorTest::deletionsInTheMiddleKeepRecordNumbersRight() {
    TTableFixture table(600);
    TTableCursor cursor(QStringLiteral("TableData"));
    OpenOn(cursor, table.Path);
    DeleteRecords(cursor, {300, 100, 2});
    cursor.Close();
    cursor.Open(); // read anew from a file whose rowids now have gaps
    QCOMPARE(cursor.RecordCount(), 597);
    cursor.SetRecNo(2);
    QCOMPARE(cursor.FieldText(0), QStringLiteral("L3"));
    cursor.SetRecNo(300);
    QCOMPARE(cursor.FieldText(0), QStringLiteral("L303"));
    cursor.Last();
    QCOMPARE(cursor.FieldText(0), QStringLiteral("L600"));
    QCOMPARE(cursor.RecNo(), 597);
    // A row named by its rowid, as a search answers; a deleted one is not taken for the next.
    QVERIFY(cursor.GoToRowId(303));
    QCOMPARE(cursor.RecNo(), 300);
    QVERIFY(!cursor.GoToRowId(100));
    QCOMPARE(cursor.FieldText(0), QStringLiteral("L303"));
}

void TableCursorTest::reopenedTableWithGapsNumbersEveryChangeRight() {
    // Rows 2, 300 and 599 are gone; each cursor below opens the file anew, knowing only its
    // end rows until a row between them is asked for.
    TTableFixture table(600);
    {
        TTableCursor cutter(QStringLiteral("Cutter"));
        OpenOn(cutter, table.Path);
        DeleteRecords(cutter, {599, 300, 2});
    }
    const auto labelOf = [](qint64 recordNumber) {
        const qint64 row =
            recordNumber + (recordNumber >= 2) + (recordNumber >= 299) + (recordNumber >= 597);
        return QStringLiteral("L%1").arg(row);
    };

    TTableCursor walker(QStringLiteral("Walker"));
    OpenOn(walker, table.Path);
    QCOMPARE(walker.RecordCount(), 597);
    for (qint64 recordNumber = 1; !walker.Eof(); walker.Next(), ++recordNumber) {
        QCOMPARE(walker.RecNo(), recordNumber);
        QCOMPARE(walker.FieldText(0), labelOf(recordNumber));
    }
    walker.Close();

    TTableCursor appender(QStringLiteral("Appender"));
    OpenOn(appender, table.Path);
    QCOMPARE(appender.FieldText(0), labelOf(1));
    appender.Next(); // its row is known from the rows read with the first one
    appender.Edit();
    appender.SetFieldText(3, QStringLiteral("second row"));
    appender.Post();
    TTableCursor reader(QStringLiteral("Reader"));
    OpenOn(reader, table.Path);
    reader.SetRecNo(2);
    QCOMPARE(reader.FieldText(3), QStringLiteral("second row"));
    QCOMPARE(reader.FieldText(0), labelOf(2));
    reader.Close();
    appender.AppendRecord({QStringLiteral("NEW")});
    QCOMPARE(appender.RecNo(), 598);
    appender.Last();
    QCOMPARE(appender.FieldText(0), QStringLiteral("NEW"));
    appender.MoveBy(-300);
    QCOMPARE(appender.FieldText(0), labelOf(298));
    appender.Close();

    TTableCursor deleter(QStringLiteral("Deleter"));
    TTableCursor watcher(QStringLiteral("Watcher"));
    OpenOn(deleter, table.Path);
    OpenOn(watcher, table.Path);
    watcher.Last();
    deleter.Delete(); // the first row goes: the watcher's row keeps its text, its number drops
    QCOMPARE(watcher.RecNo(), 597);
    QCOMPARE(watcher.FieldText(0), QStringLiteral("NEW"));
    QCOMPARE(deleter.FieldText(0), labelOf(2));
}

void TableCursorTest::emptyingRefusedWhileAnyCursorIsOpen() {
    TTableFixture table(3);
    TTableCursor staging(QStringLiteral("TableSelectedData"));
    TTableCursor work(QStringLiteral("TableToExportSelect"));
    staging.SetTableName(table.Path);
    OpenOn(work, table.Path);
    const QString refused = ErrorOf([&] { staging.EmptyTable(); });
    QVERIFY2(refused.contains(QStringLiteral("cannot be emptied")), qPrintable(refused));
    QVERIFY(refused.contains(table.Path));
    QCOMPARE(work.RecordCount(), 3);

    work.Close();
    staging.EmptyTable();
    staging.Open();
    QCOMPARE(staging.RecordCount(), 0);
}

void TableCursorTest::bulkTransactionKeepsAllOrNone() {
    TTableFixture table(2);
    TTableCursor cursor(QStringLiteral("TableToExportData"));
    OpenOn(cursor, table.Path);
    {
        TBulkTransaction abandoned(cursor);
        for (int row = 0; row < 50; ++row)
            cursor.AppendRecord({QStringLiteral("X")});
        QCOMPARE(cursor.RecordCount(), 52);
    }
    QCOMPARE(cursor.RecordCount(), 2);
    {
        TBulkTransaction kept(cursor);
        for (int row = 0; row < 50; ++row)
            cursor.AppendRecord({QStringLiteral("Y")});
        kept.Commit();
    }
    TTableCursor reader(QStringLiteral("Reader"));
    OpenOn(reader, table.Path);
    QCOMPARE(reader.RecordCount(), 52);
}

// The rows of another table file come after the last row, in their order (gaps in rowids
// and all), cut to the field sizes as a cursor would cut them.
void TableCursorTest::appendingAnotherTableKeepsItsOrderAndCutsToSize() {
    TTableFixture catalog(2);
    TTableFixture staging(4);
    sqlite3* other = nullptr;
    sqlite3_open(staging.Path.toUtf8().constData(), &other);
    sqlite3_exec(other,
                 "DELETE FROM records WHERE rowid = 2;"
                 "UPDATE records SET Label = 'a label far longer than its thirty-two characters', "
                 "Coments = NULL WHERE rowid = 3;",
                 nullptr, nullptr, nullptr);
    sqlite3_close(other);

    TTableCursor cursor(QStringLiteral("TableToExportData"));
    OpenOn(cursor, catalog.Path);
    QCOMPARE(cursor.AppendRowsOf(staging.Path), 3);
    QCOMPARE(cursor.RecordCount(), 5);
    QCOMPARE(cursor.RecNo(), 5);
    QVERIFY(cursor.Eof());
    QStringList files;
    for (cursor.SetRecNo(3); !cursor.Eof(); cursor.Next())
        files << cursor.FieldText(2);
    QCOMPARE(files, QStringList({"file1.txt", "file3.txt", "file4.txt"}));
    cursor.SetRecNo(4);
    QCOMPARE(cursor.FieldText(0), QStringLiteral("a label far longer than its thir"));
    QCOMPARE(cursor.FieldText(3), QString());
}

// Whatever rowids the catalog held and the engine gave the new rows, every cursor numbers
// the rows as the file holds them afterwards.
void TableCursorTest::appendedRowsAreNumberedAsTheFileHoldsThem_data() {
    QTest::addColumn<QString>("sql");
    QTest::addColumn<qint64>("visitedFirst");
    QTest::newRow("unbroken rowids") << QString() << qint64(0);
    QTest::newRow("empty catalog") << QStringLiteral("DELETE FROM records") << qint64(0);
    QTest::newRow("a gap") << QStringLiteral("DELETE FROM records WHERE rowid = 3") << qint64(0);
    QTest::newRow("a gap, rows listed")
        << QStringLiteral("DELETE FROM records WHERE rowid = 3") << qint64(3);
    QTest::newRow("the last rowid taken, so new ones are random")
        << QStringLiteral("UPDATE records SET rowid = 9223372036854775807 WHERE rowid = 2")
        << qint64(0);
    QTest::newRow("rowids of deleted rows never given again")
        << QStringLiteral("DROP TABLE records; CREATE TABLE records (Id INTEGER PRIMARY KEY "
                          "AUTOINCREMENT, Label, Directory, File, Coments); INSERT INTO "
                          "records (File, Coments) VALUES ('a', ''), ('b', ''), ('c', ''); "
                          "DELETE FROM records WHERE Id = 3")
        << qint64(0);
    QTest::newRow("a trigger that adds a row for each")
        << QStringLiteral("CREATE TRIGGER twice AFTER INSERT ON records WHEN NEW.Coments = '' "
                          "BEGIN INSERT INTO records VALUES ('T', 'D:\\', NEW.File, 'copy'); "
                          "END")
        << qint64(0);
}

void TableCursorTest::appendedRowsAreNumberedAsTheFileHoldsThem() {
    QFETCH(QString, sql);
    QFETCH(qint64, visitedFirst);
    TTableFixture catalog(5);
    TTableFixture staging(40);
    if (!sql.isEmpty())
        ExecuteOn(catalog.Path, sql);
    TTableCursor cursor(QStringLiteral("TableToExportData"));
    TTableCursor other(QStringLiteral("TableData"));
    OpenOn(cursor, catalog.Path);
    OpenOn(other, catalog.Path);
    if (visitedFirst)
        other.SetRecNo(visitedFirst);
    else
        other.Last();
    cursor.AppendRowsOf(staging.Path);
    const QStringList expected = RowsInFile(catalog.Path);
    if (!visitedFirst) // the end flag stays only while its row is still the last
        QCOMPARE(other.Eof(), other.RecNo() == expected.size());
    QCOMPARE(cursor.RecordCount(), expected.size());
    QCOMPARE(RowsWalked(cursor), expected);
    QCOMPARE(RowsWalked(other), expected);
    for (qint64 recordNumber = expected.size(); recordNumber >= 1; --recordNumber) {
        cursor.SetRecNo(recordNumber);
        QCOMPARE(cursor.FieldText(2) + '|' + cursor.FieldText(3), expected[recordNumber - 1]);
    }
}

void TableCursorTest::listenersAreToldOfEveryChange() {
    using E = TCursorEvent;
    TTableFixture table(2);
    TTableCursor cursor(QStringLiteral("TableData"));
    TEventRecorder recorder;
    cursor.AddListener(&recorder);
    const auto take = [&recorder] {
        return std::exchange(recorder.Events, {});
    };
    using TEvents = std::vector<std::pair<E, int>>;

    OpenOn(cursor, table.Path);
    QCOMPARE(take(), (TEvents{{E::Opened, -1}}));
    cursor.Next();
    QCOMPARE(take(), (TEvents{{E::CollectPending, -1}, {E::RecordMoved, -1}}));
    cursor.Next(); // stops at the end and sets the flag: still told
    QCOMPARE(take(), (TEvents{{E::CollectPending, -1}, {E::RecordMoved, -1}}));
    cursor.Next(); // the end flag was already set: no move
    QCOMPARE(take(), (TEvents{{E::CollectPending, -1}}));
    cursor.Edit();
    QCOMPARE(take(), (TEvents{{E::StateChanged, -1}, {E::RecordsChanged, -1}}));
    cursor.SetFieldText(3, QStringLiteral("c"));
    QCOMPARE(take(), (TEvents{{E::FieldChanged, 3}}));
    cursor.Post();
    QCOMPARE(take(),
             (TEvents{{E::CollectPending, -1}, {E::StateChanged, -1}, {E::RecordsChanged, -1}}));
    cursor.Close();
    QCOMPARE(take(), (TEvents{{E::Closed, -1}}));
    cursor.RemoveListener(&recorder);
}

// Values that another tool stored and this program never writes: the row is found by
// exactly what was read, so it can be edited and deleted, and a post leaves every field the
// user did not change as it was stored.
void TableCursorTest::valuesOfOtherToolsAreMatchedAndKeptAsStored_data() {
    QTest::addColumn<QString>("value");
    QTest::newRow("bytes that are not UTF-8") << QStringLiteral("CAST(x'4cff' AS TEXT)");
    QTest::newRow("a byte order mark") << QStringLiteral("CAST(x'efbbbf4c' AS TEXT)");
    QTest::newRow("an integer") << QStringLiteral("1");
    QTest::newRow("a real") << QStringLiteral("1.5");
    QTest::newRow("NULL") << QStringLiteral("NULL");
    QTest::newRow("a blob") << QStringLiteral("x'4c00ff'");
}

void TableCursorTest::valuesOfOtherToolsAreMatchedAndKeptAsStored() {
    QFETCH(QString, value);
    TTableFixture table;
    // Fields without a declared type keep whatever type is stored in them.
    table.ExecuteElsewhere(QStringLiteral("DROP TABLE records; CREATE TABLE records (Label, "
                                          "Directory, File, Coments); INSERT INTO records "
                                          "VALUES (%1, 'D:\\', 'f', 'old')")
                               .arg(value));
    const char* stored = "typeof(Label) || hex(Label) || '|' || Coments";
    const QString label = RowsInFile(table.Path, stored).value(0).section(u'|', 0, 0);
    TTableCursor cursor(QStringLiteral("TableData"));
    OpenOn(cursor, table.Path);
    QCOMPARE(ErrorOf([&] {
                 cursor.Edit();
                 cursor.Post();
             }),
             QString());
    QCOMPARE(RowsInFile(table.Path, stored), QStringList(label + QStringLiteral("|old")));
    QCOMPARE(ErrorOf([&] {
                 cursor.Edit();
                 cursor.SetFieldText(3, QStringLiteral("new"));
                 cursor.Post();
             }),
             QString());
    QCOMPARE(RowsInFile(table.Path, stored), QStringList(label + QStringLiteral("|new")));
    QCOMPARE(ErrorOf([&] { cursor.Delete(); }), QString());
    QCOMPARE(RowsInFile(table.Path, stored), QStringList());
}

QTEST_GUILESS_MAIN(TableCursorTest)
#include "TableCursorTest.moc"
