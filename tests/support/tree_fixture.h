#pragma once

// Shared helpers of the tree tests.

#include <string>
#include <vector>

#include "platform/ansi.h"
#include "support/test_support.h"

namespace lxtv::test {

// One row per item in index order: "depth text image/selected value flags" (flags: b bold,
// e expanded), texts as UTF-8. Works for the widget and the in-memory tree alike.
template <typename Tree>
std::vector<std::string> describeItems(const Tree& tree) {
    std::vector<std::string> rows;
    for (int i = 0; i < tree.itemCount(); ++i) {
        int depth = 0;
        for (int p = tree.parentIndex(i); p >= 0; p = tree.parentIndex(p)) ++depth;
        std::string row =
            std::to_string(depth) + " " + platform::toQString(tree.itemText(i)).toStdString() +
            " " + std::to_string(tree.imageOf(i)) + "/" + std::to_string(tree.selectedImageOf(i)) +
            " " + std::to_string(tree.itemValue(i)) + " ";
        if (tree.isItemBold(i)) row += "b";
        if (tree.isItemExpanded(i)) row += "e";
        rows.push_back(row);
    }
    return rows;
}

// A catalogue of `categories` sections of `channels` keys each (mostly kind 1, every fifth
// kind 2, every seventh of another kind), every key list well within 256 bytes, Chinese names.
// `maximize` is the value of "最大化" in "config".
std::string generatedCatalogue(int categories, int channels, const char* maximize);

}  // namespace lxtv::test
