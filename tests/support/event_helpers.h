#pragma once

// Small stand-ins for Qt Test's event helpers: synthetic key presses, mouse events and waiting
// with the event loop running.

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QThread>
#include <QWidget>
#include <functional>
#include <optional>

namespace lxtv::test {

inline void typeText(QWidget* w, const QString& text) {
    for (const QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(w, &release);
    }
}

inline void pressKey(QWidget* w, int key) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(w, &release);
}

// One mouse event sent to `w` at `pos` (w's coordinates); `global` defaults to where `pos` is on
// the screen. `button` is the button that changed, `held` the buttons down after the event.
inline void sendMouse(QWidget* w, QEvent::Type type, QPoint pos,
                      Qt::MouseButton button = Qt::NoButton, Qt::MouseButtons held = Qt::NoButton,
                      Qt::KeyboardModifiers modifiers = Qt::NoModifier,
                      std::optional<QPoint> global = std::nullopt) {
    QMouseEvent event(type, QPointF(pos), QPointF(global.value_or(w->mapToGlobal(pos))), button,
                      held, modifiers);
    QApplication::sendEvent(w, &event);
}

// A press and a release of `button` at `pos`.
inline void clickMouse(QWidget* w, QPoint pos, Qt::MouseButton button = Qt::LeftButton) {
    sendMouse(w, QEvent::MouseButtonPress, pos, button, button);
    sendMouse(w, QEvent::MouseButtonRelease, pos, button, Qt::NoButton);
}

inline bool waitFor(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(1);
    }
    return true;
}

}  // namespace lxtv::test
