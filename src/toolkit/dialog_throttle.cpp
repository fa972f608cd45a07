#include "toolkit/dialog_throttle.h"

namespace lxtv::toolkit {

DialogThrottle::Clock::duration DialogThrottle::pageTime(Clock::time_point now) const {
    if (dialogOpen_ || now < resumedAt_) return runBefore_;
    return runBefore_ + (now - resumedAt_);
}

bool DialogThrottle::allow(Clock::time_point now) {
    if (blocked_) return false;
    const Clock::duration t = pageTime(now);
    while (!shown_.empty() && t - shown_.front() >= window) shown_.pop_front();
    if (static_cast<int>(shown_.size()) >= allowed) {
        blocked_ = true;
        shown_.clear();
        return false;
    }
    shown_.push_back(t);
    runBefore_ = t;
    dialogOpen_ = true;
    return true;
}

void DialogThrottle::closed(Clock::time_point now) {
    if (!dialogOpen_) return;
    dialogOpen_ = false;
    resumedAt_ = now;
}

void DialogThrottle::reset(Clock::time_point now) {
    shown_.clear();
    runBefore_ = {};
    resumedAt_ = now;
    dialogOpen_ = false;
    blocked_ = false;
}

}  // namespace lxtv::toolkit
