#pragma once

// Lines for the developer, on standard error, only while LXTV_DEBUG is set. The viewer never
// sees them; failures stay silent to the viewer as they always were.

#include <string_view>

namespace lxtv::platform {

bool debugEnabled();
void debugLine(std::string_view text);

}  // namespace lxtv::platform
