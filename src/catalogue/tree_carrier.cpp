#include "catalogue/tree_carrier.h"

#include <QMetaObject>
#include <QPointer>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string_view>
#include <utility>

namespace lxtv::catalogue {

// One operation as the window thread will carry it out: a few numbers, the text (if any) a
// place in its batch's byte pool. A call is one of the batch's functions.
struct CarriedOp {
    enum Kind : std::uint8_t { Clear, Add, Expand, Call };
    Kind kind = Add;
    bool bold = false;
    int index = -1;  // parent for Add, item for Expand, the function's number for Call
    int image = 0;
    int selectedImage = 0;
    int value = 0;
    std::uint32_t textStart = 0;
    std::uint32_t textLength = 0;
};

// Operations handed over together.
struct CarriedBatch {
    std::vector<CarriedOp> ops;
    std::string texts;
    std::vector<std::function<void(toolkit::TreeView&)>> calls;
};

namespace {

using Clock = std::chrono::steady_clock;

// A window-thread slice works this long before it lets other events through.
constexpr auto sliceBudget = std::chrono::milliseconds(6);
// New top-level rows make the view lay out every shown row again, some 50 ns a row (10 ms for
// 210,000 rows shown, more while the builder works beside it). So new items are shown at most
// every 50 ms, and no more often than keeps those layouts to a twentieth of the window thread's
// time (a 200,000-item build is shown at its start and at its end); at once when the builder
// waits for them. The first ones are shown at once.
constexpr auto publishInterval = std::chrono::milliseconds(50);
constexpr auto publishPausePerItem = std::chrono::nanoseconds(1000);

Clock::duration publishPause(int items) {
    return std::max<Clock::duration>(publishInterval, publishPausePerItem * items);
}
// The worker hands its operations over in groups of this many.
constexpr std::size_t handOverSize = 1024;
// A slice looks at the clock once in this many operations.
constexpr std::size_t opsPerClockLook = 256;

}  // namespace

struct WindowTreeCarrier::Shared {
    std::mutex mutex;
    mutable std::condition_variable changed;
    // Guarded by mutex.
    std::deque<CarriedBatch> incoming;
    bool scheduled = false;  // a drain is posted to the window thread
    bool gone = false;       // the tree has been destroyed
    std::uint64_t issued = 0;
    std::uint64_t applied = 0;
    bool urgent = false;  // the worker waits: show what is applied as soon as the queue is empty
    // Window thread only.
    QPointer<toolkit::TreeView> tree;
    std::deque<CarriedBatch> work;
    std::size_t next = 0;           // the next operation of work.front()
    bool bulkOpen = false;          // applied operations not shown yet
    std::uint64_t unpublished = 0;  // how many
    bool publishScheduled = false;
    std::chrono::steady_clock::time_point lastPublish;
};

namespace {

void apply(toolkit::TreeView& tree, CarriedBatch& batch, const CarriedOp& op) {
    switch (op.kind) {
        case CarriedOp::Clear:
            tree.clearItems();
            break;
        case CarriedOp::Add:
            tree.addItemBytes(op.index,
                              std::string_view(batch.texts).substr(op.textStart, op.textLength),
                              op.image, op.selectedImage, op.value, op.bold);
            break;
        case CarriedOp::Expand:
            tree.expandItem(op.index);
            break;
        case CarriedOp::Call:
            // A call sees the tree as the operations before it left it.
            tree.endBulk();
            batch.calls[static_cast<std::size_t>(op.index)](tree);
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
        if (shared->incoming.empty() && shared->work.empty()) shared->urgent = false;
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
        while (!shared->incoming.empty()) {
            shared->work.push_back(std::move(shared->incoming.front()));
            shared->incoming.pop_front();
        }
    }
    const auto deadline = Clock::now() + sliceBudget;
    std::uint64_t done = 0;
    if (!shared->bulkOpen) {
        tree->beginBulk();
        shared->bulkOpen = true;
    }
    while (!shared->work.empty()) {
        CarriedBatch& batch = shared->work.front();
        apply(*tree, batch, batch.ops[shared->next]);
        ++done;
        if (++shared->next == batch.ops.size()) {
            shared->work.pop_front();
            shared->next = 0;
        }
        if (done % opsPerClockLook == 0 && Clock::now() >= deadline) break;
    }
    shared->unpublished += done;

    bool more;
    bool urgent;
    {
        std::lock_guard lock(shared->mutex);
        more = !shared->work.empty() || !shared->incoming.empty();
        if (!more) shared->scheduled = false;
        urgent = shared->urgent;
    }
    const auto sinceLast = Clock::now() - shared->lastPublish;
    const auto pause = publishPause(tree->itemCount());
    if (sinceLast >= pause || (!more && urgent)) {
        publish(shared, tree);
    } else if (!more && !shared->publishScheduled) {
        shared->publishScheduled = true;
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(pause - sinceLast);
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
    : shared_(std::make_shared<Shared>()), batch_(std::make_unique<CarriedBatch>()) {
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
    batch_->ops.reserve(handOverSize);
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

void WindowTreeCarrier::push(const CarriedOp& op, std::string_view text) {
    CarriedOp& pushed = batch_->ops.emplace_back(op);
    pushed.textStart = static_cast<std::uint32_t>(batch_->texts.size());
    pushed.textLength = static_cast<std::uint32_t>(text.size());
    batch_->texts.append(text);
    if (batch_->ops.size() >= handOverSize) handOver();
}

void WindowTreeCarrier::handOver() const {
    if (batch_->ops.empty()) return;
    bool start = false;
    toolkit::TreeView* tree = nullptr;
    {
        std::lock_guard lock(shared_->mutex);
        shared_->issued += batch_->ops.size();
        if (shared_->gone) {
            shared_->applied = shared_->issued;
        } else {
            shared_->incoming.push_back(std::move(*batch_));
            if (!shared_->scheduled) {
                shared_->scheduled = true;
                start = true;
                tree = shared_->tree.data();
            }
        }
    }
    *batch_ = CarriedBatch();
    batch_->ops.reserve(handOverSize);
    if (start && tree != nullptr) post(shared_, tree);
}

void WindowTreeCarrier::clearItems() {
    mirror_.clearItems();
    CarriedOp op;
    op.kind = CarriedOp::Clear;
    push(op, {});
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
    push(op, text);
    return index;
}

void WindowTreeCarrier::expandItem(int index) {
    mirror_.expandItem(index);
    CarriedOp op;
    op.kind = CarriedOp::Expand;
    op.index = index;
    push(op, {});
}

int WindowTreeCarrier::selectedIndex() const {
    auto result = std::make_shared<int>(-1);
    CarriedOp op;
    op.kind = CarriedOp::Call;
    op.index = static_cast<int>(batch_->calls.size());
    batch_->calls.push_back([result](toolkit::TreeView& tree) { *result = tree.selectedIndex(); });
    batch_->ops.push_back(op);
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
