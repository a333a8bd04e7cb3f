#include "widgets/records/NavigatorButton.h"

#include <QStyleOptionFocusRect>
#include <QStylePainter>

TNavigatorButton::TNavigatorButton(QWidget* navigator)
    : QPushButton(navigator) {
    setFocusPolicy(Qt::NoFocus);
}

void TNavigatorButton::SetMarked(bool marked) {
    if (marked != IsMarked) {
        IsMarked = marked;
        update();
    }
}

void TNavigatorButton::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    if (!IsMarked || !parentWidget()->hasFocus())
        return;
    QStylePainter painter(this);
    QStyleOptionFocusRect option;
    option.initFrom(this);
    // The mark is the keyboard's, whatever the style thinks of how the focus came.
    option.state |= QStyle::State_KeyboardFocusChange | QStyle::State_HasFocus;
    option.rect = rect().adjusted(4, 4, -4, -4);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
}
