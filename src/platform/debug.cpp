#include "platform/debug.h"

#include <cstdio>
#include <cstdlib>

namespace lxtv::platform {

bool debugEnabled() {
    static const bool enabled = std::getenv("LXTV_DEBUG") != nullptr;
    return enabled;
}

void debugLine(std::string_view text) {
    if (!debugEnabled()) return;
    std::fprintf(stderr, "lxtv: %.*s\n", static_cast<int>(text.size()), text.data());
}

}  // namespace lxtv::platform
