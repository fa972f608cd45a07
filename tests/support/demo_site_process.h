#pragma once

// Runs the demo provider site as a child process on a free loopback port, with its request
// and header logs in a temporary folder.

#include <gtest/gtest.h>
#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace lxtv::test {

class DemoSiteProcess {
  public:
    DemoSiteProcess();   // starts the server and waits until it listens
    ~DemoSiteProcess();  // stops it (SIGTERM, then SIGKILL if it lingers)
    DemoSiteProcess(const DemoSiteProcess&) = delete;
    DemoSiteProcess& operator=(const DemoSiteProcess&) = delete;

    bool running() const { return port_ > 0; }
    int port() const { return port_; }
    std::string base() const { return "http://127.0.0.1:" + std::to_string(port_); }
    std::string requestLog() const { return readFile(folder_.file("requests.log")); }
    std::string headerLog() const { return readFile(folder_.file("headers.log")); }

  private:
    TempDir folder_;
    pid_t pid_ = -1;
    int port_ = 0;
};

// A loopback port on which nothing listens (bound once, then released).
int closedPort();

// Tests against one demo site shared by the suite, in fault mode "none" at every test's start
// and end. Downloads honour the environment's proxy; the loopback site is reached directly.
class DemoSiteTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Switches the site's fault mode (none, status, truncate, nolength, stall, large, empty).
    static void setFault(const std::string& mode);
    static std::string siteCatalogue();  // the catalogue the site serves in mode "none"

    static DemoSiteProcess* site;
};

// The names in a folder, sorted.
std::vector<std::string> folderEntries(const std::filesystem::path& folder);

}  // namespace lxtv::test
