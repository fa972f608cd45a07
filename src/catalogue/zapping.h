#pragma once

// Zapping: the next or previous channel of categoryTree, as a remote control's channel keys
// step through them while the browser view covers the screen.

#include "toolkit/tree_view.h"

namespace lxtv::catalogue {

// The index of the channel item `step` channels away from the item at `from` in the tree's
// pre-order (1 the next, -1 the previous), skipping the header, the categories and the
// more-films item, and wrapping round at either end. From no item, or from an item that is not
// a channel, the first channel after it (going forward) or before it (going back). -1 when
// the tree holds no channel.
int neighbourChannel(const toolkit::TreeOperations& tree, int from, int step);

// Handler of browserView's zap request: selects the neighbouring channel, expanding its
// category when collapsed, and the selection opens it as any selection does.
void onZapRequested(int step);

}  // namespace lxtv::catalogue
