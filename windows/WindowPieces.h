#pragma once
// The pieces the main and insert-data windows build alike: navy labels, raised panels, the
// three-panel status bar with its record counter, and the four catalog columns of a grid.

#include "widgets/records/RecordGrid.h"

#include <QString>
#include <vector>

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
