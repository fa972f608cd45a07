#pragma once

#include <string>

namespace lxtv::catalogue {

// Handler of categoryTree's selection-changed event (cause: 0 mouse, 1 keyboard, 2 other).
void onCategoryTreeSelectionChanged(int cause);

// The page address cut out of a channel's catalogue value.
std::string channelAddress(const std::string& value);

}  // namespace lxtv::catalogue
