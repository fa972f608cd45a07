#pragma once

// Stand-in for ShellExecuteA "open": hands a file path or an address to the desktop's opener
// and returns at once. The result is never examined.

#include <string>

#include "platform/seam.h"

namespace lxtv::platform {

// `target` is a file-system path (the file system's own bytes) or an address.
void openWithDesktop(const std::string& target);

// The opener openWithDesktop hands to; tests stand in for it to see what would be opened.
extern Seam<void(const std::string&)> desktopOpener;

}  // namespace lxtv::platform
