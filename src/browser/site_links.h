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

}  // namespace lxtv::browser
