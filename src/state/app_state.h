#pragma once

// The one process-wide record that every handler shares. Texts are code page 936 bytes
// (paths: the file system's bytes); arrays are std::vector, indexed from 0 in code.

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace lxtv::state {

// A file type that has met the movie list's image list in the current fill, and the slot of
// the icon its files show.
struct KnownIcon {
    std::string extension;
    int slot = 1;
};

// The window drag that a press on the normal-state title strip starts. The pressed object's
// action waits for the release, as it would behind a modal move loop. Global positions.
struct StripDrag {
    bool active = false;
    int startPointerX = 0, startPointerY = 0;
    int startWindowX = 0, startWindowY = 0;
    bool actionPending = false;
    int pendingId = 0;
};

struct AppState {
    // 0 normal, 1 maximized by the title strip. Written by the tree builder's thread too (through
    // the toggle) while the window thread reads it, hence atomic; no lock guards the record.
    std::atomic<std::int32_t> isMaximized = 0;
    std::string currentFolder;                   // folder shown in the movie list
    std::string folderRootText;                  // never assigned; stays empty
    std::string fileIconImages;                  // image list of the movie list, as bytes
    std::vector<KnownIcon> knownIconExtensions;  // file types with an icon in that list
    std::string catalogueIniPath;                // local catalogue copy, set once at creation
    std::vector<std::int32_t> stripObjectIds;    // ids of the title strip's objects

    // The window thread's own: nothing to release.
    StripDrag stripDrag;
};

// The record itself; zero-filled at process start.
AppState& appState();

void initAppState();

// Back to the zero-filled state of process start; tests run many starts in one process.
void resetAppState();
void releaseAppState();

// How many times releaseAppState has run in this process (the exit routine runs once).
int releaseCount();

}  // namespace lxtv::state
