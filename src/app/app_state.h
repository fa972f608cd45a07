#pragma once

// The one process-wide record that every handler shares. Texts are code page 936 bytes
// (paths: the file system's bytes); arrays are std::vector, indexed from 0 in code.

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

namespace lxtv::app {

struct AppState {
    // 0 normal, 1 maximized by the title strip. Written by the tree builder's thread too (through
    // the toggle) while the window thread reads it, hence atomic; no lock guards the record.
    std::atomic<std::int32_t> isMaximized = 0;
    std::string currentFolder;                     // folder shown in the movie list
    std::string folderRootText;                    // never assigned; stays empty
    std::string fileIconImages;                    // image list of the movie list, as bytes
    std::vector<std::string> knownIconExtensions;  // file types with an icon in that list
    std::string catalogueIniPath;                  // local catalogue copy, set once at creation
    std::vector<std::int32_t> stripObjectIds;      // ids of the title strip's objects
};

// The record itself; zero-filled at process start.
AppState& appState();

void initAppState();

// Back to the zero-filled state of process start; tests run many starts in one process.
void resetAppState();
void releaseAppState();

// How many times releaseAppState has run in this process (the exit routine runs once).
int releaseCount();

// The folder that holds the program file, without a trailing "/".
std::string runDirectory();

}  // namespace lxtv::app
