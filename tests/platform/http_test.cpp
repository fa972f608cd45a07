// The HTTP GET against the demo site: the request's shape, whole answers, broken ones and why.

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <vector>

#include "platform/http.h"
#include "support/demo_site_process.h"

namespace lxtv::platform {
namespace {

using HttpTest = test::DemoSiteTest;

// The request looks as the provider's site has always seen it.
TEST_F(HttpTest, RequestHasTheClientsShape) {
    const std::string before = site->headerLog();
    const Download d = downloadBody(site->base() + "/LXTV.ini");
    ASSERT_TRUE(d.complete);
    EXPECT_EQ(describe(d), "complete");

    const std::string block = site->headerLog().substr(before.size());
    std::istringstream lines(block);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "GET /LXTV.ini HTTP/1.0");
    std::vector<std::string> accepts, agents, pragmas, cacheControls;
    while (std::getline(lines, line) && !line.empty()) {
        const auto colon = line.find(':');
        std::string name = line.substr(0, colon);
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const std::string value = line.substr(colon + 2);
        if (name == "accept") accepts.push_back(value);
        if (name == "user-agent") agents.push_back(value);
        if (name == "pragma") pragmas.push_back(value);
        if (name == "cache-control") cacheControls.push_back(value);
    }
    EXPECT_EQ(accepts, std::vector<std::string>{"*/*"});
    EXPECT_EQ(agents,
              std::vector<std::string>{"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)"});
    EXPECT_EQ(pragmas, std::vector<std::string>{"no-cache"});
    EXPECT_EQ(cacheControls, std::vector<std::string>{"no-cache"});

    const std::string log = site->requestLog();
    EXPECT_EQ(log.substr(log.size() - 14), "GET /LXTV.ini\n");
}

// Whole answers arrive whole, however the server ends them.
TEST_F(HttpTest, CompleteAnswersArriveWhole) {
    struct Case {
        const char* fault;
        std::string expected;  // empty with `size` set: check the size only
        size_t size;
    };
    const std::string catalogue = siteCatalogue();
    ASSERT_FALSE(catalogue.empty());
    const Case cases[] = {
        {"none", catalogue, catalogue.size()},
        {"nolength", catalogue, catalogue.size()},  // body ended by closing the connection
        {"empty", "", 0},
        {"large", "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        setFault(c.fault);
        const Download d = downloadBody(site->base() + "/LXTV.ini");
        EXPECT_TRUE(d.complete);
        EXPECT_EQ(d.status, 200);
        if (std::string(c.fault) == "large") {
            // 10,000 categories of 20 channels after the config section.
            EXPECT_EQ(d.body.rfind("[config]\r\n", 0), 0u);
            size_t sections = 0, keys = 0;
            for (size_t p = 0; (p = d.body.find("\r\n", p)) != std::string::npos; p += 2) {
                if (d.body.compare(p + 2, 1, "[") == 0) ++sections;
                if (d.body.compare(p + 2, 2, "\xCC\xA8") == 0) ++keys;  // 台
            }
            EXPECT_EQ(sections, 10000u);
            EXPECT_EQ(keys, 200000u);
            EXPECT_EQ(d.body.substr(d.body.size() - 2), "\r\n");
        } else {
            EXPECT_EQ(d.body, c.expected);
        }
    }
}

// Every failed answer is reported as incomplete, with what did arrive.
TEST_F(HttpTest, BrokenAnswersAreNotComplete) {
    const auto shortWaits = platform::downloadTimeouts.replaceWith([] {
        return platform::DownloadTimeouts{3, 1};
    });
    const std::string catalogue = siteCatalogue();

    setFault("status");
    Download d = downloadBody(site->base() + "/LXTV.ini");
    EXPECT_FALSE(d.complete);
    EXPECT_EQ(d.transferCode, CURLE_OK);
    EXPECT_EQ(d.status, 404);
    EXPECT_NE(d.body.find("Not Found"), std::string::npos);

    setFault("truncate");
    d = downloadBody(site->base() + "/LXTV.ini");
    EXPECT_FALSE(d.complete);
    EXPECT_EQ(d.transferCode, CURLE_PARTIAL_FILE);
    EXPECT_EQ(d.status, 200);
    EXPECT_EQ(d.body, catalogue.substr(0, catalogue.size() / 2));

    setFault("stall");
    const auto start = std::chrono::steady_clock::now();
    d = downloadBody(site->base() + "/LXTV.ini");
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_FALSE(d.complete);
    EXPECT_EQ(d.transferCode, CURLE_OPERATION_TIMEDOUT);
    EXPECT_EQ(d.body, catalogue.substr(0, 16));
    EXPECT_LT(waited, std::chrono::seconds(10)) << "the no-data time-out did not end the wait";
    setFault("none");

    d = downloadBody("http://127.0.0.1:" + std::to_string(test::closedPort()) + "/LXTV.ini");
    EXPECT_FALSE(d.complete);
    EXPECT_EQ(d.transferCode, CURLE_COULDNT_CONNECT);
    EXPECT_EQ(d.status, 0);
    EXPECT_TRUE(d.body.empty());

    const std::string logBefore = site->requestLog();
    d = downloadBody("");
    EXPECT_FALSE(d.complete);
    EXPECT_TRUE(d.body.empty());
    EXPECT_EQ(site->requestLog(), logBefore) << "an empty address must send nothing";

    // Only the web's schemes: an address never reads a local file.
    d = downloadBody("file://" LXTV_SOURCE_DIR "/tools/site/LXTV.ini");
    EXPECT_FALSE(d.complete);
    EXPECT_EQ(d.transferCode, CURLE_UNSUPPORTED_PROTOCOL);
    EXPECT_TRUE(d.body.empty());
}

// The demo site's search page shows the keyword it received, and its log keeps the raw target.
TEST_F(HttpTest, DemoSiteShowsTheReceivedKeyword) {
    const std::string target = "/search.asp?keyword=%D6%D0%CE%C4%20a&b";
    const Download d = downloadBody(site->base() + target);
    ASSERT_TRUE(d.complete);
    EXPECT_NE(d.body.find("<b id=\"keyword-gbk\">中文 a&amp;b</b>"), std::string::npos);
    EXPECT_NE(d.body.find("<code id=\"keyword-hex\">D6 D0 CE C4 20 61 26 62</code>"),
              std::string::npos);
    const std::string log = site->requestLog();
    EXPECT_NE(log.find("GET " + target + "\n"), std::string::npos);
}

}  // namespace
}  // namespace lxtv::platform
