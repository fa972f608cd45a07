#pragma once

// Addresses on the provider's site: ProviderSite followed by a fixed path, byte for byte. The
// window (its loading page), the catalogue (the catalogue file, the home page) and the browser
// pane's buttons all take their addresses from here.

#include <string>

namespace lxtv::site {

std::string siteAddress(const char* path);  // ProviderSite + path

inline constexpr char loadingPath[] = "/loading.html";
inline constexpr char homePath[] = "/";
inline constexpr char cataloguePath[] = "/LXTV.ini";
inline constexpr char latestPicksPath[] = "/listbytype.asp?type_id=20&ranks=3";
inline constexpr char hotRankingPath[] = "/listbytype.asp?type_id=20&ranks=2";
inline constexpr char recentUpdatesPath[] = "/listbytype.asp?type_id=20&ranks=1";
inline constexpr char onlineUpgradePath[] = "/news.asp?id=2";
inline constexpr char aboutUsPath[] = "/news.asp?id=3";
inline constexpr char feedbackPath[] = "/Gbook.asp";
inline constexpr char searchPath[] = "/search.asp?keyword=";

}  // namespace lxtv::site
