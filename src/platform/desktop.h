#pragma once

// Stand-in for ShellExecuteA "open": hands a file path or an address to the desktop's opener
// and returns at once. The result is never examined.

#include <functional>
#include <string>

namespace lxtv::platform {

// `target` is a file-system path (the file system's own bytes) or an address.
void openWithDesktop(const std::string& target);

// Tests replace the opener to see what would have been opened; an empty function restores the
// real one. Returns the previous opener.
using DesktopOpener = std::function<void(const std::string&)>;
DesktopOpener setDesktopOpener(DesktopOpener opener);

}  // namespace lxtv::platform
