#pragma once
// The find window: finds the next catalog row whose label, folder, file name or comment holds
// a piece of text and makes it the main window's current row. A tool window beside the main
// window, never modal.

#include "catalog/TableCursor.h"
#include "widgets/records/DataSource.h"

#include <QWidget>
#include <array>

class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TMessageService;

class TFormFind : public QWidget {
    Q_OBJECT
public:
    // `mainSource` serves the main window's TableData, the cursor whose row a search moves;
    // `mainWindow` is the window this one stays above and is first centred on.
    TFormFind(TMessageService& messages, TDataSource& mainSource, QWidget* mainWindow);
    ~TFormFind() override;
    Q_DISABLE_COPY_MOVE(TFormFind)

    TTableCursor TableToFind{QStringLiteral("TableToFind")};
    TDataSource DataSourceToFind;

    // Shows the window without making it modal; the first showing centres it on the main
    // window, later ones keep where the user left it.
    void Show();

    void FormClose();
    void EditLabelChange();
    // Enter in any of the four boxes clicks the button; returns whether the key was used.
    bool EditLabelKeyPress(int key);
    void ButtonFindClick();

    // Whether `text` occurs within `value`, with only the letters a to z folded to A to Z.
    static bool TextContains(const QString& text, const QString& value);

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateBoxes();
    void CreateOptions();
    // The field of the first box that is filled in, or -1 when all are empty.
    int ChosenField() const;
    // Moves TableToFind to the first hit from the starting row on; false when there is none.
    bool SearchFrom(qint64 start);
    bool ShowFoundRow(TTableCursor& tableData);

    TMessageService& Messages;
    TDataSource& MainSource;
    QWidget* MainWindow;
    std::array<QLineEdit*, CatalogFieldCount> Boxes{};
    QPushButton* ButtonFind = nullptr;
    QGroupBox* RadioGroupOptions = nullptr;
    QRadioButton* EntireScope = nullptr;
    bool Placed = false;
};
