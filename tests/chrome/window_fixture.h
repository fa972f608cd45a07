#pragma once

// The real main window built offscreen, as start-up builds it, on a pretend screen, with the
// click sound, the desktop opener and the program's end replaced by recorders.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QSize>
#include <memory>
#include <string>
#include <vector>

#include "chrome/main_window.h"
#include "platform/seam.h"

namespace lxtv::test {

struct WindowFixture : ::testing::Test {
    static constexpr int screenWidth = 1280;
    static constexpr int screenHeight = 1024;

    std::unique_ptr<chrome::MainWindow> window;
    int sounds = 0;
    std::vector<std::string> opened;
    std::vector<int> exits;
    // The stand-ins above, and any a test adds; undone at the end of the test.
    std::vector<platform::Replacement> fakes;
    // Places of the strip objects as buildTitleStrip left them, before any layout.
    std::vector<QPoint> placesAtCreation;

    void SetUp() override;
    void TearDown() override;

    // Builds and shows the window; the created event builds the title strip.
    void load();
    // Resizes the window and lets the layout run twice, as a size change always does.
    void resizeSettled(int w, int h);
};

// Rectangle of a control as its geometry properties read (left, top, width, height).
QRect rectOf(const QWidget* w);

// The picture the strip object shows compared with a resource picture of the strip.
bool showsPicture(int objectId, const char* name);

}  // namespace lxtv::test
