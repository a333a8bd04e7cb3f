#pragma once
// A bar of ten glyph buttons that move through and edit the records of a data source's cursor.

#include "widgets/records/DataSource.h"

#include <QWidget>
#include <array>

class TMessageService;
class TNavigatorButton;

enum TNavigateButton {
    nbFirst,
    nbPrior,
    nbNext,
    nbLast,
    nbInsert,
    nbDelete,
    nbEdit,
    nbPost,
    nbCancel,
    nbRefresh
};
inline constexpr int NavigateButtonCount = nbRefresh + 1;

class TRecordNavigator : public QWidget {
    Q_OBJECT
public:
    TRecordNavigator(TMessageService& messages, QWidget* parent = nullptr);
    ~TRecordNavigator() override;
    Q_DISABLE_COPY_MOVE(TRecordNavigator)

    TDataSource* DataSource() const { return Source; }
    void SetDataSource(TDataSource* source);

    bool ConfirmDelete = true;

    TNavigatorButton* Button(TNavigateButton button) const { return Buttons[button]; }
    // The button carrying the keyboard mark.
    TNavigateButton MarkedButton() const { return Mark; }
    // Prior and Next click after `delay` ms held down, then every `interval` ms.
    void SetRepeatTiming(int delay, int interval);

    // Performs a button's action, as a click on it does.
    void BtnClick(TNavigateButton button);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void DataSourceNotified(TCursorEvent event, int field);
    void DataSourceChanged();
    void ClickButton(TNavigateButton button);
    void UpdateButtons();
    void SetMark(TNavigateButton button);

    TMessageService& Messages;
    QPointer<TDataSource> Source;
    std::array<TNavigatorButton*, NavigateButtonCount> Buttons{};
    TNavigateButton Mark = nbFirst;
};
