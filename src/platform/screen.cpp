#include "platform/screen.h"

#include <QGuiApplication>
#include <QScreen>
#include <mutex>

namespace lxtv::platform {
namespace {
std::mutex overrideLock;
std::optional<QSize> overrideSize;
}  // namespace

QSize primaryScreenSize() {
    {
        std::lock_guard<std::mutex> guard(overrideLock);
        if (overrideSize) return *overrideSize;
    }
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : QSize(0, 0);
}

void setScreenSizeOverride(std::optional<QSize> size) {
    std::lock_guard<std::mutex> guard(overrideLock);
    overrideSize = size;
}

}  // namespace lxtv::platform
