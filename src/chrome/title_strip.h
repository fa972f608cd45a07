#pragma once

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

}  // namespace lxtv::chrome
