#pragma once

// Long work started by a handler on the window thread, without freezing the window.

#include <functional>

namespace lxtv::platform {

// Runs `work` on a helper thread while the window thread waits for it in an event loop that
// takes no user input: the window keeps repainting, timers run, calls other threads hand to the
// window thread are carried out, and the busy cursor shows; clicks and keys wait until the work
// has ended, as they would behind a blocked thread. Returns when `work` has. Called from any
// other thread, or with no application, it runs `work` at once.
void runWhileWindowWaits(const std::function<void()>& work);

}  // namespace lxtv::platform
