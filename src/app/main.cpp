// The program's entry: start-up, the message loop and the orderly end.

#include <unistd.h>

#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "app/start.h"
#include "chrome/main_window.h"
#include "platform/files.h"
#include "platform/memory.h"
#include "state/app_state.h"

int main(int argc, char** argv) {
    using namespace lxtv;
    platform::returnLargeBlocksWhenFreed();

    // The browser view shares GL contexts with the window; must be set before the application.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);

    // Files beside the program are found through the current directory too (the installer is
    // started with an empty working directory). A program file in the root folder has the empty
    // run directory.
    const std::string dir = platform::runDirectory();
    if (chdir(dir.empty() ? "/" : dir.c_str()) != 0) {
        // Not fatal: every path the client builds is absolute.
    }

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
    const int exitCode = application.exec();
    app::runExitRoutine();
    // The tree builder may still be running; nothing waits for it and it ends with the process.
    // Ending here, before static objects are torn down under its feet, keeps that clean.
    std::fflush(nullptr);
    std::_Exit(exitCode);
}
