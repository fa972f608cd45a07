#include "state/app_state.h"

namespace lxtv::state {
namespace {
int releases = 0;

// Every owned field, released in declaration order as the exit routine always has.
void releaseOwnedFields(AppState& s) {
    std::string().swap(s.currentFolder);
    std::string().swap(s.folderRootText);
    std::string().swap(s.fileIconImages);
    std::vector<KnownIcon>().swap(s.knownIconExtensions);
    std::string().swap(s.catalogueIniPath);
    std::vector<std::int32_t>().swap(s.stripObjectIds);
}

}  // namespace

AppState& appState() {
    static AppState state;
    return state;
}

void initAppState() {
    AppState& s = appState();
    s.knownIconExtensions.clear();
    s.stripObjectIds.clear();
}

void releaseAppState() {
    releaseOwnedFields(appState());
    ++releases;
}

void resetAppState() {
    AppState& s = appState();
    s.isMaximized = 0;
    releaseOwnedFields(s);
    s.stripDrag = StripDrag{};
}

int releaseCount() {
    return releases;
}

}  // namespace lxtv::state
