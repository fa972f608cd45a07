#include "platform/window_wait.h"

#include <QCoreApplication>
#include <QCursor>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMetaObject>
#include <QThread>
#include <atomic>
#include <thread>

namespace lxtv::platform {

void runWhileWindowWaits(const std::function<void()>& work) {
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || QThread::currentThread() != app->thread()) {
        work();
        return;
    }
    const bool withCursor = qobject_cast<QGuiApplication*>(app) != nullptr;
    if (withCursor) QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
    QEventLoop loop;
    std::atomic<bool> done{false};
    std::thread worker([&] {
        work();
        done = true;
        // Queued, so it also ends a loop that has not started turning yet.
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    if (!done) loop.exec(QEventLoop::ExcludeUserInputEvents);
    worker.join();
    if (withCursor) QGuiApplication::restoreOverrideCursor();
}

}  // namespace lxtv::platform
