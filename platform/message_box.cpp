#include "platform/message_box.h"

#include <QMessageBox>
#include <QPointer>

#include "platform/gui_application.h"

namespace {

QPointer<QWidget> owner;

QString qtText(const Text& text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

void setMessageBoxOwner(void* qwidget) {
    owner = static_cast<QWidget*>(qwidget);
}

MessageAnswer showMessageBox(const Text& title, const Text& text, MessageIcon icon, MessageButtons buttons) {
    if (!startGuiApplication("tundrel")) return MessageAnswer::none;
    QMessageBox box(owner.data());
    box.setWindowTitle(qtText(title));
    box.setTextFormat(Qt::PlainText);
    box.setText(qtText(text));
    box.setIcon(icon == MessageIcon::error      ? QMessageBox::Critical
                : icon == MessageIcon::question ? QMessageBox::Question
                                                : QMessageBox::NoIcon);
    if (buttons == MessageButtons::yesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
    }
    int answer = box.exec();
    if (buttons == MessageButtons::ok) return MessageAnswer::ok;
    return answer == QMessageBox::Yes ? MessageAnswer::yes : MessageAnswer::no;
}
