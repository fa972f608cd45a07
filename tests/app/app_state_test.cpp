#include <gtest/gtest.h>

#include "app/app_state.h"
#include "app/start.h"
#include "platform/ansi.h"

namespace lxtv {
namespace {

// The exit routine leaves every field empty and can run on a never-used state.
TEST(AppState, ReleaseEmptiesEveryOwnedField) {
    app::initAppState();
    auto& s = app::appState();
    s.currentFolder = "/tmp";
    s.fileIconImages = "MITL";
    s.knownIconExtensions = {".avi", ".rm"};
    s.catalogueIniPath = "/x/LXTV.ini";
    s.stripObjectIds = {1, 2, 3};
    const int before = app::releaseCount();
    app::releaseAppState();
    EXPECT_EQ(app::releaseCount(), before + 1);
    EXPECT_TRUE(s.currentFolder.empty());
    EXPECT_TRUE(s.fileIconImages.empty());
    EXPECT_TRUE(s.knownIconExtensions.empty());
    EXPECT_TRUE(s.catalogueIniPath.empty());
    EXPECT_TRUE(s.stripObjectIds.empty());
    app::releaseAppState();  // nothing held: still fine
}

// However many ways the program reaches its end, the exit routine releases the state once.
TEST(AppState, ExitRoutineRunsOnce) {
    app::initAppState();
    app::appState().catalogueIniPath = "/x/LXTV.ini";
    const int before = app::releaseCount();
    app::runExitRoutine();
    EXPECT_EQ(app::releaseCount(), before + 1);
    EXPECT_TRUE(app::appState().catalogueIniPath.empty());
    app::appState().catalogueIniPath = "/y/LXTV.ini";
    app::runExitRoutine();
    EXPECT_EQ(app::releaseCount(), before + 1);
    EXPECT_EQ(app::appState().catalogueIniPath, "/y/LXTV.ini");
}

TEST(AppState, RunDirectoryIsTheProgramsFolder) {
    const std::string dir = app::runDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_NE(dir.back(), '/');
    EXPECT_EQ(dir.find("/tests"), dir.size() - 6) << dir;
}

// Code page 936 round trip, including a GBK-extension character whose trail byte is "]".
TEST(Ansi, ConvertsCodePage936BothWays) {
    const std::string name = "\xC4\xCF\xCF\xAB\x81\x5D";  // 南汐 + U+4E5A
    const QString text = platform::toQString(name);
    EXPECT_EQ(text.size(), 3);
    EXPECT_EQ(text.at(2).unicode(), 0x4E5A);
    EXPECT_EQ(platform::fromQString(text), name);
    EXPECT_EQ(platform::fromUtf8("\xE2\x82\xAC"), "\x80");  // euro sign is one byte
    EXPECT_EQ(platform::charNext("\xD6\xD0", 0), 2u);
    EXPECT_EQ(platform::charNext(std::string_view("\xD6", 1), 0), 1u);
    EXPECT_EQ(platform::charNext("\x80\x61", 0), 1u);
}

}  // namespace
}  // namespace lxtv
