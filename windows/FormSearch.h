#pragma once
// The search window: every row of every disc that holds a text, listed in record order as the
// user types; Enter or a double click on one makes it the main window's current row. A window
// of its own beside the main window, never modal, and usable while the insert-data window
// shows: it reads the catalogue through a connection of its own.

#include <QWidget>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class TMessageService;
class TSearchModel;

class TFormSearch : public QWidget {
    Q_OBJECT
public:
    // `catalogPath` is the catalogue searched; `mainWindow` the window this one stands beside.
    TFormSearch(TMessageService& messages, QString catalogPath, QWidget* mainWindow);
    ~TFormSearch() override;
    Q_DISABLE_COPY_MOVE(TFormSearch)

    TSearchModel& Results() const { return *Model; }

    // Shows the window, or brings it forward; the first showing places it beside the main
    // window. Showing again searches again for the text and field it kept.
    void Show();
    void FormClose();
    // The handler of the text box's and the field choice's changes: searches anew.
    void EditTextChange();
    // Enter or a double click on result `row`: the main window goes to its row.
    void GoToResult(int row);

    // The count line: "No rows", "1 row", "1,234 rows" with the user's locale's separators.
    static QString CountText(qint64 rows);

signals:
    // A result was chosen: the main window makes the row its current row, or says why not.
    void GoToRowRequested(qint64 rowId);
    // "Export...": the rows whose `field` (or any field) holds `text`, to a CSV file.
    void ExportRequested(const QString& text, int field);

protected:
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLayout* CreateChoices();
    void CreateGrid();
    void ShowCount();
    void PlaceBesideMainWindow();
    // Enter, Down and Page Down in the text box; returns whether the key was used.
    bool EditTextKeyPress(int key);

    TMessageService& Messages;
    QWidget* MainWindow;
    TSearchModel* Model;
    QLineEdit* EditText = nullptr;
    QComboBox* ComboBoxField = nullptr;
    QTableView* GridResults = nullptr;
    QLabel* LabelCount = nullptr;
    QPushButton* ButtonExport = nullptr;
    bool Placed = false;
};
