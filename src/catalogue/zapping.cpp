#include "catalogue/zapping.h"

#include "catalogue/tree_images.h"
#include "chrome/main_window.h"

namespace lxtv::catalogue {

int neighbourChannel(const toolkit::TreeOperations& tree, int from, int step) {
    const int count = tree.itemCount();
    if (count <= 0 || step == 0) return -1;
    const int direction = step > 0 ? 1 : -1;
    int remaining = step > 0 ? step : -step;
    // From no item, start just outside the end the walk comes from.
    int at = (from >= 0 && from < count) ? from : (direction > 0 ? -1 : count);
    int found = -1;
    // A lap of the tree per step at most: a tree without a channel ends the walk.
    const long limit = static_cast<long>(count) * remaining;
    for (long walked = 0; remaining > 0 && walked < limit; ++walked) {
        at = ((at + direction) % count + count) % count;
        if (tree.selectedImageOf(at) != channelImage) continue;
        found = at;
        --remaining;
    }
    return remaining == 0 ? found : -1;
}

void onZapRequested(int step) {
    if (!chrome::hasMainWindow()) return;
    toolkit::TreeView& tree = *chrome::mainWindow().categoryTree;
    const int selected = tree.selectedIndex();
    const int next = neighbourChannel(tree, selected, step);
    if (next < 0 || next == selected) return;
    const int category = tree.parentIndex(next);
    if (category >= 0 && !tree.isItemExpanded(category)) tree.expandItem(category);
    // Raises the tree's selection-changed event, whose handler opens the channel.
    tree.setSelectedIndex(next);
}

}  // namespace lxtv::catalogue
