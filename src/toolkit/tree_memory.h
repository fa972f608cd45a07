#pragma once

// A tree held in memory with the same operations and indexing as the tree view widget. The
// builder's window-thread carrier keeps one as its mirror, so it can answer the builder at once;
// tests drive the builder against one directly.

#include <string>
#include <vector>

#include "toolkit/tree_view.h"

namespace lxtv::toolkit {

class MemoryTree : public TreeOperations {
  public:
    struct Item {
        int parent = -1;     // pre-order index of the parent, -1 at the top level
        int lastChild = -1;  // pre-order index of the last child, -1 for none
        std::string text;
        int image = 0;
        int selectedImage = 0;
        int value = 0;
        bool bold = false;
        bool expanded = false;
    };

    void clearItems() override;
    int addItem(int parentIndex, const std::string& text, int image, int selectedImage, int value,
                bool bold) override;
    int itemCount() const override { return static_cast<int>(items_.size()); }
    int itemValue(int index) const override;
    void expandItem(int index) override;
    int parentIndex(int index) const override;
    std::string itemText(int index) const override;
    int selectedImageOf(int index) const override;
    int selectedIndex() const override { return selected_; }

    void setSelectedIndex(int index) { selected_ = valid(index) ? index : -1; }
    int imageOf(int index) const { return valid(index) ? at(index).image : -1; }
    bool isItemBold(int index) const { return valid(index) && at(index).bold; }
    bool isItemExpanded(int index) const { return valid(index) && at(index).expanded; }
    const std::vector<Item>& items() const { return items_; }

  private:
    bool valid(int index) const { return index >= 0 && index < itemCount(); }
    const Item& at(int index) const { return items_[static_cast<std::size_t>(index)]; }

    std::vector<Item> items_;  // in pre-order
    int selected_ = -1;
};

}  // namespace lxtv::toolkit
