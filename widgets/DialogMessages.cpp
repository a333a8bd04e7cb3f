#include "widgets/DialogMessages.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>

namespace {
// A message box that stands in the middle of the screen. The box settles its size, text
// wrapping included, only as it is shown, so it is placed then.
class TCentredBox : public QMessageBox {
public:
    using QMessageBox::QMessageBox;

protected:
    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event);
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            move(screen->availableGeometry().center() -
                 QRect(QPoint(), frameGeometry().size()).center());
    }
};
} // namespace

bool TDialogMessages::Show(const TBoxRequest& request) {
    static constexpr QMessageBox::Icon Icons[] = {QMessageBox::NoIcon, QMessageBox::Critical,
                                                  QMessageBox::Question};
    // Texts separate lines with carriage returns, which a Qt label would not break on.
    QString text = request.Text;
    text.replace(QLatin1String("\r\n"), QLatin1String("\n")).replace(QLatin1Char('\r'), '\n');
    TCentredBox box(Icons[static_cast<int>(request.Kind)], request.Caption, text);
    box.setTextFormat(Qt::PlainText);
    // Above every window, the find window too, which stays on top of the main window.
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    if (request.Kind == TBoxKind::Confirmation)
        box.setEscapeButton(box.addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole));
    box.exec();
    return box.clickedButton() == ok;
}
