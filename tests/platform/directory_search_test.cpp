#include <gtest/gtest.h>

#include <filesystem>

#include "platform/directory_search.h"
#include "support/test_support.h"

namespace lxtv {
namespace {

using platform::DirectorySearch;
using platform::matchesWildcard;
using platform::SearchError;
using platform::SearchKind;

// Wildcards after the platform's rewriting: "*." before a dot stops at the last dot, "?" may
// match nothing at a dot, "*.*" is everything, letters match without regard to case.
TEST(Wildcard, MatchTable) {
    struct Row {
        const char* pattern;
        const char* name;
        bool match;
    };
    const Row rows[] = {
        {"*", ".", true},
        {"*.*", "..", true},
        {"*.*", "e", true},
        {"*.rm", "a.rm", true},
        {"*.rm", "A.RM", true},
        {"*.rm", "a.b.rm", true},
        {"*.rm", ".rm", true},
        {"*.rm", "a.rmvb", false},
        {"*.rm", "a.rm.bak", false},
        {"*.rm", "arm", false},
        {"*.", ".", true},
        {"*.", "..", true},
        {"*.", "arm", true},
        {"*.", "a.rm", false},
        {"*.", ".rm", false},
        {"?.rm", "a.rm", true},
        {"?.rm", ".rm", true},
        {"?.rm", "ab.rm", false},
        {"??.rm", "a.rm", true},
        {"??.rm", "ab.rm", true},
        {"??.rm", "abc.rm", false},
        {"*.rm*", "a.rmvb", true},
        {"*.rm*", "a.rm.bak", true},
        {"*.rm*", "arm", false},
        {"a.*", "a", true},
        {"a.*", "A.RM", true},
        {"a.*", "ab.rm", false},
        {"a.*", "arm", false},
        {"*.*.", "x", true},
        {"a*.*", "a", true},  // a<"*: the dot may be missing at the end
        {"a*.*", "ab.c.d", true},
        {"a*.*", "b.a", false},
        {"?.?", "a", true},  // >">
        {"?.?", "a.b", true},
        {"?.?", "ab", false},
        {"a?.", "ab", true},  // a>
        {"a?.", "abc", false},
        {"a?.", "ab.c", false},
        {"f*.f*", "foo.bar.fx", true},  // f<.f*
        {"f*.f*", "foo.bar", false},
        {"*.mp4", "電影.MP4", true},
        {"?.rm", "電.rm", true},  // "?" is one character, not one byte
        {"??.rm", "電影.rm", true},
        {"?.rm", "電影.rm", false},
        {"a?c",
         "a\xE9"
         "c",
         true},  // a stray byte of a broken name is a character too
        {"*.avi", "clip.avi.", false},
        {"*.ts", "x.TS", true},
        {"*.3gp", "a.3GP", true},
        {"", "a", false},
        {"a<b", "a<b", true},
        {"a<b", "axb", false},
    };
    for (const Row& r : rows)
        EXPECT_EQ(matchesWildcard(r.name, r.pattern), r.match)
            << "pattern " << r.pattern << " name " << r.name;
}

class SearchFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* f : {"a.rm", "B.RM", "c.rmvb", "d.rm.bak", "e", "f.b.rm"})
            test::writeFile(dir.file(f), "x");
    }
    std::vector<std::string> all(const std::string& pattern, SearchKind kind) {
        std::vector<std::string> out;
        for (std::string n = search.start(dir.path().string() + "/" + pattern, kind); !n.empty();
             n = search.next(kind))
            out.push_back(n);
        return out;
    }
    test::TempDir dir;
    DirectorySearch search;
};

TEST_F(SearchFixture, PatternsGiveSortedMatchesOfTheWantedKind) {
    using V = std::vector<std::string>;
    EXPECT_EQ(all("*.rm", SearchKind::Files), (V{"a.rm", "B.RM", "f.b.rm"}));
    EXPECT_EQ(all("*.*", SearchKind::Files),
              (V{"a.rm", "B.RM", "c.rmvb", "d.rm.bak", "e", "f.b.rm"}));
    EXPECT_EQ(all("*.*", SearchKind::Subfolders), (V{".", ".."}));
    EXPECT_EQ(all("*.", SearchKind::Files), (V{"e"}));
    EXPECT_EQ(all("?.rm", SearchKind::Files), (V{"a.rm", "B.RM"}));
    EXPECT_FALSE(search.isOpen());  // the last call found no more and closed it
}

TEST_F(SearchFixture, OrderIgnoresCaseAndPutsDotsFirst) {
    std::filesystem::create_directory(dir.path() / "Zeta");
    std::filesystem::create_directory(dir.path() / "alpha");
    std::filesystem::create_directory(dir.path() / "_under");  // "_" sorts after letters
    EXPECT_EQ(all("*", SearchKind::Subfolders),
              (std::vector<std::string>{".", "..", "alpha", "Zeta", "_under"}));
}

TEST_F(SearchFixture, ErrorsTellMissingFolderFromNoMatch) {
    EXPECT_EQ(search.start(dir.path().string() + "/nomatch*.x", SearchKind::Files), "");
    EXPECT_EQ(search.lastError(), SearchError::FileNotFound);
    EXPECT_EQ(search.start(dir.path().string() + "/missing/*.*", SearchKind::Files), "");
    EXPECT_EQ(search.lastError(), SearchError::PathNotFound);
    EXPECT_EQ(search.start(dir.file("a.rm") + "/*.*", SearchKind::Subfolders), "");
    EXPECT_EQ(search.lastError(), SearchError::PathNotFound);
    // Matches of the other kind only: an empty result, but not an error of the start.
    EXPECT_EQ(search.start(dir.path().string() + "/*.rm", SearchKind::Subfolders), "");
    EXPECT_FALSE(search.isOpen());
    EXPECT_EQ(search.next(SearchKind::Files), "");
}

TEST_F(SearchFixture, StartClosesTheOpenSearch) {
    EXPECT_EQ(search.start(dir.path().string() + "/*.rm", SearchKind::Files), "a.rm");
    EXPECT_EQ(search.start(dir.path().string() + "/c.*", SearchKind::Files), "c.rmvb");
    EXPECT_EQ(search.next(SearchKind::Files), "");
}

}  // namespace
}  // namespace lxtv
