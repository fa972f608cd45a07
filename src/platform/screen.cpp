#include "platform/screen.h"

#include <QGuiApplication>
#include <QScreen>

namespace lxtv::platform {

Seam<QSize()> screenSize([] {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(0, 0);
});

QSize primaryScreenSize() {
    return screenSize();
}

}  // namespace lxtv::platform
