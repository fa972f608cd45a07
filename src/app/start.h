#pragma once

namespace lxtv::chrome {
class MainWindow;
}

namespace lxtv::app {

// Handler of the main window's created event: fetches the catalogue (the window thread waits),
// records its local path, builds the title strip and starts the tree builder on its own thread.
void onMainWindowCreated();

// Connects the controls' events to their handlers.
void connectHandlers(chrome::MainWindow& window);

// The exit routine: releases AppState. Runs once, however the program ends in order.
void runExitRoutine();

}  // namespace lxtv::app
