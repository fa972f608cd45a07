// Zapping: which item is the next or previous channel of the tree.

#include "catalogue/zapping.h"

#include <gtest/gtest.h>

#include "catalogue/tree_images.h"
#include "toolkit/tree_memory.h"

namespace lxtv::test {
namespace {

using catalogue::neighbourChannel;

TEST(Zapping, NeighbourChannelSkipsWhatIsNoChannelAndWrapsRound) {
    using namespace catalogue;
    toolkit::MemoryTree tree;
    tree.addItem(0, "header", headerImage, headerImage, 0, true);                        // 0
    const int a = tree.addItem(-1, "A", categoryImage, selectedCategoryImage, 1, true);  // 1
    tree.addItem(a, "a1", channelImage, channelImage, 0, false);                         // 2
    tree.addItem(a, "a2", channelImage, channelImage, 0, false);                         // 3
    tree.addItem(-1, "B (empty)", categoryImage, selectedCategoryImage, 2, true);        // 4
    const int c = tree.addItem(-1, "C", categoryImage, selectedCategoryImage, 3, true);  // 5
    tree.addItem(c, "c1", channelImage, channelImage, 0, false);                         // 6
    tree.addItem(tree.itemCount(), "more", moreFilmsImage, moreFilmsImage, 0, true);     // 7

    const struct {
        int from, step, next;
    } cases[] = {
        {2, 1, 3},    // the next in the same category
        {3, 1, 6},    // over an empty category and the next category's item
        {6, 1, 2},    // past the last channel, round to the first
        {2, -1, 6},   // before the first, round to the last
        {6, -1, 3},   // back into the category before
        {-1, 1, 2},   // nothing selected: the first channel going forward
        {-1, -1, 6},  // and the last going back
        {0, 1, 2},    // from the header
        {5, -1, 3},   // from a category, back
        {7, 1, 2},    // from the more-films item, forward (wraps)
        {2, 2, 6},    // two steps
        {99, 1, 2},   // an index that names no item is no item
    };
    for (const auto& k : cases)
        EXPECT_EQ(neighbourChannel(tree, k.from, k.step), k.next) << k.from << " by " << k.step;
}

TEST(Zapping, TreesWithOneChannelOrNone) {
    using namespace catalogue;
    toolkit::MemoryTree empty;
    EXPECT_EQ(neighbourChannel(empty, -1, 1), -1);

    toolkit::MemoryTree noChannel;
    noChannel.addItem(0, "header", headerImage, headerImage, 0, true);
    noChannel.addItem(-1, "A", categoryImage, selectedCategoryImage, 1, true);
    noChannel.addItem(noChannel.itemCount(), "more", moreFilmsImage, moreFilmsImage, 0, true);
    EXPECT_EQ(neighbourChannel(noChannel, 1, 1), -1);
    EXPECT_EQ(neighbourChannel(noChannel, -1, -3), -1);

    toolkit::MemoryTree one;
    const int a = one.addItem(-1, "A", categoryImage, selectedCategoryImage, 1, true);
    const int only = one.addItem(a, "a1", channelImage, channelImage, 0, false);
    EXPECT_EQ(neighbourChannel(one, only, 1), only);
    EXPECT_EQ(neighbourChannel(one, only, -1), only);
}

}  // namespace
}  // namespace lxtv::test
