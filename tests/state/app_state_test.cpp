#include <gtest/gtest.h>

#include "state/app_state.h"

namespace lxtv {
namespace {

// The exit routine leaves every field empty and can run on a never-used state.
TEST(AppState, ReleaseEmptiesEveryOwnedField) {
    state::initAppState();
    auto& s = state::appState();
    s.currentFolder = "/tmp";
    s.fileIconImages = "MITL";
    s.knownIconExtensions = {{"avi", 2}, {"rm", 1}};
    s.catalogueIniPath = "/x/LXTV.ini";
    s.stripObjectIds = {1, 2, 3};
    const int before = state::releaseCount();
    state::releaseAppState();
    EXPECT_EQ(state::releaseCount(), before + 1);
    EXPECT_TRUE(s.currentFolder.empty());
    EXPECT_TRUE(s.fileIconImages.empty());
    EXPECT_TRUE(s.knownIconExtensions.empty());
    EXPECT_TRUE(s.catalogueIniPath.empty());
    EXPECT_TRUE(s.stripObjectIds.empty());
    state::releaseAppState();  // nothing held: still fine
}

// The reset used between tests brings back the state of process start, the window's own
// fields included, in the same place as the release.
TEST(AppState, ResetReturnsToTheStartState) {
    auto& s = state::appState();
    s.isMaximized = 1;
    s.knownIconExtensions = {{"avi", 3}};
    s.stripDrag.active = true;
    s.stripDrag.actionPending = true;
    s.stripDrag.pendingId = 1;
    const int before = state::releaseCount();
    state::resetAppState();
    EXPECT_EQ(state::releaseCount(), before);
    EXPECT_EQ(s.isMaximized, 0);
    EXPECT_TRUE(s.knownIconExtensions.empty());
    EXPECT_FALSE(s.stripDrag.active);
    EXPECT_FALSE(s.stripDrag.actionPending);
    EXPECT_EQ(s.stripDrag.pendingId, 0);
}

}  // namespace
}  // namespace lxtv
