#include <gtest/gtest.h>

#include "app/start.h"
#include "state/app_state.h"

namespace lxtv {
namespace {

// However many ways the program reaches its end, the exit routine releases the state once.
TEST(AppState, ExitRoutineRunsOnce) {
    state::initAppState();
    state::appState().catalogueIniPath = "/x/LXTV.ini";
    const int before = state::releaseCount();
    app::runExitRoutine();
    EXPECT_EQ(state::releaseCount(), before + 1);
    EXPECT_TRUE(state::appState().catalogueIniPath.empty());
    state::appState().catalogueIniPath = "/y/LXTV.ini";
    app::runExitRoutine();
    EXPECT_EQ(state::releaseCount(), before + 1);
    EXPECT_EQ(state::appState().catalogueIniPath, "/y/LXTV.ini");
}

}  // namespace
}  // namespace lxtv
