#pragma once
// A window's child checked against the window's stored layout: its place and size where the
// layout fixes them, its text, and navy for a label. Failures are QTest's; a caller that goes
// on afterwards asks QTest::currentTestFailed().

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

// A width or height of 0 is not fixed by the layout; `checkPlace` false leaves the top-left
// to a layout.
inline void CheckStoredLayout(const QWidget* widget, QRect place, const QString& text,
                              bool checkPlace = true) {
    if (checkPlace)
        QCOMPARE(widget->pos(), place.topLeft());
    if (place.width())
        QCOMPARE(widget->width(), place.width());
    if (place.height())
        QCOMPARE(widget->height(), place.height());
    if (const auto* label = qobject_cast<const QLabel*>(widget)) {
        QCOMPARE(label->text(), text);
        QCOMPARE(label->palette().color(QPalette::WindowText), QColor(0, 0, 0x80));
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        QCOMPARE(button->text(), text);
    if (const auto* box = qobject_cast<const QLineEdit*>(widget))
        QCOMPARE(box->text(), text);
}
