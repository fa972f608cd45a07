// The catalogue tree as the builder lays it out, against the in-memory tree.

#include <gtest/gtest.h>

#include <filesystem>

#include "catalogue/tree_builder.h"
#include "platform/profile.h"
#include "support/tree_fixture.h"
#include "toolkit/tree_memory.h"

namespace lxtv::test {
namespace {

using Rows = std::vector<std::string>;

struct Built {
    Rows rows;
    bool maximize = false;
};

Built buildFrom(const std::string& path) {
    toolkit::MemoryTree tree;
    // A stale item must not survive the build.
    tree.addItem(-1, "stale", 0, 0, 99, false);
    Built built;
    built.maximize = catalogue::fillCatalogueTree(tree, path);
    built.rows = describeItems(tree);
    return built;
}

Built buildText(const std::string& bytes) {
    TempDir dir;
    writeFile(dir.file("LXTV.ini"), bytes);
    return buildFrom(dir.file("LXTV.ini"));
}

const std::string header = "0 节目菜单 4/4 0 b";
const std::string moreFilms = "0 更多影片 2/2 0 b";

// The worked example: config first (position 1), A with kinds 1, 2 and 3, an empty B.
TEST(TreeBuilder, ExampleCatalogue) {
    const Built built =
        buildText("[config]\r\n" + gbk("最大化") +
                  "=0\r\n[A]\r\na=1|http://h/a\r\nb=2|http://h/b\r\nc=3|http://h/c\r\n[B]\r\n");
    EXPECT_EQ(built.rows,
              (Rows{header, "0 A 0/1 2 be", "1 a 3/3 0 ", "1 b 3/3 0 ", "0 B 0/1 3 b", moreFilms}));
    EXPECT_TRUE(built.maximize);
}

TEST(TreeBuilder, MissingOrEmptyFileGivesTheTwoFixedItems) {
    TempDir dir;
    const Built missing = buildFrom(dir.file("absent.ini"));
    EXPECT_EQ(missing.rows, (Rows{header, moreFilms}));
    EXPECT_FALSE(missing.maximize);
    const Built empty = buildText("");
    EXPECT_EQ(empty.rows, (Rows{header, moreFilms}));
    EXPECT_FALSE(empty.maximize);
}

// Only an exact "0" asks for the maximized window; the reader drops blanks around a value.
TEST(TreeBuilder, MaximizeSetting) {
    struct Case {
        const char* line;
        bool maximize;
    } cases[] = {
        {"最大化=0", true},  {"最大化= 0", true}, {"最大化=0 ", true}, {"最大化=00", false},
        {"最大化=1", false}, {"其他=0", false},   {"最大化=", false},
    };
    for (const Case& c : cases) {
        const Built built = buildText("[config]\r\n" + gbk(c.line) + "\r\n");
        EXPECT_EQ(built.maximize, c.maximize) << c.line;
        EXPECT_EQ(built.rows, (Rows{header, moreFilms})) << c.line;
    }
    // The setting is read as every value is, so a "Config" section serves for it too, while
    // it is still shown as a category.
    const Built config = buildText("[Config]\r\n" + gbk("最大化") + "=0\r\n");
    EXPECT_TRUE(config.maximize);
    EXPECT_EQ(config.rows, (Rows{header, "0 Config 0/1 1 b", moreFilms}));
    // The first section that matches in any letter case answers, even when an exact "config"
    // follows it; only the exact one is kept out of the tree.
    const Built first = buildText("[CONFIG]\r\n" + gbk("最大化") + "=00\r\n[config]\r\n" +
                                  gbk("最大化") + "=0\r\n");
    EXPECT_FALSE(first.maximize);
    EXPECT_EQ(first.rows, (Rows{header, "0 CONFIG 0/1 1 b", moreFilms}));
    const Built exactFirst =
        buildText("[config]\r\n" + gbk("最大化") + "=0\r\n[CONFIG]\r\n" + gbk("最大化") + "=1\r\n");
    EXPECT_TRUE(exactFirst.maximize);
    EXPECT_EQ(exactFirst.rows, (Rows{header, "0 CONFIG 0/1 2 b", moreFilms}));
}

TEST(TreeBuilder, CatalogueShapes) {
    struct Case {
        const char* name;
        std::string file;
        Rows rows;
    } cases[] = {
        {"a section named Config is a category",
         "[Config]\r\nx=1|u\r\n[config]\r\ny=1|u\r\n",
         {header, "0 Config 0/1 1 b", "1 x 3/3 0 ", moreFilms}},
        {"kinds other than 1 and 2, and empty values, are left out; blanks before the kind are not "
         "part of the value",
         "[A]\r\nk0=0|u\r\nk3=3|u\r\nkx=x\r\nempty=\r\nspace= 1|u\r\nok=1\r\n",
         {header, "0 A 0/1 1 b", "1 space 3/3 0 ", "1 ok 3/3 0 ", moreFilms}},
        {"kind 2 expands its category, kind 1 alone does not",
         "[A]\r\na=1|u\r\n[B]\r\nb=1|u\r\nc=2|u\r\n",
         {header, "0 A 0/1 1 b", "1 a 3/3 0 ", "0 B 0/1 2 be", "1 b 3/3 0 ", "1 c 3/3 0 ",
          moreFilms}},
        {"an empty category and one with only unlisted keys stay childless",
         "[E]\r\n[F]\r\nz=9|u\r\n",
         {header, "0 E 0/1 1 b", "0 F 0/1 2 b", moreFilms}},
        {"duplicate section names each get their own position",
         "[A]\r\na=1|u\r\n[A]\r\nb=1|u\r\n",
         {header, "0 A 0/1 1 b", "1 a 3/3 0 ", "0 A 0/1 2 b", "1 a 3/3 0 ", moreFilms}},
        {"Chinese names",
         gbk("[电视台]\r\n中央一台=1|http://h/cctv1\r\n"),
         {header, "0 电视台 0/1 1 b", "1 中央一台 3/3 0 ", moreFilms}},
    };
    for (const Case& c : cases) EXPECT_EQ(buildText(c.file).rows, c.rows) << c.name;
}

// Key names beyond the 256-byte list are not shown; a name cut short finds no value.
TEST(TreeBuilder, KeyListPast256Bytes) {
    std::string file = "[A]\r\n";
    Rows expected{header, "0 A 0/1 1 b"};
    // 20 names of 12 bytes take 13 bytes each in the list: 260 bytes with the final zero.
    for (int i = 0; i < 20; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "channel%05d", i);
        file += std::string(name) + "=1|u\r\n";
        if ((i + 1) * 13 + 1 <= 254) expected.push_back("1 " + std::string(name) + " 3/3 0 ");
    }
    expected.push_back(moreFilms);
    const Built built = buildText(file);
    EXPECT_EQ(built.rows, expected);
    EXPECT_EQ(expected.size(), 3u + 19u);  // header, A, 19 channels, more films
}

// A data sync that replaces the copy while the build goes on: the reads after it see the new
// copy at once (the fetch parses it into the cache before it reports), while the sections
// already listed stay as listed.
TEST(TreeBuilder, SeesACopyReplacedDuringTheBuild) {
    TempDir dir;
    const std::string ini = dir.file("LXTV.ini");
    writeFile(ini, "[A]\r\na=1|u\r\nb=1|u\r\n[B]\r\nx=1|u\r\n");

    // Replaces the copy as the data sync does, as soon as the first channel is added.
    struct SyncingTree : toolkit::MemoryTree {
        std::string ini, next;
        bool synced = false;
        int addItem(int parent, const std::string& text, int image, int selectedImage, int value,
                    bool bold) override {
            const int index = MemoryTree::addItem(parent, text, image, selectedImage, value, bold);
            if (!synced && text == "a") {
                synced = true;
                writeFile(next, "[A]\r\na=1|u\r\nb=3|u\r\n[B]\r\nx=2|u\r\ny=1|u\r\n");
                std::filesystem::rename(next, ini);
                platform::prepareProfile(ini);
            }
            return index;
        }
    } tree;
    tree.ini = ini;
    tree.next = dir.file("LXTV.ini.new");
    catalogue::fillCatalogueTree(tree, ini);
    EXPECT_TRUE(tree.synced);
    EXPECT_EQ(describeItems(tree), (Rows{header, "0 A 0/1 1 b", "1 a 3/3 0 ", "0 B 0/1 2 be",
                                         "1 x 3/3 0 ", "1 y 3/3 0 ", moreFilms}));
}

}  // namespace
}  // namespace lxtv::test
