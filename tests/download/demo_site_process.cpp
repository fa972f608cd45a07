#include "demo_site_process.h"

#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

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

}  // namespace lxtv::test
