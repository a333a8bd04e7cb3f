// The data-change event: exactly when it fires, with which field, and that bound widgets are
// already up to date when it does.

#include "widgets/records/DataSource.h"
#include "CatalogFixture.h"
#include "ScriptedMessages.h"
#include "catalog/DataError.h"
#include "widgets/records/BoundEdit.h"

#include <QTest>
#include <functional>

using TStep = std::function<void(TTableCursor&)>;
Q_DECLARE_METATYPE(TStep)

namespace {
constexpr int NoField = -1;
constexpr int Coments = 3;
constexpr int Rows = 5;
} // namespace

class DataSourceTest : public QObject {
    Q_OBJECT

private slots:
    void dataChangeFiresPerTableRow_data();
    void dataChangeFiresPerTableRow();
    void widgetsAreUpToDateWhenTheEventFires();
    void typingIntoBoundBoxStartsEditWithOneEvent();
    void editReturnsFalseWithoutAutoEdit();
};

void DataSourceTest::dataChangeFiresPerTableRow_data() {
    QTest::addColumn<TStep>("before");
    QTest::addColumn<TStep>("step");
    QTest::addColumn<QList<int>>("fields"); // one entry per event: the field it named

    const TStep nothing = [](TTableCursor&) {
    };
    const TStep toMiddle = [](TTableCursor& c) {
        c.SetRecNo(3);
    };
    const TStep toLast = [](TTableCursor& c) {
        c.Last();
    };
    const TStep editing = [](TTableCursor& c) {
        c.Edit();
    };
    const TStep modified = [](TTableCursor& c) {
        c.Edit();
        c.SetFieldText(Coments, QStringLiteral("changed"));
    };
    const QList<int> once = {NoField};
    const QList<int> never;

    QTest::newRow("closed") << nothing << TStep([](TTableCursor& c) { c.Close(); }) << never;
    QTest::newRow("opened") << TStep([](TTableCursor& c) { c.Close(); })
                            << TStep([](TTableCursor& c) { c.Open(); }) << once;
    QTest::newRow("First") << toMiddle << TStep([](TTableCursor& c) { c.First(); }) << once;
    QTest::newRow("Last") << nothing << TStep([](TTableCursor& c) { c.Last(); }) << once;
    QTest::newRow("Next with EOF set")
        << toLast << TStep([](TTableCursor& c) { c.Next(); }) << never;
    QTest::newRow("Prior with BOF set")
        << nothing << TStep([](TTableCursor& c) { c.Prior(); }) << never;
    QTest::newRow("move by 0") << toMiddle << TStep([](TTableCursor& c) { c.MoveBy(0); }) << never;
    QTest::newRow("Next") << nothing << TStep([](TTableCursor& c) { c.Next(); }) << once;
    QTest::newRow("Prior") << toMiddle << TStep([](TTableCursor& c) { c.Prior(); }) << once;
    QTest::newRow("move stops at the end, sets EOF")
        << toMiddle << TStep([](TTableCursor& c) { c.MoveBy(100); }) << once;
    QTest::newRow("Next onto the end flag") << TStep([](TTableCursor& c) { c.SetRecNo(Rows); })
                                            << TStep([](TTableCursor& c) { c.Next(); }) << once;
    QTest::newRow("Insert") << toMiddle << TStep([](TTableCursor& c) { c.Insert(); }) << once;
    QTest::newRow("Append") << toMiddle << TStep([](TTableCursor& c) { c.Append(); }) << once;
    QTest::newRow("Edit") << toMiddle << TStep([](TTableCursor& c) { c.Edit(); }) << once;
    QTest::newRow("field assigned")
        << editing << TStep([](TTableCursor& c) { c.SetFieldText(Coments, QStringLiteral("x")); })
        << QList<int>{Coments};
    QTest::newRow("Post") << modified << TStep([](TTableCursor& c) { c.Post(); }) << once;
    QTest::newRow("Cancel") << modified << TStep([](TTableCursor& c) { c.Cancel(); }) << once;
    QTest::newRow("Delete") << toMiddle << TStep([](TTableCursor& c) { c.Delete(); }) << once;
    QTest::newRow("Refresh") << toMiddle << TStep([](TTableCursor& c) { c.Refresh(); }) << once;
    // The move's browse-mode check posts first: the post's event, then the move's.
    QTest::newRow("Next with a modified row")
        << modified << TStep([](TTableCursor& c) { c.Next(); }) << QList<int>{NoField, NoField};
    QTest::newRow("Next with an untouched new row")
        << TStep([](TTableCursor& c) { c.Insert(); }) << TStep([](TTableCursor& c) { c.Next(); })
        << QList<int>{NoField, NoField};
    QTest::newRow("refused post fires nothing") << TStep([](TTableCursor& c) {
        c.Edit();
        c.SetFieldText(Coments, RefusedComment);
    }) << TStep([](TTableCursor& c) {
        QVERIFY_THROWS_EXCEPTION(TDataError, c.Post());
        QCOMPARE(c.State(), TCursorState::Edit);
    }) << never;
}

