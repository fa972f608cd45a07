#pragma once

#include "platform/seam.h"

namespace lxtv::chrome {

// Creates the title strip's six objects and records their ids in AppState::stripObjectIds.
void buildTitleStrip();

// Normal <-> maximized. Callable from the window thread and from the catalogue worker thread
// (then every window operation is carried out on the window thread, the caller waiting).
void toggleMaximized();

// Starts one play of the click sound and returns at once; plays overlap.
void playClickSound();

void onStripButtonDown(int x, int y, int keyState);
void onStripObjectPressed(int id);
void onStripObjectEntered(int id, int pressedId);
void onStripObjectLeft(int id, int pressedId);

// The strip's window drag: pointer moves while the button is held, and the release that ends
// the drag (and then runs the action of the object pressed at its start). Global positions.
void onStripPointerMoved(int globalX, int globalY);
void onStripButtonUp(int globalX, int globalY);

// How the close object ends the program after the window is gone: QApplication::exit(code).
// Tests stand in for it.
extern platform::Seam<void(int)> programExit;

}  // namespace lxtv::chrome
