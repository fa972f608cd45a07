#pragma once

#include <optional>
#include <string>

#include "catalogue/channel_address.h"
#include "toolkit/tree_view.h"

namespace lxtv::catalogue {

// Handler of categoryTree's selection-changed event, whatever moved the selection.
void onCategoryTreeSelectionChanged(toolkit::SelectionCause cause);

// What selecting the tree's selected item opens: the site's home page for the more-films item,
// the channel's address for a channel, nothing for any other item or for a script address.
std::optional<std::string> selectionAddress(const toolkit::TreeOperations& tree,
                                            const std::string& iniPath);

}  // namespace lxtv::catalogue
