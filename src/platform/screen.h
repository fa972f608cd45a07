#pragma once

// The size of the primary screen, as the window's placement and maximizing use it.

#include <QSize>

#include "platform/seam.h"

namespace lxtv::platform {

// Width and height of the primary screen in pixels; 0x0 when there is no screen.
QSize primaryScreenSize();

// Where primaryScreenSize reads it; tests stand in a screen of their own size.
extern Seam<QSize()> screenSize;

}  // namespace lxtv::platform
