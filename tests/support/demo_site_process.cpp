#include "support/demo_site_process.h"

#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

#include "platform/http.h"

extern char** environ;

namespace lxtv::test {
namespace {

bool waitForExit(pid_t pid, std::chrono::milliseconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < until) {
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

}  // namespace

DemoSiteProcess::DemoSiteProcess() {
    const std::string portFile = folder_.file("port");
    std::vector<std::string> args = {LXTV_DEMO_SITE_BIN,
                                     "--port",
                                     "0",
                                     "--port-file",
                                     portFile,
                                     "--log",
                                     folder_.file("requests.log"),
                                     "--header-log",
                                     folder_.file("headers.log")};
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&pid_, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        pid_ = -1;
        return;
    }
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (std::chrono::steady_clock::now() < until) {
        std::ifstream in(portFile);
        if (in >> port_ && port_ > 0) return;
        port_ = 0;
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            pid_ = -1;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

DemoSiteProcess::~DemoSiteProcess() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    if (!waitForExit(pid_, std::chrono::seconds(10))) {
        kill(pid_, SIGKILL);
        waitForExit(pid_, std::chrono::seconds(5));
    }
}

int closedPort() {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    int port = 0;
    if (bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
        port = ntohs(addr.sin_port);
    close(s);
    return port;
}

DemoSiteProcess* DemoSiteTest::site = nullptr;

void DemoSiteTest::SetUpTestSuite() {
    setenv("no_proxy", "127.0.0.1,localhost", 1);
    setenv("NO_PROXY", "127.0.0.1,localhost", 1);
    site = new DemoSiteProcess();
}

void DemoSiteTest::TearDownTestSuite() {
    delete site;
    site = nullptr;
}

void DemoSiteTest::SetUp() {
    ASSERT_TRUE(site->running()) << "the demo site did not start: " LXTV_DEMO_SITE_BIN;
    setFault("none");
}

void DemoSiteTest::TearDown() {
    setFault("none");
}

void DemoSiteTest::setFault(const std::string& mode) {
    const platform::Download d = platform::downloadBody(site->base() + "/__fault/" + mode);
    ASSERT_TRUE(d.complete) << "cannot switch the fault mode to " << mode;
}

std::string DemoSiteTest::siteCatalogue() {
    return readFile(LXTV_SOURCE_DIR "/tools/site/LXTV.ini");
}

std::vector<std::string> folderEntries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace lxtv::test
