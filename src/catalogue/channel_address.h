#pragma once

// The text work on a channel's catalogue value, apart from the tree and the window.

#include <string>

namespace lxtv::catalogue {

// The page address cut out of a channel's catalogue value.
std::string channelAddress(const std::string& value);

// True for an address that the browser would run as script in the page shown ("javascript:",
// any letter case, read the way the engine reads an address: leading blanks and control bytes
// skipped, tabs and line breaks ignored).
bool isScriptAddress(const std::string& address);

}  // namespace lxtv::catalogue
