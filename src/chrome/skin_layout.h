#pragma once

namespace lxtv::chrome {

// Fits the skin's pieces to the window's current size: a fixed sequence of 25 assignments.
void layoutSkin();
void onMainWindowMoved();
void onMainWindowResized();

}  // namespace lxtv::chrome
