#pragma once

// Keeps a page's script dialogs (alert, confirm, prompt, leave-page) from trapping the viewer:
// once a page has asked for more than three within five seconds, it gets none until its next
// navigation.
//
// The five seconds are the page's own time: a modal dialog stops the page's scripts, so the
// time a dialog stands open belongs to the viewer, not to the page. An alert() loop asks for
// its next dialog the moment the last one closes, however slowly the viewer reads them.

#include <chrono>
#include <deque>

namespace lxtv::toolkit {

class DialogThrottle {
  public:
    using Clock = std::chrono::steady_clock;
    static constexpr int allowed = 3;
    static constexpr Clock::duration window = std::chrono::seconds(5);

    explicit DialogThrottle(Clock::time_point now = Clock::now()) { reset(now); }

    // The page asks for a dialog now: true when it may be shown (it then counts as open until
    // closed() is called), false when it is swallowed.
    bool allow(Clock::time_point now);
    // The dialog last allowed has closed.
    void closed(Clock::time_point now);
    // A new navigation: the page starts afresh.
    void reset(Clock::time_point now);

    bool blocked() const { return blocked_; }

  private:
    Clock::duration pageTime(Clock::time_point now) const;

    std::deque<Clock::duration> shown_;  // page times of the dialogs within the window
    Clock::duration runBefore_{};        // page time up to the last pause
    Clock::time_point resumedAt_;        // when the page last ran on from a pause
    bool dialogOpen_ = false;
    bool blocked_ = false;
};

}  // namespace lxtv::toolkit
