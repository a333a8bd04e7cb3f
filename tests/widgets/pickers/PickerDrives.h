#pragma once
// What the picker tests share: files made on the fake drives, the entries a picker shows, and
// a file system whose searches hand out their entries in a chosen order.

#include "platform/FileSystemError.h"
#include "support/FakeFileSystem.h"
#include "widgets/pickers/PickerLineModel.h"

#include <QAbstractItemView>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTest>
#include <algorithm>
#include <sys/stat.h>

inline void MakeFile(const QString& path) {
    QFile file(path);
    QVERIFY2(file.open(QIODevice::WriteOnly), qPrintable(path));
    file.write("x");
}

inline void MakeFiles(const QString& folder, const QStringList& names) {
    QVERIFY(QDir().mkpath(folder));
    for (const QString& name : names)
        MakeFile(folder + u'/' + name);
}

// A fifo: the system attribute on Linux.
inline void MakeFifo(const QString& path) {
    QVERIFY2(mkfifo(QFile::encodeName(path).constData(), 0644) == 0, qPrintable(path));
}

template <typename Role> QList<Role> Column(const QAbstractItemModel& model, int role) {
    QList<Role> values;
    for (int row = 0; row < model.rowCount(); ++row)
        values.append(model.index(row, 0).data(role).template value<Role>());
    return values;
}

inline QStringList TextsOf(const QAbstractItemModel& model) {
    return Column<QString>(model, Qt::DisplayRole);
}

inline QList<int> IndentsOf(const QAbstractItemModel& model) {
    return Column<int>(model, TPickerLineModel::IndentRole);
}

inline QList<TPickerGlyph> GlyphsOf(const QAbstractItemModel& model) {
    QList<TPickerGlyph> glyphs;
    for (const int glyph : Column<int>(model, TPickerLineModel::GlyphRole))
        glyphs.append(static_cast<TPickerGlyph>(glyph));
    return glyphs;
}

// The centre of a row of a list, for clicks.
inline QPoint RowCentre(QAbstractItemView& view, int row) {
    return view.visualRect(view.model()->index(row, 0)).center();
}

// Folder searches whose entries arrive sorted up or down by name, noting the pointer shape
// the screen has at each search.
class TArrivalOrderFileSystem : public TFakeFileSystem {
public:
    bool Descending = false;
    QList<Qt::CursorShape> PointerAtSearch; // Qt::ArrowCursor stands for no override

    TFindResult Find(const QString& pattern, quint32 attributeMask) override {
        const QCursor* pointer = QGuiApplication::overrideCursor();
        PointerAtSearch.append(pointer ? pointer->shape() : Qt::ArrowCursor);
        TFindResult found = TFakeFileSystem::Find(pattern, attributeMask);
        std::sort(found.Entries.begin(), found.Entries.end(),
                  [this](const TFoundEntry& a, const TFoundEntry& b) {
                      return Descending ? b.Name < a.Name : a.Name < b.Name;
                  });
        return found;
    }
};
