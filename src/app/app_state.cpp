#include "app/app_state.h"

#include <filesystem>
#include <system_error>

namespace lxtv::app {
namespace {
int releases = 0;
}

AppState& appState() {
    static AppState state;
    return state;
}

void initAppState() {
    AppState& s = appState();
    s.knownIconExtensions.clear();
    s.stripObjectIds.clear();
}

namespace {

// Released in declaration order, as the exit routine always has.
void releaseOwnedFields(AppState& s) {
    std::string().swap(s.currentFolder);
    std::string().swap(s.folderRootText);
    std::string().swap(s.fileIconImages);
    std::vector<std::string>().swap(s.knownIconExtensions);
    std::string().swap(s.catalogueIniPath);
    std::vector<std::int32_t>().swap(s.stripObjectIds);
}

}  // namespace

void releaseAppState() {
    releaseOwnedFields(appState());
    ++releases;
}

void resetAppState() {
    appState().isMaximized = 0;
    releaseOwnedFields(appState());
}

int releaseCount() {
    return releases;
}

std::string runDirectory() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return std::filesystem::current_path(ec).string();
    std::string path = exe.string();
    const auto slash = path.rfind('/');
    // The program file's path cut before its last separator; the root stays "/"-less like a
    // drive root would ("" + "/LXTV.ini" is still the right file).
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

}  // namespace lxtv::app
