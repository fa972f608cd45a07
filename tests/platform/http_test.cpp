// The HTTP GET against the demo site: the request's shape, whole answers, broken ones and why.

#include <curl/curl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>
#include <thread>
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
    const auto shortWaits = platform::downloadLimits.replaceWith([] {
        return platform::DownloadLimits{3, 2};
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
    EXPECT_EQ(d.abandoned, Abandoned::tooSlow);
    EXPECT_EQ(d.body, catalogue.substr(0, 16));
    EXPECT_LT(waited, std::chrono::seconds(20)) << "the slow-transfer rule did not end the wait";
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

long residentBytes() {
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * sysconf(_SC_PAGESIZE);
}

long peakResidentBytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss * 1024;
}

// Switches the site's fault mode to "none" once this process has grown by `limit` bytes, so a
// client without a size limit ends its download instead of filling the machine's memory. Its
// own handle: the client's downloads hold theirs.
class MemoryGuard {
  public:
    MemoryGuard(std::string base, long limit)
        : thread_([this, base = std::move(base), limit, start = residentBytes()] {
              while (!done_ && residentBytes() - start < limit)
                  std::this_thread::sleep_for(std::chrono::milliseconds(20));
              if (done_) return;
              tripped_ = true;
              CURL* curl = curl_easy_init();
              const std::string address = base + "/__fault/none";
              curl_easy_setopt(curl, CURLOPT_URL, address.c_str());
              curl_easy_setopt(curl, CURLOPT_NOPROXY, "*");
              curl_easy_setopt(
                  curl, CURLOPT_WRITEFUNCTION,
                  +[](char*, size_t size, size_t n, void*) { return size * n; });
              curl_easy_perform(curl);
              curl_easy_cleanup(curl);
          }) {}
    ~MemoryGuard() {
        done_ = true;
        thread_.join();
    }
    bool tripped() const { return tripped_; }

  private:
    std::atomic<bool> done_{false};
    std::atomic<bool> tripped_{false};
    std::thread thread_;
};

// An endless body (no length, no end) is abandoned at the size limit: the download fails, its
// bytes are dropped, and the memory it took is bounded by the limit.
TEST_F(HttpTest, EndlessBodyIsAbandonedAtTheSizeLimit) {
    constexpr long limit = 64l << 20;
    const long peakBefore = std::max(peakResidentBytes(), residentBytes());
    setFault("endless");
    Download d;
    bool tripped = false;
    {
        const MemoryGuard guard(site->base(), 6 * limit);
        d = downloadBody(site->base() + "/LXTV.ini");
        tripped = guard.tripped();
    }
    EXPECT_FALSE(tripped) << "the download grew past six times the limit";
    EXPECT_FALSE(d.complete);
    EXPECT_EQ(d.status, 200);
    EXPECT_EQ(describe(d), "abandoned: body over 67108864 bytes");
    EXPECT_TRUE(d.body.empty());
    EXPECT_EQ(d.body.capacity(), std::string().capacity()) << "the dropped body kept its memory";
    // The body is gathered in at most one buffer of the limit's size and its predecessor.
    // AddressSanitizer holds freed blocks back in its quarantine, so there the resident peak
    // says nothing about the client; the bound is checked in the plain build.
#if !defined(__SANITIZE_ADDRESS__)
    EXPECT_LT(peakResidentBytes() - peakBefore, 2 * limit + (32l << 20));
#else
    (void)peakBefore;
#endif

    // The same site answers normally afterwards.
    setFault("none");
    EXPECT_TRUE(downloadBody(site->base() + "/LXTV.ini").complete);
}

// A trickle keeps the connection busy but brings too little: the transfer is given up by the
// slow-transfer rule, or by the running-time limit when the rule is lenient enough to let it
// through. What did arrive is kept, the start of the catalogue.
TEST_F(HttpTest, TrickleIsAbandoned) {
    const struct {
        DownloadLimits limits;
        Abandoned reason;
        const char* described;
    } cases[] = {
        {{3, 2, 1024, 600}, Abandoned::tooSlow, "abandoned: fewer than 1024 bytes in 2 s"},
        {{3, 2, 1, 3}, Abandoned::tooLong, "abandoned: still running after 3 s"},
    };
    const std::string catalogue = siteCatalogue();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.described);
        const auto limits = downloadLimits.replaceWith([&c] { return c.limits; });
        setFault("trickle");
        const auto start = std::chrono::steady_clock::now();
        const Download d = downloadBody(site->base() + "/LXTV.ini");
        const auto waited = std::chrono::steady_clock::now() - start;
        EXPECT_FALSE(d.complete);
        EXPECT_EQ(d.abandoned, c.reason);
        EXPECT_EQ(describe(d), c.described);
        EXPECT_FALSE(d.body.empty());
        EXPECT_LT(d.body.size(), 64u);
        EXPECT_EQ(catalogue.substr(0, d.body.size()), d.body);
        EXPECT_LT(waited, std::chrono::seconds(30));
    }
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
