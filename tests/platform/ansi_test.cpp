#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include <QUrl>

#include "platform/ansi.h"
#include "support/test_support.h"

namespace lxtv {
namespace {

using namespace std::string_view_literals;
using test::gbk;

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

// What goes on the wire for an address set on the view: the path's non-ASCII characters as
// UTF-8 escapes, the query's as their code page 936 bytes, everything else as it was. The second
// column is what the engine is handed (QUrl's encoded form).
TEST(WireAddress, PathAsUtf8QueryAsCodePageBytes) {
    const struct {
        const char* what;
        std::string address;  // code page 936
        const char* wire;
    } rows[] = {
        {"ascii", "http://h:8168/a/b.html?x=1&y=%3D#top", "http://h:8168/a/b.html?x=1&y=%3D#top"},
        // The engine takes a QUrl, which writes an escaped unreserved character as itself (the
        // same address by the standard's rules).
        {"an escaped unreserved character", "http://h/%7Ea?y=%41", "http://h/~a?y=A"},
        {"path only", gbk("http://h/频道/a.html"), "http://h/%E9%A2%91%E9%81%93/a.html"},
        {"query only", gbk("http://h/ch/q.html?name=凤凰卫视&x=1"),
         "http://h/ch/q.html?name=%B7%EF%BB%CB%CE%C0%CA%D3&x=1"},
        {"both", gbk("http://h/频道/q.html?name=凤凰"),
         "http://h/%E9%A2%91%E9%81%93/q.html?name=%B7%EF%BB%CB"},
        {"already escaped", "http://h/%E4%B8%AD?k=%D6%D0&a=%26%2523",
         "http://h/%E4%B8%AD?k=%D6%D0&a=%26%2523"},
        {"fragment left to the engine", gbk("http://h/a?q=中#节目"),
         "http://h/a?q=%D6%D0#%E8%8A%82%E7%9B%AE"},
        {"a lone lead byte ends the query", "http://h/a?q=\xB7", "http://h/a?q=%B7"},
        {"a lead byte before a delimiter", "http://h/a?q=\xB7&x=1#f", "http://h/a?q=%B7&x=1#f"},
        {"a trail byte in the ASCII range", "http://h/\x81\x5D?k=\x81\x5D",
         "http://h/%E4%B9%9A?k=%81%5D"},
        {"full-width characters are no delimiters", gbk("http://h/a？b?q＝１＆２"),
         "http://h/a%EF%BC%9Fb?q%A3%BD%A3%B1%A3%A6%A3%B2"},
        {"a second question mark stays in the query", gbk("http://h/a?q=?中"),
         "http://h/a?q=?%D6%D0"},
        {"no scheme", gbk("/相对?q=中"), "/%E7%9B%B8%E5%AF%B9?q=%D6%D0"},
        {"the host is the engine's", gbk("http://例子.测试/a?q=中"),
         "http://xn--fsqu00a.xn--0zwm56d/a?q=%D6%D0"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.what);
        const QUrl url(platform::wireAddress(r.address));
        EXPECT_TRUE(url.isValid()) << url.errorString().toStdString();
        EXPECT_EQ(url.toEncoded().toStdString(), r.wire);
    }
}

}  // namespace
}  // namespace lxtv
