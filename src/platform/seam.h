#pragma once

// A platform function that tests can stand in for. The client calls the seam like the function
// it holds; a test replaces it for a scope:
//
//     const auto fake = platform::desktopOpener.replaceWith([&](const std::string& t) { ... });
//
// and the function before comes back when `fake` goes out of scope. Calls and replacements may
// come from any thread: a call takes the function in force when it starts and runs it without
// holding the lock, so a replacement may itself call other seams or block.

#include <functional>
#include <memory>
#include <mutex>
#include <utility>

namespace lxtv::platform {

// Puts back what a seam held before a replacement, when destroyed or assigned over. An empty
// one (default-constructed, or moved from) puts back nothing.
class [[nodiscard]] Replacement {
  public:
    Replacement() = default;
    explicit Replacement(std::function<void()> undo) : undo_(std::move(undo)) {}
    Replacement(Replacement&& other) noexcept : undo_(std::exchange(other.undo_, nullptr)) {}
    Replacement& operator=(Replacement&& other) noexcept {
        if (this != &other) {
            undo();
            undo_ = std::exchange(other.undo_, nullptr);
        }
        return *this;
    }
    Replacement(const Replacement&) = delete;
    Replacement& operator=(const Replacement&) = delete;
    ~Replacement() { undo(); }

  private:
    void undo() {
        if (auto undo = std::exchange(undo_, nullptr)) undo();
    }
    std::function<void()> undo_;
};

template <typename Signature>
class Seam;

template <typename R, typename... Args>
class Seam<R(Args...)> {
  public:
    using Function = std::function<R(Args...)>;

    explicit Seam(Function real)
        : real_(std::make_shared<const Function>(std::move(real))), current_(real_) {}
    Seam(const Seam&) = delete;
    Seam& operator=(const Seam&) = delete;

    R operator()(Args... args) const {
        const std::shared_ptr<const Function> function = current();
        return (*function)(std::forward<Args>(args)...);
    }

    // Stands `replacement` in for the function until the result is destroyed; the function in
    // force before comes back then (replacements nest). An empty function stands the real one
    // in.
    Replacement replaceWith(Function replacement) {
        auto next = replacement ? std::make_shared<const Function>(std::move(replacement)) : real_;
        auto previous = install(std::move(next));
        return Replacement([this, previous = std::move(previous)] { install(previous); });
    }

  private:
    std::shared_ptr<const Function> current() const {
        std::lock_guard lock(mutex_);
        return current_;
    }
    // Returns the function that was in force.
    std::shared_ptr<const Function> install(std::shared_ptr<const Function> next) {
        std::lock_guard lock(mutex_);
        return std::exchange(current_, std::move(next));
    }

    const std::shared_ptr<const Function> real_;
    mutable std::mutex mutex_;
    std::shared_ptr<const Function> current_;
};

}  // namespace lxtv::platform
