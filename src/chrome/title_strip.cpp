#include "chrome/title_strip.h"

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QMetaObject>
#include <QPoint>
#include <QThread>
#include <QWindow>
#include <cmath>
#include <mutex>

#include "app/app_state.h"
#include "build_config.h"
#include "chrome/main_window.h"
#include "platform/desktop.h"
#include "platform/screen.h"
#include "platform/sound.h"
#include "toolkit/animation_strip.h"
#include "toolkit/geometry.h"
#include "toolkit/strip_template.h"
#include "toolkit/transparent_label.h"

namespace lxtv::chrome {
namespace {

// Object numbers as the handlers know them.
constexpr int closeObject = 1;
constexpr int maximizeObject = 2;
constexpr int minimizeObject = 3;
constexpr int iconObject = 4;
constexpr int messageBoardObject = 5;
constexpr int aboutObject = 6;

QByteArray resourceBytes(const char* name) {
    QFile file(QStringLiteral(":/assets/strip/") + QLatin1String(name));
    if (!file.open(QIODevice::ReadOnly)) return {};  // a missing picture leaves the object bare
    return file.readAll();
}

void setPicture(int id, const char* name) {
    if (!hasMainWindow() || !mainWindow().titleStrip) return;
    mainWindow().titleStrip->setObjectPicture(id, resourceBytes(name));
}

// The drag that a press on the normal-state strip starts. The pressed object's action waits
// for the release, as it would behind a modal move loop.
struct Drag {
    bool active = false;
    QPoint startPointer;
    QPoint startWindow;
    bool actionPending = false;
    int pendingId = 0;
};
Drag drag;

std::mutex exitLock;
ExitHandler exitHandler;

void endProgram(int code) {
    ExitHandler handler;
    {
        std::lock_guard<std::mutex> guard(exitLock);
        handler = exitHandler;
    }
    if (handler)
        handler(code);
    else
        QApplication::exit(code);
}

// Runs a window operation on the window's thread. From another thread the caller waits for it;
// the window thread never waits for the caller.
void onWindowThread(const std::function<void()>& operation) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) return;
    if (QThread::currentThread() == app->thread()) {
        if (hasMainWindow()) operation();
        return;
    }
    // Handed to the application object, which outlives the window: the window may be gone by
    // the time the window thread gets to it, and then the operation is dropped.
    QMetaObject::invokeMethod(
        app,
        [operation] {
            if (hasMainWindow()) operation();
        },
        Qt::BlockingQueuedConnection);
}

void performAction(int id) {
    if (!hasMainWindow()) return;
    MainWindow& window = mainWindow();
    switch (id) {
        case closeObject:
            playClickSound();
            window.close();
            endProgram(0);
            break;
        case maximizeObject:
            toggleMaximized();
            break;
        case minimizeObject:
            window.setPlacement(2);
            playClickSound();
            break;
        case messageBoardObject:
            platform::openWithDesktop(config::messageBoardPage);
            break;
        case aboutObject:
            platform::openWithDesktop(config::articlePage);
            break;
        default:
            break;
    }
}

bool platformIgnoresMove() {
    return QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

}  // namespace

void buildTitleStrip() {
    if (!hasMainWindow()) return;
    using namespace toolkit;
    MainWindow& m = mainWindow();
    AnimationStrip* strip = m.titleStrip;
    auto& ids = app::appState().stripObjectIds;

    double x = std::trunc(double(width(strip)) - 21);
    for (int i = 0; i < 3; ++i) {
        ids.push_back(strip->createObject(m.windowButtonAnchor, x, top(m.windowButtonAnchor)));
        x = std::trunc(x - 21);
    }
    ids.push_back(
        strip->createObject(m.windowButtonAnchor, 5, std::trunc(double(top(m.titleLabel)) - 1)));

    setPicture(iconObject, "stripIconPicture.png");
    setPicture(minimizeObject, "minimizePicture.png");
    setPicture(maximizeObject, "maximizePicture.png");
    setPicture(closeObject, "closePicture.png");

    x = left(m.bigButtonAnchor);
    for (int i = 0; i < 2; ++i) {
        ids.push_back(strip->createObject(m.bigButtonAnchor, x, top(m.bigButtonAnchor)));
        x = x + 68;
    }
    setPicture(messageBoardObject, "messageBoardPicture.png");
    setPicture(aboutObject, "aboutPicture.png");
}

