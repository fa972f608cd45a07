// What picking a tree item opens: the address cut from a channel's value, and the refusal of
// script addresses.

#include <gtest/gtest.h>

#include "catalogue/channel_selection.h"
#include "site/site.h"
#include "support/tree_fixture.h"
#include "toolkit/tree_memory.h"

namespace lxtv::test {
namespace {

using catalogue::channelAddress;

TEST(ChannelAddress, CutsTwoBytesAndTrimsSpacesByCharacter) {
    const std::string fw = "\xA1\xA1";  // full-width space
    struct Case {
        const char* name;
        std::string value;
        std::string address;
    } cases[] = {
        {"separator", "1|http://h/a", "http://h/a"},
        {"no separator loses the first byte", "1http://h/a", "ttp://h/a"},
        {"any two bytes go", "\xB5\xE7http://h", "http://h"},
        {"empty", "", ""},
        {"kind only", "1", ""},
        {"kind and separator only", "1|", ""},
        {"one byte of address", "1|x", "x"},
        {"trailing spaces", "1|http://h/a   ", "http://h/a"},
        {"leading spaces", "1|   http://h/a", "http://h/a"},
        {"full-width spaces both ends", "1|" + fw + " " + fw + "http://h/a" + fw + " ",
         "http://h/a"},
        {"spaces inside stay", "1| a b ", "a b"},
        {"only spaces", "1|  " + fw + " ", ""},
        {"tabs and line ends are kept", "1|\thttp://h/a\t", "\thttp://h/a\t"},
        {"a lone lead byte at the end goes, spaces before it stay", "1| http://h/a  \xB0",
         "http://h/a  "},
        {"a complete two-byte character at the end stays", "1|http://h/\xB5\xE7 ",
         "http://h/\xB5\xE7"},
        // B0 A1 is one character, A1 20 another: neither is a space.
        {"a trail byte is never half of a space", "1|x\xB0\xA1\xA1 ", "x\xB0\xA1\xA1 "},
        {"0x80 and 0xFF stand alone", "1|x\x80 ", "x\x80"},
    };
    for (const Case& c : cases) EXPECT_EQ(channelAddress(c.value), c.address) << c.name;
}

TEST(ChannelAddress, ScriptAddresses) {
    struct Case {
        const char* address;
        bool script;
    } cases[] = {
        {"javascript:alert(1)", true},
        {"JavaScript:alert(1)", true},
        {"JAVASCRIPT:", true},
        {"\tjavascript:alert(1)", true},
        {"java\tscr\nipt:alert(1)", true},
        {"\x01 javascript:x", true},
        {"javascript", false},
        {"http://h/javascript:x", false},
        {"vbscript-not:x", false},
        {"", false},
        {"jav ascript:x", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(catalogue::isScriptAddress(c.address), c.script) << c.address;
}

// The tree and catalogue of the worked example, selected item by item.
TEST(SelectionAddress, ByTheSelectedItemsPicture) {
    TempDir dir;
    const std::string ini = dir.file("LXTV.ini");
    writeFile(ini,
              "[A]\r\na=1|http://h/a  \r\nb=2|\r\ns=1|JavaScript:alert(1)\r\n"
              "n=1|  javascript:void(0)\r\n[B]\r\nx=1|http://h/x\r\n");
    toolkit::MemoryTree tree;
    tree.addItem(-1, gbk("节目菜单"), 4, 4, 0, true);    // 0
    const int a = tree.addItem(-1, "A", 0, 1, 1, true);  // 1
    tree.addItem(a, "a", 3, 3, 0, false);                // 2
    tree.addItem(a, "b", 3, 3, 0, false);                // 3
    tree.addItem(a, "s", 3, 3, 0, false);                // 4
    tree.addItem(a, "n", 3, 3, 0, false);                // 5
    tree.addItem(a, "gone", 3, 3, 0, false);             // 6: key not in the file
    tree.addItem(-1, gbk("更多影片"), 2, 2, 0, true);    // 7

    struct Case {
        int selected;
        std::optional<std::string> opens;
    } cases[] = {
        {-1, std::nullopt}, {0, std::nullopt}, {1, std::nullopt},
        {2, "http://h/a"},  {3, ""},           {4, std::nullopt},
        {5, std::nullopt},  {6, ""},           {7, site::siteAddress("/")},
    };
    for (const Case& c : cases) {
        tree.setSelectedIndex(c.selected);
        EXPECT_EQ(catalogue::selectionAddress(tree, ini), c.opens) << c.selected;
    }

    // The local copy is read anew at each selection.
    TempDir later;
    writeFile(later.file("LXTV.ini"), "");
    tree.setSelectedIndex(2);
    EXPECT_EQ(catalogue::selectionAddress(tree, later.file("LXTV.ini")), std::string());
    tree.setSelectedIndex(7);
    EXPECT_EQ(catalogue::selectionAddress(tree, later.file("LXTV.ini")), site::siteAddress("/"));
}

}  // namespace
}  // namespace lxtv::test
