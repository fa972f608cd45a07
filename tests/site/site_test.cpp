// The provider site's addresses: ProviderSite and the fixed path, byte for byte.

#include <gtest/gtest.h>

#include <string>

#include "build_config.h"
#include "site/site.h"

namespace lxtv::site {
namespace {

TEST(SiteAddress, IsTheSiteFollowedByTheFixedPath) {
    const struct {
        const char* path;
        const char* expected;
    } rows[] = {
        {loadingPath, "/loading.html"},
        {homePath, "/"},
        {cataloguePath, "/LXTV.ini"},
        {latestPicksPath, "/listbytype.asp?type_id=20&ranks=3"},
        {hotRankingPath, "/listbytype.asp?type_id=20&ranks=2"},
        {recentUpdatesPath, "/listbytype.asp?type_id=20&ranks=1"},
        {onlineUpgradePath, "/news.asp?id=2"},
        {aboutUsPath, "/news.asp?id=3"},
        {feedbackPath, "/Gbook.asp"},
        {searchPath, "/search.asp?keyword="},
    };
    for (const auto& r : rows)
        EXPECT_EQ(siteAddress(r.path), std::string(config::ProviderSite) + r.expected);
    EXPECT_EQ(siteAddress(""), config::ProviderSite);
}

}  // namespace
}  // namespace lxtv::site
