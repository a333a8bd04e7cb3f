#pragma once
// The pieces the windows build alike: navy labels, raised panels, the three-panel status bar
// with its record counter, the four catalog columns of a grid, and a tool window that stays
// usable beside a greyed main window.

#include "widgets/records/RecordGrid.h"

#include <QString>
#include <vector>

class QEvent;
class QFrame;
class QLabel;
class QPoint;
class QStatusBar;
class QWidget;
class TTableCursor;

QLabel* NavyLabel(QWidget* parent, const char* name, const QString& text, QPoint place);
QFrame* RaisedPanel(const char* name, int height);

// Panels of widths 400, 150 and 50 named StatusPanel1 to 3; the second is the counter.
QStatusBar* CounterStatusBar(QLabel*& counter);
// "Data " + record number + " of " + record count, as plain decimal integers.
QString RecordCounterText(const TTableCursor& cursor);

// Label, Directory, File and Coments with their titles and widths.
std::vector<TGridColumn> CatalogGridColumns();

// For a window's changeEvent, when its parent is the main window: greying the main window
// (while the insert-data window shows) greys its child windows too, and this one stays usable.
void StayEnabledBesideParent(QWidget& window, const QEvent& event);