void toggleMaximized() {
    auto& state = app::appState();
    if (state.isMaximized == 0) {
        state.isMaximized = 1;
        onWindowThread([] { mainWindow().setPlacement(3); });
        onWindowThread([] {
            const int screenHeight = platform::primaryScreenSize().height();
            toolkit::setHeight(&mainWindow(), double(screenHeight) - 28);
        });
    } else {
        state.isMaximized = 0;
        onWindowThread([] { toolkit::setWidth(&mainWindow(), 800); });
        onWindowThread([] { toolkit::setHeight(&mainWindow(), 600); });
        onWindowThread([] { mainWindow().setPlacement(1); });
    }
    playClickSound();
}

void playClickSound() {
    static const QByteArray wave = [] {
        QFile file(QStringLiteral(":/assets/clickSound.wav"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    platform::playWave(wave);
}

void onStripButtonDown(int x, int y, int) {
    if (!hasMainWindow() || app::appState().isMaximized != 0) return;
    MainWindow& window = mainWindow();
    if (platformIgnoresMove()) {
        // The compositor moves the window itself; the action then follows the press.
        if (QWindow* handle = window.windowHandle()) handle->startSystemMove();
        return;
    }
    drag = Drag{};
    drag.active = true;
    drag.startPointer = window.titleStrip->mapToGlobal(QPoint(x, y));
    drag.startWindow = QPoint(toolkit::left(&window), toolkit::top(&window));
}

void onStripPointerMoved(int globalX, int globalY) {
    if (!drag.active || !hasMainWindow()) return;
    const QPoint target = drag.startWindow + (QPoint(globalX, globalY) - drag.startPointer);
    MainWindow& window = mainWindow();
    if (target != window.frameGeometry().topLeft()) window.move(target);
}

void onStripButtonUp(int globalX, int globalY) {
    if (!drag.active) return;
    onStripPointerMoved(globalX, globalY);
    const Drag ended = drag;
    drag = Drag{};
    if (ended.actionPending) performAction(ended.pendingId);
}

void onStripObjectPressed(int id) {
    if (drag.active) {
        drag.actionPending = true;
        drag.pendingId = id;
        return;
    }
    performAction(id);
}

void onStripObjectEntered(int id, int) {
    switch (id) {
        case closeObject:
            setPicture(closeObject, "closeHoverPicture.png");
            break;
        case maximizeObject:
            setPicture(maximizeObject, app::appState().isMaximized == 0
                                           ? "maximizeHoverPicture.png"
                                           : "restoreHoverPicture.png");
            break;
        case minimizeObject:
            setPicture(minimizeObject, "minimizeHoverPicture.png");
            break;
        case messageBoardObject:
            playClickSound();
            setPicture(messageBoardObject, "messageBoardHoverPicture.png");
            break;
        case aboutObject:
            playClickSound();
            setPicture(aboutObject, "aboutHoverPicture.png");
            break;
        default:
            break;
    }
}

void onStripObjectLeft(int id, int) {
    switch (id) {
        case closeObject:
            setPicture(closeObject, "closePicture.png");
            break;
        case maximizeObject:
            setPicture(maximizeObject, app::appState().isMaximized == 0 ? "maximizePicture.png"
                                                                        : "restorePicture.png");
            break;
        case minimizeObject:
            setPicture(minimizeObject, "minimizePicture.png");
            break;
        case messageBoardObject:
            playClickSound();
            setPicture(messageBoardObject, "messageBoardPicture.png");
            break;
        case aboutObject:
            playClickSound();
            setPicture(aboutObject, "aboutPicture.png");
            break;
        default:
            break;
    }
}

ExitHandler setExitHandler(ExitHandler handler) {
    std::lock_guard<std::mutex> guard(exitLock);
    ExitHandler previous = std::move(exitHandler);
    exitHandler = std::move(handler);
    return previous;
}

}  // namespace lxtv::chrome
