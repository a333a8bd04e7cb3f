#pragma once
// One glyph button of the record navigator; draws the navigator's keyboard mark when it is
// the marked button and the navigator has the focus (the buttons never take the focus).

#include <QPushButton>

class TNavigatorButton : public QPushButton {
    Q_OBJECT
public:
    explicit TNavigatorButton(QWidget* navigator);

    void SetMarked(bool marked);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool IsMarked = false;
};
