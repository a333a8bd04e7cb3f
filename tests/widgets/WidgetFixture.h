#pragma once
// What every data-aware widget test holds: a catalog file with a data source on its cursor,
// the scripted message service, and the field each data-change event named.

#include "CatalogFixture.h"
#include "ScriptedMessages.h"

#include <QTest>
#include <memory>

class TWidgetFixture {
protected:
    std::unique_ptr<TSourcedCatalog> Catalog;
    TTableCursor* Cursor = nullptr;
    TDataSource* Source = nullptr;
    TScriptedMessages Messages;
    QList<int> Events; // -1 for an event that names no field

    // For init(): no box, answer or event left over from the test before.
    void ResetFixture() {
        Messages.Shown.clear();
        Messages.Answers.clear();
        Events.clear();
    }

    // A catalog of `rows` numbered rows with its cursor closed.
    void MakeCatalog(int rows) {
        Catalog = std::make_unique<TSourcedCatalog>(rows);
        Cursor = &Catalog->Cursor;
        Source = &Catalog->Source;
    }

    void RecordEvents() {
        QObject::connect(Source, &TDataSource::DataChange,
                         [this](int field) { Events.append(field); });
    }

    // For cleanup(), after the widgets are gone: an unasked answer is a fault of the test.
    void EndFixture() {
        Catalog.reset();
        QVERIFY2(Messages.Answers.isEmpty(), "a scripted answer was not asked for");
    }
};
