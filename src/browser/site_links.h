#pragma once

// The top row's section buttons, the search, the installer launcher and the support chat.

#include <string>

namespace lxtv::browser {

void onLatestPicksClicked();
void onHotRankingClicked();
void onRecentUpdatesClicked();
void onOnlineUpgradeClicked();
void onFeedbackClicked();
void onAboutUsClicked();
void onSearchClicked();
void onQvodInstallClicked();
void onSupportChatClicked();

// ProviderSite + "/search.asp?keyword=" + the keyword's code page 936 bytes, percent-encoded
// except ASCII letters, digits and "-", "_", ".", "~".
std::string searchAddress(const std::string& keyword);

// "tencent://message/?uin=" + supportAccountNumber + "&Site=岚汐网络电视&Menu=yes", code page 936.
std::string supportChatAddress();

// The player's installer: "QvodInstall.exe" beside the program when it is there, else the one
// in the data folder when that is, else the name beside the program (nothing checks it further:
// the desktop's opener says what it says).
std::string installerPathIn(const std::string& programFolder, const std::string& dataFolder);
// installerPathIn(runDirectory(), dataDirectory()).
std::string installerPath();

}  // namespace lxtv::browser
