#pragma once
// The pieces the windows build alike: navy labels, raised panels, buttons, the three-panel
// status bar with its record counter, the four catalog columns of a grid, counts as the user
// reads them, the work that writes to the catalogue beside the main window's cursor, and a
// tool window that stays usable beside a greyed main window.

#include "widgets/records/RecordGrid.h"

#include <QString>
#include <functional>
#include <vector>

class QEvent;
class QFrame;
class QLabel;
class QPoint;
class QPushButton;
class QRect;
class QStatusBar;
class QWidget;
class TDataSource;
class TTableCursor;

QLabel* NavyLabel(QWidget* parent, const char* name, const QString& text, QPoint place);
QFrame* RaisedPanel(const char* name, int height);
QPushButton* PushButton(QWidget* parent, const char* name, const QString& text, QRect place);

// Panels of widths 400, 150 and 50 named StatusPanel1 to 3; the second is the counter.
QStatusBar* CounterStatusBar(QLabel*& counter);
// "Data " + record number + " of " + record count, as plain decimal integers.
QString RecordCounterText(const TTableCursor& cursor);

// Label, Directory, File and Coments with their titles and widths.
std::vector<TGridColumn> CatalogGridColumns();

// "%.0n": a whole number with the user's thousands separators.
QString Formatted(qint64 number);
// "1 row", "1,234 rows".
QString Counted(qint64 count, const QString& one, const QString& many);
// The line that ends a scan's report with what it could not catalogue; empty when nothing.
QString LeftOutLine(qint64 count, const QString& first);

// Shows a window of its own beside the main window, or brings it forward: the first showing
// (`placed` still false) centres it on the main window, whose frame is known once shown.
void ShowBeside(QWidget& window, QWidget* mainWindow, bool& placed);

// Runs `scan` under the hour-glass, with `button` captioned "Stop" (its click stops the scan)
// and the window's other commands turned off through `enableCommands`; the caption and the
// commands come back however the scan ends.
void RunScanFromButton(QPushButton& button, const std::function<void(bool)>& enableCommands,
                       const std::function<void()>& scan);

// Runs `work`, which writes to the catalogue through a connection of its own: the main
// window's pending edit is posted first, so nothing typed is lost or left behind, and its
// cursor shows the rows as they are afterwards, also when the work fails.
void WriteBesideMainWindow(TDataSource& mainSource, const std::function<void()>& work);
// For a window's changeEvent, when its parent is the main window: greying the main window
// (while the insert-data window shows) greys its child windows too, and this one stays usable.
void StayEnabledBesideParent(QWidget& window, const QEvent& event);
