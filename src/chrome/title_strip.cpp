#include "chrome/title_strip.h"

#include <QApplication>
#include <QFile>
#include <QGuiApplication>
#include <QMetaObject>
#include <QPoint>
#include <QThread>
#include <QWindow>
#include <cmath>

#include "build_config.h"
#include "chrome/main_window.h"
#include "platform/desktop.h"
#include "platform/screen.h"
#include "platform/sound.h"
#include "state/app_state.h"
#include "toolkit/animation_strip.h"
#include "toolkit/geometry.h"
#include "toolkit/picture.h"
#include "toolkit/strip_template.h"
#include "toolkit/transparent_label.h"

namespace lxtv::chrome {

platform::Seam<void(int)> programExit([](int code) { QApplication::exit(code); });

namespace {

// Object numbers as the handlers know them.
constexpr int closeObject = 1;
constexpr int maximizeObject = 2;
constexpr int minimizeObject = 3;
constexpr int iconObject = 4;
constexpr int messageBoardObject = 5;
constexpr int aboutObject = 6;

// What each object shows while the pointer is away from it and while it is over it; the
// maximize object shows the restore pair while the window is maximized. Entering and leaving
// the two outside-page objects clicks.
struct ObjectPictures {
    int id;
    const char* away;
    const char* over;
    const char* awayMaximized;
    const char* overMaximized;
    bool clicks;
};
constexpr ObjectPictures objectPictures[] = {
    {closeObject, "closePicture.png", "closeHoverPicture.png", nullptr, nullptr, false},
    {maximizeObject, "maximizePicture.png", "maximizeHoverPicture.png", "restorePicture.png",
     "restoreHoverPicture.png", false},
    {minimizeObject, "minimizePicture.png", "minimizeHoverPicture.png", nullptr, nullptr, false},
    {iconObject, "stripIconPicture.png", nullptr, nullptr, nullptr, false},
    {messageBoardObject, "messageBoardPicture.png", "messageBoardHoverPicture.png", nullptr,
     nullptr, true},
    {aboutObject, "aboutPicture.png", "aboutHoverPicture.png", nullptr, nullptr, true},
};

const ObjectPictures* picturesOf(int id) {
    for (const ObjectPictures& p : objectPictures)
        if (p.id == id) return &p;
    return nullptr;
}

QByteArray resourceBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};  // a missing picture leaves the object bare
    return file.readAll();
}

void setPicture(int id, const char* name) {
    if (!hasMainWindow() || !mainWindow().titleStrip || name == nullptr) return;
    const QString path = QStringLiteral(":/assets/strip/") + QLatin1String(name);
    mainWindow().titleStrip->setObjectPicture(id, resourceBytes(path),
                                              resourceBytes(toolkit::Picture::fineName(path)));
}

void setRestingPicture(int id) {
    if (const ObjectPictures* p = picturesOf(id)) setPicture(id, p->away);
}

// The enter and leave handlers' one step: the picture for where the pointer is now.
void showPointerPicture(int id, bool over) {
    const ObjectPictures* p = picturesOf(id);
    if (p == nullptr || p->over == nullptr) return;
    if (p->clicks) playClickSound();
    const bool maximized = p->awayMaximized != nullptr && state::appState().isMaximized != 0;
    if (maximized)
        setPicture(id, over ? p->overMaximized : p->awayMaximized);
    else
        setPicture(id, over ? p->over : p->away);
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
            programExit(0);
            break;
        case maximizeObject:
            toggleMaximized();
            break;
        case minimizeObject:
            window.setPlacement(Placement::minimized);
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
    auto& ids = state::appState().stripObjectIds;

    double x = std::trunc(double(width(strip)) - 21);
    for (int i = 0; i < 3; ++i) {
        ids.push_back(strip->createObject(m.windowButtonAnchor, x, top(m.windowButtonAnchor)));
        x = std::trunc(x - 21);
    }
    ids.push_back(
        strip->createObject(m.windowButtonAnchor, 5, std::trunc(double(top(m.titleLabel)) - 1)));

    for (const int id : {iconObject, minimizeObject, maximizeObject, closeObject})
        setRestingPicture(id);

    x = left(m.bigButtonAnchor);
    for (int i = 0; i < 2; ++i) {
        ids.push_back(strip->createObject(m.bigButtonAnchor, x, top(m.bigButtonAnchor)));
        x = x + 68;
    }
    for (const int id : {messageBoardObject, aboutObject}) setRestingPicture(id);
}

void toggleMaximized() {
    onWindowThread([] {
        state::AppState& s = state::appState();
        MainWindow& window = mainWindow();
        s.stripDrag = state::StripDrag{};
        if (s.isMaximized == 0) {
            s.isMaximized = 1;
            window.setPlacement(Placement::coveringScreen);
            const int screenHeight = platform::primaryScreenSize().height();
            toolkit::setHeight(&window, double(screenHeight) - 28);
        } else {
            s.isMaximized = 0;
            toolkit::setWidth(&window, 800);
            toolkit::setHeight(&window, 600);
            window.setPlacement(Placement::centred);
        }
        playClickSound();
    });
}

void playClickSound() {
    static const QByteArray wave = [] {
        QFile file(QStringLiteral(":/assets/clickSound.wav"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    platform::playWave(wave);
}

void onStripButtonDown(int x, int y, int) {
    if (!hasMainWindow() || state::appState().isMaximized != 0) return;
    MainWindow& window = mainWindow();
    if (platformIgnoresMove()) {
        // The compositor moves the window itself; the action then follows the press.
        if (QWindow* handle = window.windowHandle()) handle->startSystemMove();
        return;
    }
    const QPoint pointer = window.titleStrip->mapToGlobal(QPoint(x, y));
    state::StripDrag& drag = state::appState().stripDrag;
    drag = state::StripDrag{};
    drag.active = true;
    drag.startPointerX = pointer.x();
    drag.startPointerY = pointer.y();
    drag.startWindowX = toolkit::left(&window);
    drag.startWindowY = toolkit::top(&window);
}

void onStripPointerMoved(int globalX, int globalY) {
    const state::StripDrag& drag = state::appState().stripDrag;
    if (!drag.active || !hasMainWindow()) return;
    const QPoint target(drag.startWindowX + globalX - drag.startPointerX,
                        drag.startWindowY + globalY - drag.startPointerY);
    MainWindow& window = mainWindow();
    if (target != window.frameGeometry().topLeft()) window.move(target);
}

void onStripButtonUp(int globalX, int globalY) {
    state::StripDrag& drag = state::appState().stripDrag;
    if (!drag.active) return;
    onStripPointerMoved(globalX, globalY);
    const state::StripDrag ended = drag;
    drag = state::StripDrag{};
    if (ended.actionPending) performAction(ended.pendingId);
}

void onStripButtonLost(int globalX, int globalY) {
    state::StripDrag& drag = state::appState().stripDrag;
    if (!drag.active) return;
    onStripPointerMoved(globalX, globalY);
    drag = state::StripDrag{};
}

void onStripObjectPressed(int id) {
    state::StripDrag& drag = state::appState().stripDrag;
    if (drag.active) {
        drag.actionPending = true;
        drag.pendingId = id;
        return;
    }
    performAction(id);
}

void onStripObjectEntered(int id, int) {
    showPointerPicture(id, true);
}

void onStripObjectLeft(int id, int) {
    showPointerPicture(id, false);
}

}  // namespace lxtv::chrome
