#pragma once

#include <optional>
#include <string>

#include "toolkit/tree_view.h"

namespace lxtv::catalogue {

// Handler of categoryTree's selection-changed event, whatever moved the selection.
void onCategoryTreeSelectionChanged(toolkit::SelectionCause cause);

// The page address cut out of a channel's catalogue value.
std::string channelAddress(const std::string& value);

// What selecting the tree's selected item opens: the site's home page for the more-films item,
// the channel's address for a channel, nothing for any other item or for a script address.
std::optional<std::string> selectionAddress(const toolkit::TreeOperations& tree,
                                            const std::string& iniPath);

// True for an address that the browser would run as script in the page shown ("javascript:",
// any letter case, read the way the engine reads an address: leading blanks and control bytes
// skipped, tabs and line breaks ignored).
bool isScriptAddress(const std::string& address);

}  // namespace lxtv::catalogue
