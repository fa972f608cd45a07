// The program's entry: start-up, the message loop and the orderly end.

#include <unistd.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "app/start.h"
#include "build_config.h"
#include "catalogue/tree_builder.h"
#include "chrome/main_window.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "state/app_state.h"
#include "toolkit/web_view.h"

int main(int argc, char** argv) {
    using namespace lxtv;
    platform::returnLargeBlocksWhenFreed();

    // The browser view shares GL contexts with the window; must be set before the application.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    std::optional<QApplication> application;
    application.emplace(argc, argv);
    // The user's data folders (~/.local/share/lxtv with the catalogue copy of an installed
    // program and the web profile, ~/.cache/lxtv) are named after the application, whatever the
    // program file is called; the desktop file name ties the window to its menu entry and icon.
    QCoreApplication::setApplicationName(QStringLiteral("lxtv"));
    QGuiApplication::setDesktopFileName(QString::fromLatin1(config::appId));

    // Files beside the program are found through the current directory too (the installer is
    // started with an empty working directory). A program file in the root folder has the empty
    // run directory.
    const std::string dir = platform::runDirectory();
    if (chdir(dir.empty() ? "/" : dir.c_str()) != 0) {
        // Not fatal: every path the client builds is absolute.
    }

    // Where the catalogue copy lives is settled now, once, for the whole run.
    platform::dataDirectory();

    state::initAppState();

    // The window is never destroyed: the process ends right after the exit routine, and a tree
    // builder still running may at that moment be handing the window an operation (the maximize
    // toggle) from its own thread; a window torn down under it would be used after its end.
    auto* window = new chrome::MainWindow;
    // The controls exist from the created event on; wire them before anything can click.
    window->created = [window] {
        app::connectHandlers(*window);
        app::onMainWindowCreated();
    };
    window->load();
    const int exitCode = application->exec();
    app::runExitRoutine();
    // The web profile writes cookies and site data to disk in batches seconds apart; only the
    // engine's own shutdown, at the application's end, writes what is still pending, so that a
    // sign-in made just before closing survives. Safe once the tree builder has ended: from then
    // on nothing touches the window.
    if (!catalogue::treeBuilderRunning()) {
        delete window->browserView;
        window->browserView = nullptr;
        toolkit::WebView::releaseSharedProfile();
        application.reset();
    }
    // The tree builder may still be running; nothing waits for it and it ends with the process.
    // Ending here, before static objects are torn down under its feet, keeps that clean.
    std::fflush(nullptr);
    std::_Exit(exitCode);
}
