#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "catalogue/catalogue_file.h"
#include "platform/profile.h"
#include "support/profile_fixture.h"
#include "support/test_support.h"

namespace lxtv {
namespace {

using catalogue::listCatalogueSections;
using catalogue::listSectionKeys;
using catalogue::readCatalogueValue;
using test::gbk;

// Values as the tree builder and the channel selection read them: blanks around a value gone,
// leading control bytes of every argument skipped, an argument empty after that reads nothing.
TEST(CatalogueFile, ReadsValues) {
    test::TempDir dir;
    const std::string file = dir.file("LXTV.ini");
    test::writeFile(file, gbk("[config]\r\n最大化= 0 \r\n[央视频道]\r\nCCTV-1=1|http://h/1.html\r\n"
                              "CCTV-2=\t2|http://h/2.html\t\r\n空值=\r\n"));
    struct Row {
        std::string file, section, key, expected;
    };
    const Row table[] = {
        {file, "config", gbk("最大化"), "0"},
        {file, gbk("央视频道"), "cctv-1", "1|http://h/1.html"},
        {file, gbk("央视频道"), "CCTV-2", "2|http://h/2.html"},
        {file, gbk("央视频道"), gbk("空值"), ""},
        {file, gbk("央视频道"), "CCTV-3", ""},
        {file, "Config", gbk("最大化"), "0"},
        // Bytes 1..32 in front of an argument are skipped; the reader alone would keep a TAB.
        {" \t" + file, "\x01\tconfig", "\x1F " + gbk("最大化"), "0"},
        {file, "config", " \t\r\n", ""},
        {file, "\x01", gbk("最大化"), ""},
        {"  ", "config", gbk("最大化"), ""},
        {dir.file("missing.ini"), "config", gbk("最大化"), ""},
    };
    // The tree build's shared reads and its kind read follow the same rules.
    platform::ProfileReads reads;
    for (const auto& row : table) {
        const std::string what =
            testing::PrintToString(row.section) + " " + testing::PrintToString(row.key);
        EXPECT_EQ(readCatalogueValue(row.file, row.section, row.key), row.expected) << what;
        EXPECT_EQ(readCatalogueValue(reads, row.file, row.section, row.key), row.expected) << what;
        EXPECT_EQ(catalogue::readChannelKind(reads, row.file, row.section, row.key),
                  row.expected.empty() ? '\0' : row.expected[0])
            << what;
    }
    // Without the skipping, a TAB in front of the section name misses it.
    EXPECT_EQ(test::lookup(file, "\tconfig", gbk("最大化"), ""), "");
}

// A value is cut at 10,239 bytes.
TEST(CatalogueFile, LongValueIsCutByTheBuffer) {
    test::TempDir dir;
    const std::string file = dir.file("long.ini");
    const std::string fits(10'239, 'a');
    const std::string longer = std::string(10'239, 'b') + "cdef";
    test::writeFile(file, "[s]\r\nfits=" + fits + "\r\nlonger=" + longer + "\r\n");
    EXPECT_EQ(readCatalogueValue(file, "s", "fits"), fits);
    EXPECT_EQ(readCatalogueValue(file, "s", "longer"), std::string(10'239, 'b'));
}

// Section names in file order, duplicates and case variants of "config" included.
TEST(CatalogueFile, ListsSections) {
    test::TempDir dir;
    const std::string file = dir.file("LXTV.ini");
    test::writeFile(file, gbk("[config]\r\n最大化=0\r\n[A]\r\na=1|x\r\n[Config]\r\n[A]\r\n[]\r\n"
                              "[ 电影 ]\r\n"));
    EXPECT_EQ(listCatalogueSections(file),
              (std::vector<std::string>{"config", "A", "Config", "A", gbk("电影")}));
    platform::ProfileReads reads;
    EXPECT_EQ(listCatalogueSections(reads, file), listCatalogueSections(file));

    const std::string empty = dir.file("empty.ini");
    test::writeFile(empty, "");
    EXPECT_TRUE(listCatalogueSections(empty).empty());
    EXPECT_TRUE(listCatalogueSections(dir.file("missing.ini")).empty());
}

// More names than the 204,800-byte list holds: the names that fit come whole and in order, the
// list stops there, and nothing later is seen.
TEST(CatalogueFile, SectionListLongerThanItsBuffer) {
    test::TempDir dir;
    const std::string file = dir.file("many.ini");
    std::string text;
    char name[32];
    for (int i = 0; i < 30'000; ++i) {
        std::snprintf(name, sizeof name, "[section%05d]\r\n", i);
        text += name;
    }
    test::writeFile(file, text);
    const auto sections = listCatalogueSections(file);
    // Each name takes 13 bytes with its zero; 204,798 bytes hold 15,753 of them and 9 more bytes.
    ASSERT_EQ(sections.size(), 15'754u);
    EXPECT_EQ(sections.front(), "section00000");
    EXPECT_EQ(sections[15'752], "section15752");
    EXPECT_EQ(sections.back(), "section15");
}

// Key names joined by CR LF: lines without "=", comments and blank lines are no keys,
// duplicates all show, an empty or missing section gives nothing.
TEST(CatalogueFile, ListsSectionKeys) {
    test::TempDir dir;
    const std::string file = dir.file("LXTV.ini");
    test::writeFile(file, gbk("[A]\r\nk1=1|x\r\n;c=1\r\nbare\r\n\r\nk2=\r\nk1=2|y\r\n 频道 = 3\r\n"
                              "[B]\r\n[A]\r\nhidden=1\r\n"));
    EXPECT_EQ(listSectionKeys(file, "A"), "k1\r\nk2\r\nk1\r\n" + gbk("频道"));
    platform::ProfileReads reads;
    EXPECT_EQ(listSectionKeys(reads, file, "A"), listSectionKeys(file, "A"));
    EXPECT_EQ(listSectionKeys(file, "a"), "k1\r\nk2\r\nk1\r\n" + gbk("频道"));
    EXPECT_EQ(listSectionKeys(file, "B"), "");
    EXPECT_EQ(listSectionKeys(file, "C"), "");
    EXPECT_EQ(listSectionKeys(dir.file("missing.ini"), "A"), "");
}

// A key list past 256 bytes: the names that fit whole, then the one the buffer cut, which then
// reads as no value; later keys are not listed at all.
TEST(CatalogueFile, KeyListPast256Bytes) {
    test::TempDir dir;
    const std::string file = dir.file("keys.ini");
    std::string text = "[s]\r\n";
    std::string expected;
    for (int i = 0; i < 20; ++i) {
        const std::string key = "channel_name_" + std::string(i < 10 ? "0" : "") +
                                std::to_string(i);  // 15 bytes, 16 with its zero
        text += key + "=1|http://h/" + std::to_string(i) + "\r\n";
        if (i < 15) expected += key + "\r\n";
    }
    test::writeFile(file, text);
    // 254 bytes of names: 15 whole (240 bytes) and 14 bytes of the 16th.
    expected += "channel_name_1";
    const std::string keys = listSectionKeys(file, "s");
    EXPECT_EQ(keys, expected);
    EXPECT_EQ(readCatalogueValue(file, "s", "channel_name_14"), "1|http://h/14");
    EXPECT_EQ(readCatalogueValue(file, "s", "channel_name_1"), "");
}

}  // namespace
}  // namespace lxtv
