#include "windows/WindowPieces.h"

#include "catalog/CatalogFields.h"
#include "catalog/TableCursor.h"
#include "widgets/WaitCursor.h"
#include "widgets/records/DataSource.h"

#include <QEvent>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QScopeGuard>
#include <QStatusBar>

namespace {
const QColor Navy(0x00, 0x00, 0x80);
constexpr int StatusBarHeight = 19;
constexpr int StatusPanelWidths[] = {400, 150, 50};
} // namespace

QLabel* NavyLabel(QWidget* parent, const char* name, const QString& text, QPoint place) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Navy);
    label->setPalette(palette);
    label->move(place);
    label->adjustSize();
    return label;
}

QFrame* RaisedPanel(const char* name, int height) {
    auto* panel = new QFrame;
    panel->setObjectName(QLatin1String(name));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panel->setFixedHeight(height);
    return panel;
}

QPushButton* PushButton(QWidget* parent, const char* name, const QString& text, QRect place) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(place);
    return button;
}

QStatusBar* CounterStatusBar(QLabel*& counter) {
    auto* bar = new QStatusBar;
    bar->setObjectName(QStringLiteral("StatusBar"));
    bar->setFixedHeight(StatusBarHeight);
    int number = 0;
    for (const int width : StatusPanelWidths) {
        auto* panel = new QLabel;
        panel->setObjectName(QStringLiteral("StatusPanel%1").arg(++number));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setFixedWidth(width);
        bar->addWidget(panel);
    }
    counter = bar->findChild<QLabel*>(QStringLiteral("StatusPanel2"));
    return bar;
}

QString RecordCounterText(const TTableCursor& cursor) {
    return QStringLiteral("Data %1 of %2").arg(cursor.RecNo()).arg(cursor.RecordCount());
}

std::vector<TGridColumn> CatalogGridColumns() {
    std::vector<TGridColumn> columns;
    columns.reserve(CatalogFields.size());
    for (const TCatalogField& field : CatalogFields)
        columns.push_back(
            {QString::fromLatin1(field.Name), QString::fromLatin1(field.Title), field.GridWidth});
    return columns;
}

QString Formatted(qint64 number) {
    return QLocale().toString(number);
}

QString Counted(qint64 count, const QString& one, const QString& many) {
    return Formatted(count) + u' ' + (count == 1 ? one : many);
}

QString LeftOutLine(qint64 count, const QString& first) {
    if (count <= 0)
        return {};
    return QStringLiteral("\n%1 folders or files could not be catalogued; the first: %2")
        .arg(Formatted(count), first);
}

void WriteBesideMainWindow(TDataSource& mainSource, const std::function<void()>& work) {
    mainSource.PostPendingEdit();
    TTableCursor* cursor = mainSource.DataSet();
    const auto refresh = qScopeGuard([cursor] {
        if (cursor && cursor->Active())
            cursor->Refresh();
    });
    work();
}

void RunScanFromButton(QPushButton& button, const std::function<void(bool)>& enableCommands,
                       const std::function<void()>& scan) {
    const QString caption = button.text();
    button.setText(QStringLiteral("Stop"));
    enableCommands(false);
    const TWaitCursor wait;
    const auto restore = qScopeGuard([&] {
        button.setText(caption);
        enableCommands(true);
    });
    scan();
}

void ShowBeside(QWidget& window, QWidget* mainWindow, bool& placed) {
    window.show();
    if (!placed && mainWindow) {
        window.move(mainWindow->frameGeometry().center() -
                    QRect(QPoint(), window.frameGeometry().size()).center());
        placed = true;
    }
    window.raise();
    window.activateWindow();
}

void StayEnabledBesideParent(QWidget& window, const QEvent& event) {
    if (event.type() == QEvent::EnabledChange && !window.isEnabled() &&
        !window.testAttribute(Qt::WA_ForceDisabled))
        window.setEnabled(true);
}
