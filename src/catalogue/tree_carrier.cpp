#include "catalogue/tree_carrier.h"

#include <QMetaObject>
#include <QPointer>
#include <QTimer>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <utility>

namespace lxtv::catalogue {

struct CarriedOp {
    enum Kind { Clear, Add, Expand, Call } kind = Add;
    int index = -1;  // parent for Add, item for Expand
    int image = 0;
    int selectedImage = 0;
    int value = 0;
    bool bold = false;
    std::string text;
    std::function<void(toolkit::TreeView&)> call;
};

namespace {

using Clock = std::chrono::steady_clock;

// A window-thread slice works this long before it lets other events through.
constexpr auto sliceBudget = std::chrono::milliseconds(6);
// New top-level rows make the view lay out every shown row again, which grows with the tree;
// so new items are shown at most this often, unless the builder is waiting for them.
constexpr auto publishInterval = std::chrono::milliseconds(25);
// The worker hands its operations over in groups of this many.
constexpr std::size_t handOverSize = 512;

}  // namespace

struct WindowTreeCarrier::Shared {
    std::mutex mutex;
    mutable std::condition_variable changed;
    // Guarded by mutex.
    std::vector<CarriedOp> incoming;
    bool scheduled = false;  // a drain is posted to the window thread
    bool gone = false;       // the tree has been destroyed
    std::uint64_t issued = 0;
    std::uint64_t applied = 0;
    bool urgent = false;  // the worker waits: show what is applied as soon as the queue is empty
    // Window thread only.
    QPointer<toolkit::TreeView> tree;
    std::vector<CarriedOp> work;
    std::size_t next = 0;
    bool bulkOpen = false;          // applied operations not shown yet
    std::uint64_t unpublished = 0;  // how many
    bool publishScheduled = false;
    std::chrono::steady_clock::time_point lastPublish;
};

namespace {

void apply(toolkit::TreeView& tree, CarriedOp& op) {
    switch (op.kind) {
        case CarriedOp::Clear:
            tree.clearItems();
            break;
        case CarriedOp::Add:
            tree.addItem(op.index, op.text, op.image, op.selectedImage, op.value, op.bold);
            break;
        case CarriedOp::Expand:
            tree.expandItem(op.index);
            break;
        case CarriedOp::Call:
            // A call sees the tree as the operations before it left it.
            tree.endBulk();
            op.call(tree);
            tree.beginBulk();
            break;
    }
}

void post(const std::shared_ptr<WindowTreeCarrier::Shared>& shared, toolkit::TreeView* tree);

// Window thread: puts every applied operation on screen and counts it as done.
void publish(const std::shared_ptr<WindowTreeCarrier::Shared>& shared, toolkit::TreeView* tree) {
    if (shared->bulkOpen) {
        tree->endBulk();
        shared->bulkOpen = false;
    }
    shared->lastPublish = Clock::now();
    {
        std::lock_guard lock(shared->mutex);
        shared->applied += shared->unpublished;
        if (shared->incoming.empty() && shared->next >= shared->work.size()) shared->urgent = false;
    }
    shared->unpublished = 0;
    shared->changed.notify_all();
}

// Runs on the window thread: applies operations for one slice and comes back through the event
// queue while more are waiting. The tree stays in bulk mode between slices (the viewer can
// still select the items shown); what is applied reaches the view at the next publish.
void drain(const std::shared_ptr<WindowTreeCarrier::Shared>& shared) {
    toolkit::TreeView* tree = shared->tree.data();
    if (tree == nullptr) return;
    {
        std::lock_guard lock(shared->mutex);
        if (shared->next >= shared->work.size()) {
            shared->work.clear();
            shared->next = 0;
            shared->work.swap(shared->incoming);
        } else {
            for (CarriedOp& op : shared->incoming) shared->work.push_back(std::move(op));
            shared->incoming.clear();
        }
    }
    const auto deadline = Clock::now() + sliceBudget;
    std::uint64_t done = 0;
    if (!shared->bulkOpen) {
        tree->beginBulk();
        shared->bulkOpen = true;
    }
    while (shared->next < shared->work.size()) {
        apply(*tree, shared->work[shared->next]);
        shared->work[shared->next] = CarriedOp();
        ++shared->next;
        ++done;
        if ((done & 63) == 0 && Clock::now() >= deadline) break;
    }
    shared->unpublished += done;

    bool more;
    bool urgent;
    {
        std::lock_guard lock(shared->mutex);
        more = shared->next < shared->work.size() || !shared->incoming.empty();
        if (!more) shared->scheduled = false;
        urgent = shared->urgent;
    }
    const auto sinceLast = Clock::now() - shared->lastPublish;
    if (sinceLast >= publishInterval || (!more && urgent)) {
        publish(shared, tree);
    } else if (!more && !shared->publishScheduled) {
        shared->publishScheduled = true;
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(publishInterval - sinceLast);
        QTimer::singleShot(wait, tree, [shared] {
            shared->publishScheduled = false;
            if (toolkit::TreeView* t = shared->tree.data()) publish(shared, t);
        });
    }
    if (more) post(shared, tree);
}

void post(const std::shared_ptr<WindowTreeCarrier::Shared>& shared, toolkit::TreeView* tree) {
    QMetaObject::invokeMethod(
        tree, [shared] { drain(shared); }, Qt::QueuedConnection);
}

}  // namespace

WindowTreeCarrier::WindowTreeCarrier(toolkit::TreeView* tree)
    : shared_(std::make_shared<Shared>()) {
    shared_->tree = tree;
    if (tree == nullptr) {
        shared_->gone = true;
        return;
    }
    std::weak_ptr<Shared> weak = shared_;
    QObject::connect(tree, &QObject::destroyed, [weak] {
        if (auto shared = weak.lock()) {
            {
                std::lock_guard lock(shared->mutex);
                shared->gone = true;
            }
            shared->changed.notify_all();
        }
    });
    buffer_.reserve(handOverSize);
}

WindowTreeCarrier::~WindowTreeCarrier() {
    // The last items are shown without the usual pause.
    markUrgent();
    handOver();
}

void WindowTreeCarrier::markUrgent() const {
    std::lock_guard lock(shared_->mutex);
    shared_->urgent = true;
}

void WindowTreeCarrier::push(CarriedOp&& op) {
    buffer_.push_back(std::move(op));
    if (buffer_.size() >= handOverSize) handOver();
}

void WindowTreeCarrier::handOver() const {
    if (buffer_.empty()) return;
    bool start = false;
    toolkit::TreeView* tree = nullptr;
    {
        std::lock_guard lock(shared_->mutex);
        shared_->issued += buffer_.size();
        if (shared_->gone) {
            shared_->applied = shared_->issued;
        } else {
            if (shared_->incoming.empty()) {
                shared_->incoming.swap(buffer_);
            } else {
                for (CarriedOp& op : buffer_) shared_->incoming.push_back(std::move(op));
            }
            if (!shared_->scheduled) {
                shared_->scheduled = true;
                start = true;
                tree = shared_->tree.data();
            }
        }
    }
    buffer_.clear();
    buffer_.reserve(handOverSize);
    if (start && tree != nullptr) post(shared_, tree);
}

void WindowTreeCarrier::clearItems() {
    mirror_.clearItems();
    CarriedOp op;
    op.kind = CarriedOp::Clear;
    push(std::move(op));
}

int WindowTreeCarrier::addItem(int parentIndex, const std::string& text, int image,
                               int selectedImage, int value, bool bold) {
    const int index = mirror_.addItem(parentIndex, text, image, selectedImage, value, bold);
    CarriedOp op;
    op.kind = CarriedOp::Add;
    op.index = parentIndex;
    op.image = image;
    op.selectedImage = selectedImage;
    op.value = value;
    op.bold = bold;
    op.text = text;
    push(std::move(op));
    return index;
}

void WindowTreeCarrier::expandItem(int index) {
    mirror_.expandItem(index);
    CarriedOp op;
    op.kind = CarriedOp::Expand;
    op.index = index;
    push(std::move(op));
}

int WindowTreeCarrier::selectedIndex() const {
    auto result = std::make_shared<int>(-1);
    CarriedOp op;
    op.kind = CarriedOp::Call;
    op.call = [result](toolkit::TreeView& tree) { *result = tree.selectedIndex(); };
    buffer_.push_back(std::move(op));
    waitUntilShown();
    return *result;
}

void WindowTreeCarrier::waitUntilShown() const {
    markUrgent();
    handOver();
    std::unique_lock lock(shared_->mutex);
    const std::uint64_t target = shared_->issued;
    shared_->changed.wait(lock, [&] { return shared_->gone || shared_->applied >= target; });
}

}  // namespace lxtv::catalogue
