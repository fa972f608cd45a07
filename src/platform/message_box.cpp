#include "platform/message_box.h"

#include <QtWidgets/QApplication>
#include <QtWidgets/QMessageBox>
#include "platform/ansi.h"

namespace lxtv::platform {
namespace {

void showForReal(const MessageBoxCall& call) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return;
    QMessageBox box(
        call.icon == MessageIcon::warning ? QMessageBox::Warning : QMessageBox::Information,
        toQString(call.caption), toQString(call.text), QMessageBox::Ok);
    // No owner window, yet the rest of the application waits, as a task-modal box makes it.
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

}  // namespace

Seam<void(const MessageBoxCall&)> messageBoxShower(showForReal);

void showMessageBox(const std::string& text, const std::string& caption, MessageIcon icon) {
    messageBoxShower(MessageBoxCall{text, caption, icon});
}

}  // namespace lxtv::platform
