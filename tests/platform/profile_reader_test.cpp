#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/profile_fixture.h"
#include "support/test_support.h"

namespace lxtv {
namespace {

using namespace std::string_literals;
using test::callProfile;
using test::lines;
using test::listBytes;
using test::lookup;

struct Lookup {
    const char* section;
    const char* key;
    std::string expected;
};

// Duplicate sections are not merged (lookups see the first), the first duplicate key wins, keys
// before the first section are unreachable, lists show every occurrence; the same answers for
// CR LF, LF and lone CR line ends.
TEST(ProfileReader, DuplicatesAndLineEnds) {
    test::TempDir dir;
    const std::vector<std::string> content = {"k0=v0", "[a]", "[a]", "k=v1", "[b]", "k=x", "k=y"};
    for (const char* end : {"\r\n", "\n", "\r"}) {
        SCOPED_TRACE(testing::PrintToString(std::string(end)));
        const std::string file = dir.file("p1.ini");
        test::writeFile(file, lines(content, end));
        platform::clearProfileCache();
        EXPECT_EQ(lookup(file, "a", "k"), "D");
        EXPECT_EQ(lookup(file, "b", "k"), "x");
        EXPECT_EQ(lookup(file, "", "k0"), "D");
        EXPECT_EQ(lookup(file, " ", "k0"), "D");
        EXPECT_EQ(listBytes(file, std::nullopt), "a\0a\0b\0\0"s);
        EXPECT_EQ(listBytes(file, "b"), "k\0k\0\0"s);
        EXPECT_EQ(listBytes(file, "a"), "\0"s);
    }
}

// Trimming, the quote rule, comment lines, "#", lines without "=", empty values.
TEST(ProfileReader, LineRules) {
    test::TempDir dir;
    const std::string file = dir.file("p2.ini");
    test::writeFile(file, lines({
                              "[s]",
                              "\tk1 = \t\"  q  \" ",
                              "k2='x\"",
                              ";k3=c",
                              " \v;k4=c",
                              "#k5=h",
                              "k6=;v",
                              "k7",
                              "k8=",
                              "q1=  \"   v   \"  ",
                              "q2=  '   v   '  ",
                              "q3=\"'v'\"",
                              "q4='\"v\"'",
                              "q5=\"\"v\"\"",
                              "q6=''v''",
                              "q7=  \"   v   '  ",
                              "q8='\"v'\"",
                              "q9=\"",
                              "q10=\"\"",
                              "q11=\"abc",
                              "k;y=semi",
                              "end=value]",
                              "\"n\"=quoted name",
                              "ff=\fv\f",
                              "=empty name",
                          }));
    const Lookup table[] = {
        {"s", "k1", "  q  "},      {"s", "k2", "'x\""},     {"s", ";k3", "D"},
        {"s", ";k4", "D"},         {"s", "k4", "D"},        {"s", "#k5", "h"},
        {"s", "k6", ";v"},         {"s", "k7", "D"},        {"s", "k8", ""},
        {"s", "q1", "   v   "},    {"s", "q2", "   v   "},  {"s", "q3", "'v'"},
        {"s", "q4", "\"v\""},      {"s", "q5", "\"v\""},    {"s", "q6", "'v'"},
        {"s", "q7", "\"   v   '"}, {"s", "q8", "'\"v'\""},  {"s", "q9", "\""},
        {"s", "q10", ""},          {"s", "q11", "\"abc"},   {"s", "k;y", "semi"},
        {"s", "end", "value]"},    {"s", "n", "D"},         {"s", "\"n\"", "quoted name"},
        {"s", "ff", "\fv\f"},      {"s", "", "empty name"},
    };
    for (const auto& row : table)
        EXPECT_EQ(lookup(file, row.section, row.key), row.expected) << row.key;

    // Comments and lines without "=" are not keys; an empty name would end the list early.
    EXPECT_EQ(listBytes(file, "s"),
              "k1\0k2\0#k5\0k6\0k8\0q1\0q2\0q3\0q4\0q5\0q6\0q7\0q8\0q9\0q10\0q11\0k;y\0end\0"
              "\"n\"\0ff\0\0"s);
}

// A section name runs to the first "]" walking characters, not bytes; a missing "]" is allowed;
// a line with "]" but no "[" is no section.
TEST(ProfileReader, SectionHeaders) {
    test::TempDir dir;
    const std::string file = dir.file("p3.ini");
    test::writeFile(file, lines({
                              "[a]b]x=1",
                              "[c",
                              "y=2",
                              "d]",
                              "z=3",
                              "[\x81\x5Dx]",
                              "k=dbcs",
                              "  [  spaced\t]  ",
                              "k=sp",
                              "[[sec]",
                              "k=br",
                              "[;semi]",
                              "k=sc",
                              "[]",
                              "k=empty",
                          }));
    const Lookup table[] = {
        {"a", "x", "D"},     {"a", "b]x", "D"},          {"c", "y", "2"},    {"c", "z", "3"},
        {"c", "d]", "D"},    {"\x81\x5Dx", "k", "dbcs"}, {"\x81", "k", "D"}, {"spaced", "k", "sp"},
        {"[sec", "k", "br"}, {";semi", "k", "sc"},       {"", "k", "empty"},
    };
    for (const auto& row : table)
        EXPECT_EQ(lookup(file, row.section, row.key), row.expected)
            << testing::PrintToString(std::string(row.section)) << " " << row.key;
    // The empty-named section can be read but is not listed.
    EXPECT_EQ(listBytes(file, std::nullopt), "a\0c\0\x81\x5Dx\0spaced\0[sec\0;semi\0\0"s);
}

// ASCII letters ignore case in names, values keep theirs; a double-byte character whose trail
// byte looks like a letter is not folded; the caller's arguments lose spaces but not TAB/VT/CR.
TEST(ProfileReader, NameMatching) {
    test::TempDir dir;
    const std::string file = dir.file("case.ini");
    test::writeFile(file, lines({
                              "[Sec]",
                              "Key=Value",
                              "[sec]",
                              "key=second",
                              "[\x81\x41]",
                              "k=upper trail",
                              "[\x81\x61]",
                              "k=lower trail",
                              "[\xC4\xCF]",
                              "\xC6\xB5\xB5\xC0=cn",
                          }));
    const Lookup table[] = {
        {"SEC", "KEY", "Value"},
        {"sec", "key", "Value"},
        {" sec ", "  key ", "Value"},
        {"\tsec", "key", "D"},
        {"\vsec", "key", "D"},
        {"sec", "key\t", "D"},
        {"sec", "key\r", "D"},
        {"sec", "key\n", "D"},
        {"\x81\x41", "K", "upper trail"},
        {"\x81\x61", "k", "lower trail"},
        {"\xC4\xCF", "\xC6\xB5\xB5\xC0", "cn"},
        {"\xC4\xCF", "\xC6\xB5", "D"},
    };
    for (const auto& row : table)
        EXPECT_EQ(lookup(file, row.section, row.key), row.expected)
            << testing::PrintToString(std::string(row.section)) << " "
            << testing::PrintToString(std::string(row.key));
    EXPECT_EQ(listBytes(file, "SEC"), "Key\0\0"s);
    // An argument ends at a zero byte, as a C string does.
    EXPECT_EQ(lookup(file, "sec\0junk"s, "key"), "Value");
}

// A UTF-8 byte order mark is not skipped: the first line is no section header. A UTF-16LE file
// is read as text.
TEST(ProfileReader, ByteOrderMarks) {
    test::TempDir dir;
    const std::string utf8 = dir.file("bom8.ini");
    test::writeFile(utf8, "\xEF\xBB\xBF[s1]\r\nk=v\r\n[s2]\r\nk=w\r\n");
    EXPECT_EQ(lookup(utf8, "s1", "k"), "D");
    EXPECT_EQ(lookup(utf8, "s2", "k"), "w");
    EXPECT_EQ(listBytes(utf8, std::nullopt), "s2\0\0"s);

    const std::string utf16 = dir.file("bom16.ini");
    const std::u16string text = u"[\u9891\u9053]\r\nk=\u4E2D v\r\n";
    std::string bytes = "\xFF\xFE";
    for (char16_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>(c >> 8);
    }
    test::writeFile(utf16, bytes);
    EXPECT_EQ(lookup(utf16, test::gbk("频道"), "k"), test::gbk("中 v"));
}

// A zero byte inside a line ends that line's text; the rest of the file still parses.
TEST(ProfileReader, ZeroBytes) {
    test::TempDir dir;
    const std::string file = dir.file("nul.ini");
    test::writeFile(file, "[s]\r\nk=ab\0cd\r\nk2=x\r\n[t\0]\r\nk=t\r\n\0"s);
    EXPECT_EQ(lookup(file, "s", "k"), "ab");
    EXPECT_EQ(lookup(file, "s", "k2"), "x");
    EXPECT_EQ(lookup(file, "t", "k"), "t");
    EXPECT_EQ(listBytes(file, std::nullopt), "s\0t\0\0"s);
}

// A single value: size-1 bytes at most, exact fit is no cut, size 0 writes nothing.
TEST(ProfileReader, ValueBufferSizes) {
    test::TempDir dir;
    const std::string file = dir.file("size.ini");
    test::writeFile(file, "[s]\r\nk=abcdef\r\nw=ab\xD6\xD0\r\n");
    struct Row {
        const char* key;
        std::size_t size;
        std::size_t ret;
        std::string buffer;
    };
    const Row table[] = {
        {"k", 0, 0, ""},
        {"k", 1, 0, "\0"s},
        {"k", 4, 3, "abc\0"s},
        {"k", 7, 6, "abcdef\0"s},
        {"k", 8, 6, "abcdef\0\x0C"s},
        {"missing", 4, 3, "DEF\0"s},
        // A cut never splits a double-byte character.
        {"w", 4, 2, "ab\0\x0C"s},
        {"w", 5, 4, "ab\xD6\xD0\0"s},
    };
    for (const auto& row : table) {
        const auto call = callProfile(file, "s", row.key, "DEFAULT", row.size);
        EXPECT_EQ(call.ret, row.ret) << row.key << " " << row.size;
        EXPECT_EQ(call.buffer, row.buffer) << row.key << " " << row.size;
    }
}

// The default: absent reads as "", trailing spaces go, everything else stays.
TEST(ProfileReader, Defaults) {
    test::TempDir dir;
    const std::string file = dir.file("def.ini");
    test::writeFile(file, "[s]\r\nk=v\r\n");
    EXPECT_EQ(lookup(file, "s", "x", std::nullopt), "");
    EXPECT_EQ(lookup(file, "s", "x", "default  "), "default");
    EXPECT_EQ(lookup(file, "s", "x", "one two  "), "one two");
    EXPECT_EQ(lookup(file, "s", "x", "   default   "), "   default");
    EXPECT_EQ(lookup(file, "s", "x", "\tdefault\t"), "\tdefault\t");
    EXPECT_EQ(lookup(file, "none", "k", "d"), "d");
    EXPECT_EQ(lookup(dir.file("missing.ini"), "s", "k", "d"), "d");
    EXPECT_EQ(lookup(dir.path().string(), "s", "k", "d"), "d");  // a folder, not a file
}

// Lists: complete only with room for both final zeros; otherwise the first size-2 bytes, two
// zeros, and size-2 returned, so an exact fit counts as cut.
TEST(ProfileReader, ListBufferSizes) {
    test::TempDir dir;
    const std::string sections = dir.file("sections.ini");
    test::writeFile(sections, "[ section1 ]\r\n[section2]\r\n[section3]\r\n");
    const std::string keys = dir.file("keys.ini");
    test::writeFile(keys, lines({"[section1]", "name1=val1", "name2=\"val2\"", "name3", "name4=a",
                                 "[section2]", "[dbcs]", "ab\xD6\xD0x=1", "c=2"}));
    struct Row {
        const char* file;
        platform::ProfileArg section;
        std::size_t size;
        std::size_t ret;
        std::string buffer;
    };
    const auto S = sections.c_str();
    const auto K = keys.c_str();
    const Row table[] = {
        {S, std::nullopt, 29, 27, "section1\0section2\0section3\0\0\x0C"s},
        {S, std::nullopt, 28, 26, "section1\0section2\0section3\0\0"s},
        {S, std::nullopt, 27, 25, "section1\0section2\0section\0\0"s},
        {S, std::nullopt, 16, 14, "section1\0secti\0\0"s},
        {S, std::nullopt, 10, 8, "section1\0\0"s},
        {S, std::nullopt, 11, 9, "section1\0\0\0"s},
        {S, std::nullopt, 2, 0, "\0\0"s},
        {S, std::nullopt, 1, 0, "\0"s},
        {S, std::nullopt, 0, 0, ""},
        {K, std::nullopt, 260, 23, "section1\0section2\0dbcs\0\0"s + std::string(236, '\x0C')},
        {K, "section1", 260, 18, "name1\0name2\0name4\0\0"s + std::string(241, '\x0C')},
        {K, "section1", 16, 14, "name1\0name2\0na\0\0"s},
        {K, "section2", 4, 0, "\0\x0C\x0C\x0C"s},
        {K, "nosuch", 4, 0, "\0\x0C\x0C\x0C"s},
        // The cut falls inside a double-byte character: it goes whole, zeros fill its place.
        {K, "dbcs", 5, 3, "ab\0\0\0"s},
        {K, "dbcs", 6, 4, "ab\xD6\xD0\0\0"s},
    };
    for (const auto& row : table) {
        const auto call = callProfile(row.file, row.section, std::nullopt, "D", row.size);
        const std::string what =
            std::string(row.section ? *row.section : "(sections)") + " " + std::to_string(row.size);
        EXPECT_EQ(call.ret, row.ret) << what;
        EXPECT_EQ(call.buffer, row.buffer) << what;
    }

    // A missing file gives the empty list: one zero byte, nothing more written.
    const auto missing = callProfile(dir.file("none.ini"), std::nullopt, std::nullopt, "D", 10);
    EXPECT_EQ(missing.ret, 0u);
    EXPECT_EQ(missing.buffer, "\0"s + std::string(9, '\x0C'));
    // The section-names call is the same list.
    std::string buffer(28, '\x0C');
    EXPECT_EQ(platform::getPrivateProfileSectionNames(buffer.data(), buffer.size(), sections), 26u);
    EXPECT_EQ(buffer, "section1\0section2\0section3\0\0"s);
}

}  // namespace
}  // namespace lxtv
