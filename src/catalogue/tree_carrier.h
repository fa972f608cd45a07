#pragma once

// Carries tree operations from a worker thread to a tree view that belongs to the window
// thread. Operations take effect there in the order issued, in time-sliced batches, so the
// window thread keeps handling events and never waits for the worker. The worker is answered
// at once from a mirror of the tree that sees the same operations in the same order.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/tree_memory.h"
#include "toolkit/tree_view.h"

namespace lxtv::catalogue {

struct CarriedOp;
struct CarriedBatch;

class WindowTreeCarrier : public toolkit::TreeOperations {
  public:
    // Call on the worker thread with a tree that already exists. The mirror starts empty, so
    // the first operation should be clearItems.
    explicit WindowTreeCarrier(toolkit::TreeView* tree);
    // Hands over what is still buffered; does not wait for it to take effect.
    ~WindowTreeCarrier() override;
    WindowTreeCarrier(const WindowTreeCarrier&) = delete;
    WindowTreeCarrier& operator=(const WindowTreeCarrier&) = delete;

    void clearItems() override;
    int addItem(int parentIndex, const std::string& text, int image, int selectedImage, int value,
                bool bold) override;
    int itemCount() const override { return mirror_.itemCount(); }
    int itemValue(int index) const override { return mirror_.itemValue(index); }
    void expandItem(int index) override;
    int parentIndex(int index) const override { return mirror_.parentIndex(index); }
    std::string itemText(int index) const override { return mirror_.itemText(index); }
    int selectedImageOf(int index) const override { return mirror_.selectedImageOf(index); }
    // The viewer's selection lives on the window thread: this one waits for it.
    int selectedIndex() const override;

    // Returns once every operation issued so far has taken effect on the window thread, or the
    // tree has been destroyed.
    void waitUntilShown() const;

    struct Shared;

  private:
    void push(const CarriedOp& op, std::string_view text);
    void handOver() const;
    void markUrgent() const;

    std::shared_ptr<Shared> shared_;
    toolkit::MemoryTree mirror_;
    // What is not handed over yet.
    std::unique_ptr<CarriedBatch> batch_;
};

}  // namespace lxtv::catalogue
