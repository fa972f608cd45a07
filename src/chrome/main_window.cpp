#include "chrome/main_window.h"

namespace lxtv::chrome {
namespace {
MainWindow* current = nullptr;
}

MainWindow::MainWindow() { current = this; }
MainWindow::~MainWindow() {
    if (current == this) current = nullptr;
}
void MainWindow::load() {}
int MainWindow::placement() const { return 0; }
void MainWindow::setPlacement(int) {}
MainWindow& mainWindow() { return *current; }
bool hasMainWindow() { return current != nullptr; }

}  // namespace lxtv::chrome
