#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "platform/ansi.h"

namespace lxtv {
namespace {

using namespace std::string_view_literals;

// Character stepping in code page 936, which the section-name scan relies on.
TEST(Ansi, CharNextAndLeadBytes) {
    struct Row {
        std::string_view text;
        std::size_t pos;
        std::size_t next;
    };
    const Row table[] = {
        {""sv, 0, 0},
        {"\0a"sv, 0, 1},
        {"a"sv, 0, 1},
        {"\xD6\xD0x"sv, 0, 2},
        {"\xD6\0"sv, 0, 1},  // a lead byte before a zero byte stands alone
        {"\xD6"sv, 0, 1},    // and so does one at the end of the text
        {"\x80\x61"sv, 0, 1},
        {"\xFF\x61"sv, 0, 1},
        {"\x81\x20"sv, 0, 2},  // the trail byte's
                               // value is not checked
        {"\x81\x5D"sv, 0, 2},
        {"a\x81\x5D"sv, 1, 3},
        {"ab"sv, 5, 2},  // past the end: the end
    };
    for (const auto& row : table)
        EXPECT_EQ(platform::charNext(row.text, row.pos), row.next)
            << testing::PrintToString(std::string(row.text)) << " @" << row.pos;

    EXPECT_FALSE(platform::isLeadByte(0x7F));
    EXPECT_FALSE(platform::isLeadByte(0x80));
    EXPECT_TRUE(platform::isLeadByte(0x81));
    EXPECT_TRUE(platform::isLeadByte(0xFE));
    EXPECT_FALSE(platform::isLeadByte(0xFF));
}

// Characters the code page lacks become "?"; the empty text stays empty both ways.
TEST(Ansi, ConversionEdges) {
    EXPECT_EQ(platform::fromUtf8("a\xF0\x9F\x98\x80"
                                 "b"),
              "a?b");  // an emoji
    EXPECT_EQ(platform::fromUtf8(""), "");
    EXPECT_TRUE(platform::toQString("").isEmpty());
    EXPECT_EQ(platform::toQString("\x81\x5D").at(0).unicode(), 0x4E5A);
    EXPECT_EQ(platform::fromUtf8("\xE3\x80\x80"), "\xA1\xA1");  // the full-width space
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
