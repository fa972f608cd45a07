#include "platform/message_box.h"

#include <QtWidgets/QApplication>
#include <QtWidgets/QMessageBox>
#include <mutex>

#include "platform/ansi.h"

namespace lxtv::platform {
namespace {
std::mutex showerMutex;
MessageBoxShower& replacement() {
    static MessageBoxShower shower;
    return shower;
}
}  // namespace

void showMessageBox(const std::string& text, const std::string& caption, MessageIcon icon) {
    MessageBoxShower shower;
    {
        std::lock_guard<std::mutex> lock(showerMutex);
        shower = replacement();
    }
    if (shower) {
        shower(MessageBoxCall{text, caption, icon});
        return;
    }
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return;
    QMessageBox box(icon == MessageIcon::warning ? QMessageBox::Warning : QMessageBox::Information,
                    toQString(caption), toQString(text), QMessageBox::Ok);
    // No owner window, yet the rest of the application waits, as a task-modal box makes it.
    box.setWindowModality(Qt::ApplicationModal);
    box.exec();
}

MessageBoxShower setMessageBoxShower(MessageBoxShower shower) {
    std::lock_guard<std::mutex> lock(showerMutex);
    MessageBoxShower previous = std::move(replacement());
    replacement() = std::move(shower);
    return previous;
}

}  // namespace lxtv::platform
