#pragma once

// Runs the demo provider site as a child process on a free loopback port, with its request
// and header logs in a temporary folder.

#include <sys/types.h>

#include <string>

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

}  // namespace lxtv::test
