#include "media/file_icons.h"

#include "media/movie_list.h"
#include "platform/ascii.h"
#include "platform/file_types.h"
#include "platform/image_list.h"
#include "state/app_state.h"
#include "toolkit/list_view.h"

namespace lxtv::media {
namespace {

constexpr int kVideoFileSlot = 1;

}  // namespace

void resetFileIcons() {
    state::AppState& s = state::appState();
    s.fileIconImages = defaultListImages();
    s.knownIconExtensions.clear();
}

int findOrAddIconExtension(const std::string& ext) {
    auto& known = state::appState().knownIconExtensions;
    for (std::size_t i = 0; i < known.size(); ++i)
        if (known[i].extension == ext) return static_cast<int>(i) + 1;
    known.push_back(state::KnownIcon{ext, kVideoFileSlot});
    return 0;
}

int addFileTypeIcon(toolkit::ListView& list, const std::string& name,
                    const std::string& folderPath) {
    const std::string ext = fileExtensionOf(name);
    state::AppState& s = state::appState();
    if (const int position = findOrAddIconExtension(ext); position != 0)
        return s.knownIconExtensions[static_cast<std::size_t>(position) - 1].slot;
    std::string iconFile;
    int iconIndex = 0;
    resolveIconSource(folderPath + "/" + name, iconFile, iconIndex);
    const int slot = appendIconToImageList(s.fileIconImages, iconFile, iconIndex);
    list.setImageList(s.fileIconImages);
    const int shown = slot >= 0 ? slot : kVideoFileSlot;
    s.knownIconExtensions.back().slot = shown;
    return shown;
}

void resolveIconSource(const std::string& path, std::string& iconFile, int& iconIndex) {
    std::string ext;
    if (const std::size_t dot = path.rfind('.'); dot != std::string::npos)
        ext = platform::asciiLowered(std::string_view(path).substr(dot));
    const std::string progId = platform::readRegistryText(ext + "\\");
    // Asked also for an empty program identifier, which names the key "\DefaultIcon".
    const std::string iconSpec = platform::readRegistryText(progId + "\\DefaultIcon\\");
    const std::size_t comma = iconSpec.find(',');
    if (comma == std::string::npos) {
        iconFile = platform::systemFolderPath() + platform::stockIconLibrary;
        iconIndex = 0;
        return;
    }
    iconFile = iconSpec.substr(0, comma);
    const std::size_t next = iconSpec.find(',', comma + 1);
    iconIndex = iconIndexOf(std::string_view(iconSpec).substr(
        comma + 1, next == std::string::npos ? std::string::npos : next - comma - 1));
}

int appendIconToImageList(std::string& blob, const std::string& iconFile, int iconIndex) {
    if (blob.empty()) return -1;
    auto list = platform::readImageListBlob(blob);
    if (!list) return -1;
    const QImage icon = platform::extractIcon(iconFile, iconIndex);
    if (icon.isNull()) return -1;
    const int slot = list->addIcon(icon);
    if (slot == -1) return -1;
    blob = platform::writeImageListBlob(*list);
    return slot;
}

}  // namespace lxtv::media
