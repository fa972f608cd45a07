// The one way tests stand in for a platform function.

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "platform/seam.h"

namespace lxtv::platform {
namespace {

std::string real(const std::string& s) {
    return "real " + s;
}

// A replacement holds while it lives and nests; the one before comes back in every case, an
// empty replacement stands the real function in, and a moved replacement undoes once.
TEST(Seam, ReplacementsNestAndUndo) {
    Seam<std::string(const std::string&)> seam(real);
    EXPECT_EQ(seam("a"), "real a");
    {
        const Replacement outer =
            seam.replaceWith([](const std::string& s) { return "outer " + s; });
        EXPECT_EQ(seam("b"), "outer b");
        {
            const Replacement inner = seam.replaceWith({});
            EXPECT_EQ(seam("c"), "real c");
        }
        EXPECT_EQ(seam("d"), "outer d");
        Replacement moved = seam.replaceWith([](const std::string& s) { return "moved " + s; });
        Replacement target = std::move(moved);
        EXPECT_EQ(seam("e"), "moved e");
        target = {};
        EXPECT_EQ(seam("f"), "outer f");
    }
    EXPECT_EQ(seam("g"), "real g");
}

// Calls from worker threads see either function, never a torn one, while the window thread
// replaces it.
TEST(Seam, CallsFromOtherThreadsWhileReplacing) {
    Seam<int(int)> seam([](int x) { return x; });
    std::atomic<bool> stop = false;
    std::atomic<int> odd = 0;
    std::vector<std::thread> workers;
    for (int t = 0; t < 4; ++t)
        workers.emplace_back([&] {
            while (!stop)
                if (const int v = seam(1); v != 1 && v != 2) ++odd;
        });
    for (int i = 0; i < 2000; ++i) {
        const Replacement twice = seam.replaceWith([](int x) { return 2 * x; });
        std::this_thread::yield();
    }
    stop = true;
    for (auto& w : workers) w.join();
    EXPECT_EQ(odd, 0);

    // No lock is held while the function runs: it may replace the very seam it runs in.
    Seam<int(int)> nested([](int x) { return x; });
    Replacement later;
    Replacement first = nested.replaceWith([&](int x) {
        later = nested.replaceWith([](int y) { return -y; });
        return x;
    });
    EXPECT_EQ(nested(3), 3);
    EXPECT_EQ(nested(3), -3);
    later = {};
    first = {};
    EXPECT_EQ(nested(3), 3);
}

}  // namespace
}  // namespace lxtv::platform
