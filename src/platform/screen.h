#pragma once

// The size of the primary screen, as the window's placement and maximizing use it.

#include <QSize>
#include <optional>

namespace lxtv::platform {

// Width and height of the primary screen in pixels; 0x0 when there is no screen.
QSize primaryScreenSize();

// Tests pretend a screen of a given size; std::nullopt returns to the real screen.
void setScreenSizeOverride(std::optional<QSize> size);

}  // namespace lxtv::platform
