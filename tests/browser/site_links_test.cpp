// The search address, the support chat link and the installer launcher.

#include "browser/site_links.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QByteArray>
#include <filesystem>
#include <string>
#include <vector>

#include "build_config.h"
#include "platform/desktop.h"
#include "platform/files.h"
#include "site/site.h"
#include "support/test_support.h"

namespace lxtv::test {
namespace {

using browser::searchAddress;

const std::string searchBase = std::string(config::ProviderSite) + "/search.asp?keyword=";

// The keyword goes out as its exact code page 936 bytes: characters that would change the
// query's meaning, and every byte above 127, are percent-encoded.
TEST(SearchAddress, EncodesEveryByteButTheUnreservedOnes) {
    const struct {
        std::string keyword;
        std::string query;
    } cases[] = {
        {"", ""},
        {"abc", "abc"},
        {"aZ09-_.~", "aZ09-_.~"},
        {" lead and trail ", "%20lead%20and%20trail%20"},
        {"Tom & Jerry", "Tom%20%26%20Jerry"},
        {"C#", "C%23"},
        {"100%", "100%25"},
        {"%41", "%2541"},
        {"a+b=c/d?e", "a%2Bb%3Dc%2Fd%3Fe"},
        {gbk("电视"), "%B5%E7%CA%D3"},
        {gbk("岚汐 TV"), "%E1%B0%CF%AB%20TV"},
        {std::string("\x80\xFF\x01", 3), "%80%FF%01"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(searchAddress(c.keyword), searchBase + c.query) << c.keyword;
    }
}

// Decoding what was sent gives back exactly the bytes typed, for every byte value and for the
// longest text the search box holds (40 bytes).
TEST(SearchAddress, SiteReceivesTheBytesTyped) {
    std::string everyByte;
    for (int b = 1; b < 256; ++b) everyByte += static_cast<char>(b);
    const std::string longest = gbk("一二三四五六七八九十一二三四五六七八九十");
    ASSERT_EQ(longest.size(), 40u);

    for (const std::string& keyword : {everyByte, longest}) {
        const std::string address = searchAddress(keyword);
        ASSERT_EQ(address.rfind(searchBase, 0), 0u);
        const std::string query = address.substr(searchBase.size());
        for (const char c : query) {
            const auto b = static_cast<unsigned char>(c);
            EXPECT_TRUE(b > 32 && b < 127 && c != '&' && c != '#' && c != '+') << query;
        }
        const QByteArray decoded =
            QByteArray::fromPercentEncoding(QByteArray::fromStdString(query));
        EXPECT_EQ(decoded.toStdString(), keyword);
    }
    EXPECT_EQ(searchAddress(longest).size(), searchBase.size() + 120);
}

TEST(SupportChat, LinkCarriesTheAccountAndTheSiteNameInCodePage936) {
    EXPECT_EQ(browser::supportChatAddress(),
              std::string("tencent://message/?uin=") + config::supportAccountNumber +
                  "&Site=\xE1\xB0\xCF\xAB\xCD\xF8\xC2\xE7\xB5\xE7\xCA\xD3&Menu=yes");
}

// The installer is handed to the desktop's opener and nothing else happens: no waiting, no
// check that it exists, no message, no new window.
TEST(QvodInstall, HandsTheInstallerBesideTheProgramToTheOpener) {
    std::vector<std::string> opened;
    auto opener =
        platform::desktopOpener.replaceWith([&](const std::string& t) { opened.push_back(t); });
    const auto windowsBefore = QApplication::topLevelWidgets().size();

    browser::onQvodInstallClicked();
    browser::onQvodInstallClicked();
    QApplication::processEvents();

    opener = {};
    const std::string expected = platform::runDirectory() + "/QvodInstall.exe";
    EXPECT_EQ(opened, (std::vector<std::string>{expected, expected}));
    EXPECT_EQ(browser::installerPath(), expected);
    EXPECT_EQ(QApplication::topLevelWidgets().size(), windowsBefore);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// The installer beside the program wins; an installed client's viewer can only put it in the
// data folder, so that one comes next; with neither, the name beside the program goes out.
TEST(QvodInstall, LooksBesideTheProgramThenInTheDataFolder) {
    TempDir dir;
    const std::string program = dir.file("bin"), data = dir.file("data");
    std::filesystem::create_directories(program);
    std::filesystem::create_directories(data);
    const struct {
        const char* what;
        bool besideProgram, inData;
        std::string expected;
    } rows[] = {
        {"neither", false, false, program + "/QvodInstall.exe"},
        {"only beside the program", true, false, program + "/QvodInstall.exe"},
        {"only in the data folder", false, true, data + "/QvodInstall.exe"},
        {"both", true, true, program + "/QvodInstall.exe"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        std::filesystem::remove(program + "/QvodInstall.exe");
        std::filesystem::remove(data + "/QvodInstall.exe");
        if (row.besideProgram) writeFile(program + "/QvodInstall.exe", "MZ");
        if (row.inData) writeFile(data + "/QvodInstall.exe", "MZ");
        EXPECT_EQ(browser::installerPathIn(program, data), row.expected);
    }
    // A run that keeps its files beside the program has one place to look.
    EXPECT_EQ(browser::installerPathIn(program, program), program + "/QvodInstall.exe");
}

}  // namespace
}  // namespace lxtv::test
