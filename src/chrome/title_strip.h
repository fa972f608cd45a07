#pragma once

#include "platform/seam.h"

namespace lxtv::chrome {

// Creates the title strip's six objects and records their ids in AppState::stripObjectIds.
void buildTitleStrip();

// Normal <-> maximized, and a strip drag in progress ends (with its pending action) since the
// window it moved is no longer where it was. Callable from the window thread and from the
// catalogue worker thread: the flag's change and every window operation are then one step on
// the window thread, the caller waiting, so no press on the strip can come between them.
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
// A release that never reached the strip: the drag ends where the pointer was last seen held,
// and the pressed object's action is dropped. The viewer let go somewhere else, maybe minutes
// ago; a close or a minimize must not fire the next time the pointer crosses the strip.
void onStripButtonLost(int globalX, int globalY);

// How the close object ends the program after the window is gone: QApplication::exit(code).
// Tests stand in for it.
extern platform::Seam<void(int)> programExit;

}  // namespace lxtv::chrome
