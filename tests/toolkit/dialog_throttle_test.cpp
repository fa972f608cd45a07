// The script-dialog throttle: more than three dialogs within five seconds of the page's own
// time silence the page until its next navigation.

#include "toolkit/dialog_throttle.h"

#include <gtest/gtest.h>

#include <vector>

namespace lxtv::test {
namespace {

using toolkit::DialogThrottle;
using namespace std::chrono_literals;

struct Ask {
    std::chrono::milliseconds at;    // when the page asks, from the start
    std::chrono::milliseconds open;  // how long the viewer keeps the dialog open
};

// Runs the asks in order and tells which dialogs were shown.
std::vector<bool> run(const std::vector<Ask>& asks) {
    const auto start = DialogThrottle::Clock::time_point{} + 1h;
    DialogThrottle throttle(start);
    std::vector<bool> shown;
    for (const Ask& a : asks) {
        const bool allowed = throttle.allow(start + a.at);
        shown.push_back(allowed);
        if (allowed) throttle.closed(start + a.at + a.open);
    }
    return shown;
}

TEST(DialogThrottle, CountsDialogsWithinFiveSecondsOfThePagesOwnTime) {
    const struct {
        const char* what;
        std::vector<Ask> asks;
        std::vector<bool> shown;
    } cases[] = {
        {"three at once are shown", {{0ms, 0ms}, {0ms, 0ms}, {0ms, 0ms}}, {true, true, true}},
        {"a fourth within five seconds is not, nor any after it",
         {{0ms, 0ms}, {1s, 0ms}, {2s, 0ms}, {3s, 0ms}, {60s, 0ms}},
         {true, true, true, false, false}},
        {"dialogs spread wider than five seconds all show",
         {{0ms, 0ms}, {2s, 0ms}, {4s, 0ms}, {6s, 0ms}, {8s, 0ms}, {10s, 0ms}},
         {true, true, true, true, true, true}},
        // An alert() loop asks again the moment a dialog closes: however long the viewer reads
        // each one, the page's own clock stands still meanwhile.
        {"a loop read slowly by the viewer is still stopped after three",
         {{0ms, 10s}, {10s, 10s}, {20s, 10s}, {30s, 10s}},
         {true, true, true, false}},
        {"exactly five seconds of page time apart counts afresh",
         {{0ms, 0ms}, {0ms, 0ms}, {0ms, 0ms}, {5s, 0ms}},
         {true, true, true, true}},
    };
    for (const auto& c : cases) EXPECT_EQ(run(c.asks), c.shown) << c.what;
}

// A new navigation gives the page its dialogs back.
TEST(DialogThrottle, ANavigationResetsIt) {
    const auto t = DialogThrottle::Clock::time_point{} + 1h;
    DialogThrottle throttle(t);
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(throttle.allow(t));
        throttle.closed(t);
    }
    EXPECT_FALSE(throttle.allow(t));
    EXPECT_TRUE(throttle.blocked());
    throttle.reset(t + 1ms);
    EXPECT_FALSE(throttle.blocked());
    EXPECT_TRUE(throttle.allow(t + 1ms));
}

}  // namespace
}  // namespace lxtv::test
