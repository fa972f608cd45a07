#include "toolkit/tree_memory.h"

namespace lxtv::toolkit {

void MemoryTree::clearItems() {
    items_.clear();
    selected_ = -1;
}

int MemoryTree::addItem(int parentIndex, const std::string& text, int image, int selectedImage,
                        int value, bool bold) {
    Item item;
    item.parent = valid(parentIndex) ? parentIndex : -1;
    item.text = text;
    item.image = image < 0 ? 0 : image;
    item.selectedImage = selectedImage < 0 ? item.image : selectedImage;
    item.value = value;
    item.bold = bold;

    // The new item goes just past its parent's last descendant (the end for a top-level item).
    int pos = itemCount();
    if (item.parent >= 0) {
        int last = item.parent;
        while (items_[static_cast<std::size_t>(last)].lastChild >= 0)
            last = items_[static_cast<std::size_t>(last)].lastChild;
        pos = last + 1;
    }
    if (pos < itemCount()) {
        // Every index at or past the insertion point moves down by one.
        for (Item& other : items_) {
            if (other.parent >= pos) ++other.parent;
            if (other.lastChild >= pos) ++other.lastChild;
        }
        if (selected_ >= pos) ++selected_;
    }
    items_.insert(items_.begin() + pos, std::move(item));
    if (items_[static_cast<std::size_t>(pos)].parent >= 0)
        items_[static_cast<std::size_t>(items_[static_cast<std::size_t>(pos)].parent)].lastChild =
            pos;
    return pos;
}

int MemoryTree::itemValue(int index) const {
    return valid(index) ? items_[static_cast<std::size_t>(index)].value : 0;
}

void MemoryTree::expandItem(int index) {
    if (valid(index)) items_[static_cast<std::size_t>(index)].expanded = true;
}

int MemoryTree::parentIndex(int index) const {
    return valid(index) ? items_[static_cast<std::size_t>(index)].parent : -1;
}

std::string MemoryTree::itemText(int index) const {
    return valid(index) ? items_[static_cast<std::size_t>(index)].text : std::string();
}

int MemoryTree::selectedImageOf(int index) const {
    return valid(index) ? items_[static_cast<std::size_t>(index)].selectedImage : -1;
}

}  // namespace lxtv::toolkit