void DataSourceTest::dataChangeFiresPerTableRow() {
    QFETCH(TStep, before);
    QFETCH(TStep, step);
    QFETCH(QList<int>, fields);
    TSourcedCatalog catalog(Rows, true);
    TTableCursor& cursor = catalog.Cursor;
    TDataSource& source = catalog.Source;
    cursor.Open();
    QList<int> recorded;
    QObject::connect(&source, &TDataSource::DataChange, [&](int field) { recorded.append(field); });

    before(cursor);
    recorded.clear();
    step(cursor);
    QCOMPARE(recorded, fields);
    QCOMPARE(source.State(), cursor.State());
}

void DataSourceTest::widgetsAreUpToDateWhenTheEventFires() {
    TSourcedCatalog catalog(Rows);
    TTableCursor& cursor = catalog.Cursor;
    TDataSource& source = catalog.Source;
    TScriptedMessages messages;
    TBoundEdit box(messages);
    box.SetDataField(QStringLiteral("File"));
    box.SetDataSource(&source);
    QStringList seen;
    QObject::connect(&source, &TDataSource::DataChange, [&](int) { seen.append(box.text()); });

    cursor.Open();
    cursor.Last();
    cursor.Edit();
    cursor.SetFieldText(2, QStringLiteral("renamed.txt"));
    QCOMPARE(seen, (QStringList{"file1.txt", "file5.txt", "file5.txt", "renamed.txt"}));
}

void DataSourceTest::typingIntoBoundBoxStartsEditWithOneEvent() {
    TSourcedCatalog catalog(Rows);
    TTableCursor& cursor = catalog.Cursor;
    TDataSource& source = catalog.Source;
    cursor.Open();
    TScriptedMessages messages;
    TBoundEdit box(messages);
    box.SetDataField(QStringLiteral("Coments"));
    box.SetDataSource(&source);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QList<int> recorded;
    QObject::connect(&source, &TDataSource::DataChange, [&](int field) { recorded.append(field); });

    QTest::keyClicks(&box, QStringLiteral("abc"));
    QCOMPARE(recorded, QList<int>{NoField});
    QCOMPARE(source.State(), TCursorState::Edit);
    QCOMPARE(box.text(), QStringLiteral("abc"));
}

void DataSourceTest::editReturnsFalseWithoutAutoEdit() {
    TSourcedCatalog catalog(Rows);
    TTableCursor& cursor = catalog.Cursor;
    TDataSource& source = catalog.Source;
    cursor.Open();
    source.AutoEdit = false;
    QVERIFY(!source.Edit());
    QCOMPARE(cursor.State(), TCursorState::Browse);
    source.AutoEdit = true;
    QVERIFY(source.Edit());
    QCOMPARE(cursor.State(), TCursorState::Edit);
}

QTEST_MAIN(DataSourceTest)
#include "DataSourceTest.moc"
