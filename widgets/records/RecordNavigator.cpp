#include "widgets/records/RecordNavigator.h"

#include "widgets/Glyphs.h"
#include "widgets/MessageService.h"
#include "widgets/UserCommand.h"
#include "widgets/records/DataSource.h"
#include "widgets/records/NavigatorButton.h"

#include <QKeyEvent>

namespace {
struct TButtonFace {
    const char* Name;
    const char* Hint;
    const char* Glyph;
};

constexpr std::array<TButtonFace, NavigateButtonCount> Faces = {{
    {"nbFirst", "First record", "dbn_first"},
    {"nbPrior", "Prior record", "dbn_prior"},
    {"nbNext", "Next record", "dbn_next"},
    {"nbLast", "Last record", "dbn_last"},
    {"nbInsert", "Insert record", "dbn_insert"},
    {"nbDelete", "Delete record", "dbn_delete"},
    {"nbEdit", "Edit record", "dbn_edit"},
    {"nbPost", "Post edit", "dbn_post"},
    {"nbCancel", "Cancel edit", "dbn_cancel"},
    {"nbRefresh", "Refresh data", "dbn_refresh"},
}};

constexpr int RepeatDelay = 400;
constexpr int RepeatInterval = 100;
constexpr QSize MinimumButtonSize(20, 18);
} // namespace

TRecordNavigator::TRecordNavigator(TMessageService& messages, QWidget* parent)
    : QWidget(parent)
    , Messages(messages) {
    setFocusPolicy(Qt::StrongFocus);
    for (int index = 0; index < NavigateButtonCount; ++index) {
        const TButtonFace& face = Faces[index];
        auto* button = new TNavigatorButton(this);
        button->setObjectName(QLatin1String(face.Name));
        button->setToolTip(QLatin1String(face.Hint));
        button->setAccessibleName(QLatin1String(face.Hint));
        QIcon icon(Glyph(QLatin1String(face.Glyph)));
        icon.addPixmap(Glyph(QLatin1String(face.Glyph) + QLatin1String("_grey")), QIcon::Disabled);
        button->setIcon(icon);
        const auto which = static_cast<TNavigateButton>(index);
        connect(button, &QAbstractButton::pressed, this, [this, which] {
            SetMark(which);
            setFocus(Qt::MouseFocusReason);
        });
        connect(button, &QAbstractButton::clicked, this, [this, which] { ClickButton(which); });
        Buttons[index] = button;
    }
    Buttons[nbPrior]->setAutoRepeat(true);
    Buttons[nbNext]->setAutoRepeat(true);
    SetRepeatTiming(RepeatDelay, RepeatInterval);
    Buttons[Mark]->SetMarked(true);
    UpdateButtons();
}

TRecordNavigator::~TRecordNavigator() = default;

void TRecordNavigator::SetDataSource(TDataSource* source) {
    TDataSource::Bind(Source, source, this, &TRecordNavigator::DataSourceNotified,
                      &TRecordNavigator::DataSourceChanged);
}

void TRecordNavigator::DataSourceChanged() {
    UpdateButtons();
}

void TRecordNavigator::SetRepeatTiming(int delay, int interval) {
    for (TNavigateButton button : {nbPrior, nbNext}) {
        Buttons[button]->setAutoRepeatDelay(delay);
        Buttons[button]->setAutoRepeatInterval(interval);
    }
}

void TRecordNavigator::BtnClick(TNavigateButton button) {
    if (!DataSource() || !DataSource()->Active())
        return;
    TTableCursor& cursor = *DataSource()->DataSet();
    switch (button) {
    case nbFirst:
        cursor.First();
        break;
    case nbPrior:
        cursor.Prior();
        break;
    case nbNext:
        cursor.Next();
        break;
    case nbLast:
        cursor.Last();
        break;
    case nbInsert:
        cursor.Insert();
        break;
    case nbDelete: {
        // The row shown when the button was pressed, whatever is read while asking.
        const TShownRow shown = cursor.ShownRow();
        if (!ConfirmDelete || Messages.ConfirmDelete())
            cursor.Delete(shown);
        break;
    }
    case nbEdit:
        cursor.Edit();
        break;
    case nbPost:
        cursor.Post();
        break;
    case nbCancel:
        cursor.Cancel();
        break;
    case nbRefresh:
        cursor.Refresh();
        break;
    }
}

void TRecordNavigator::ClickButton(TNavigateButton button) {
    // A failed click ends the press, so a held Prior or Next stops repeating and its
    // release clicks no more.
    RunUserCommand(
        Messages, [this, button] { BtnClick(button); },
        [this, button] { Buttons[button]->setDown(false); });
}

void TRecordNavigator::DataSourceNotified(TCursorEvent, int) {
    UpdateButtons();
}

void TRecordNavigator::UpdateButtons() {
    const bool on = isEnabled() && DataSource() && DataSource()->Active();
    bool bof = true;
    bool eof = true;
    bool canModify = false;
    if (on) {
        const TTableCursor& cursor = *DataSource()->DataSet();
        bof = cursor.Bof();
        eof = cursor.Eof();
        canModify = cursor.CanModify();
    }
    const bool editing = on && DataSource()->Editing();
    const std::array<bool, NavigateButtonCount> enabled = {
        on && !bof,
        on && !bof,
        on && !eof,
        on && !eof,
        on && canModify,
        on && canModify && !(bof && eof),
        on && canModify && !editing,
        on && canModify && editing,
        on && canModify && editing,
        on && canModify,
    };
    for (int index = 0; index < NavigateButtonCount; ++index)
        Buttons[index]->setEnabled(enabled[index]);
}

void TRecordNavigator::SetMark(TNavigateButton button) {
    Buttons[Mark]->SetMarked(false);
    Mark = button;
    Buttons[Mark]->SetMarked(true);
}

void TRecordNavigator::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // Buttons share the width equally, so the bar is cut to a whole multiple of their number.
    const int whole = this->width() - this->width() % NavigateButtonCount;
    if (whole != this->width() && whole >= NavigateButtonCount * MinimumButtonSize.width()) {
        resize(whole, this->height());
        return;
    }
    const int width = std::max(this->width() / NavigateButtonCount, MinimumButtonSize.width());
    const int height = std::max(this->height(), MinimumButtonSize.height());
    for (int index = 0; index < NavigateButtonCount; ++index)
        Buttons[index]->setGeometry(index * width, 0, width, height);
}

void TRecordNavigator::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Left:
        if (Mark > nbFirst)
            SetMark(static_cast<TNavigateButton>(Mark - 1));
        break;
    case Qt::Key_Right:
        if (Mark < nbRefresh)
            SetMark(static_cast<TNavigateButton>(Mark + 1));
        break;
    case Qt::Key_Space:
        if (Buttons[Mark]->isEnabled())
            ClickButton(Mark);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void TRecordNavigator::focusInEvent(QFocusEvent* event) {
    QWidget::focusInEvent(event);
    Buttons[Mark]->update();
}

void TRecordNavigator::focusOutEvent(QFocusEvent* event) {
    QWidget::focusOutEvent(event);
    Buttons[Mark]->update();
}

void TRecordNavigator::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::EnabledChange)
        UpdateButtons();
}
