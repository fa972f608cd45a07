#include "browser/site_links.h"

#include <filesystem>
#include <system_error>

#include "build_config.h"
#include "chrome/main_window.h"
#include "platform/ansi.h"
#include "platform/desktop.h"
#include "platform/files.h"
#include "site/site.h"
#include "toolkit/edit_box.h"
#include "toolkit/web_view.h"

namespace lxtv::browser {
namespace {

// Sets the view's address; visibility, the tree and the path label stay as they are.
void open(const std::string& address) {
    chrome::mainWindow().browserView->setAddress(address);
}

bool isUnreserved(unsigned char b) {
    return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '-' ||
           b == '_' || b == '.' || b == '~';
}

}  // namespace

std::string searchAddress(const std::string& keyword) {
    // Every other byte is escaped, so "&", "#", "%" and spaces stay part of the keyword and the
    // site receives the code page 936 bytes as typed, not the engine's UTF-8 re-encoding.
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string address = site::siteAddress(site::searchPath);
    address.reserve(address.size() + keyword.size() * 3);
    for (const char c : keyword) {
        const auto b = static_cast<unsigned char>(c);
        if (isUnreserved(b)) {
            address += c;
        } else {
            address += '%';
            address += hex[b >> 4];
            address += hex[b & 0x0F];
        }
    }
    return address;
}

std::string supportChatAddress() {
    static const std::string site = platform::fromUtf8("岚汐网络电视");
    return std::string("tencent://message/?uin=") + config::supportAccountNumber + "&Site=" + site +
           "&Menu=yes";
}

std::string installerPathIn(const std::string& programFolder, const std::string& dataFolder) {
    const std::string beside = programFolder + "/QvodInstall.exe";
    if (dataFolder == programFolder) return beside;
    std::error_code ec;
    if (std::filesystem::exists(beside, ec)) return beside;
    const std::string inData = dataFolder + "/QvodInstall.exe";
    // A viewer of an installed client cannot put the installer beside the program.
    if (std::filesystem::exists(inData, ec)) return inData;
    return beside;
}

std::string installerPath() {
    return installerPathIn(platform::runDirectory(), platform::dataDirectory());
}

void onLatestPicksClicked() {
    open(site::siteAddress(site::latestPicksPath));
}
void onHotRankingClicked() {
    open(site::siteAddress(site::hotRankingPath));
}
void onRecentUpdatesClicked() {
    open(site::siteAddress(site::recentUpdatesPath));
}
void onOnlineUpgradeClicked() {
    open(site::siteAddress(site::onlineUpgradePath));
}
void onFeedbackClicked() {
    open(site::siteAddress(site::feedbackPath));
}
void onAboutUsClicked() {
    open(site::siteAddress(site::aboutUsPath));
}

void onSearchClicked() {
    open(searchAddress(chrome::mainWindow().searchEdit->text()));
}

// The installer runs as its own process; whether it exists or starts is not our concern, and
// nothing is reported either way.
void onQvodInstallClicked() {
    platform::openWithDesktop(installerPath());
}

// Opened in the view like a page: the engine hands the "tencent" scheme to the desktop's handler.
void onSupportChatClicked() {
    open(supportChatAddress());
}

}  // namespace lxtv::browser
