#include "media/movie_list.h"

#include <QFile>

#include "chrome/main_window.h"
#include "media/file_icons.h"
#include "platform/ascii.h"
#include "platform/desktop.h"
#include "platform/directory_search.h"
#include "state/app_state.h"
#include "toolkit/list_view.h"
#include "toolkit/transparent_label.h"

// The default image list lives in this library's own resource file; a static library's
// resources must be registered by hand.
static void registerMediaResources() {
    Q_INIT_RESOURCE(media);
}

namespace lxtv::media {
namespace {

constexpr char kSeparator = '/';

// The one place that touches pathLabel. Paths are the file system's bytes, UTF-8 on Linux, so
// the caption is decoded as UTF-8 for display (not as code page 936).
void writeCaptionToPathLabel(const std::string& caption) {
    if (!chrome::hasMainWindow() || chrome::mainWindow().pathLabel == nullptr) return;
    chrome::mainWindow().pathLabel->setText(
        QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
}

}  // namespace

platform::Seam<void(const std::string&)> pathCaptionWriter(writeCaptionToPathLabel);

std::vector<std::string> videoFilePatternList() {
    std::vector<std::string> out;
    const std::string all = videoFilePatterns;
    std::size_t from = 0;
    while (from <= all.size()) {
        const std::size_t semi = all.find(';', from);
        const std::size_t end = semi == std::string::npos ? all.size() : semi;
        out.push_back(all.substr(from, end - from));
        from = end + 1;
    }
    return out;
}

void onMovieListDoubleClick() {
    if (!chrome::hasMainWindow() || chrome::mainWindow().movieList == nullptr) return;
    handleMovieListDoubleClick(*chrome::mainWindow().movieList);
}

void handleMovieListDoubleClick(toolkit::ListView& list) {
    const int selected = list.firstSelectedItem();
    if (selected == -1) return;
    state::AppState& s = state::appState();
    s.currentFolder = trimTrailingBackslashes(s.currentFolder);
    std::string path = s.currentFolder + kSeparator + list.itemText(selected);
    const int slot = list.itemImage(selected);
    if (slot != 0) {
        platform::openWithDesktop(path);
        return;
    }
    if (!fillMovieList(list, path)) return;
    s.currentFolder = path;
    showFolderPath(s.folderRootText, path);
}

std::string trimTrailingBackslashes(const std::string& path) {
    const std::size_t last = path.find_last_not_of(kSeparator);
    if (last == std::string::npos) return path;
    return path.substr(0, last + 1);
}

bool fillMovieList(toolkit::ListView& list, std::string& folderPath) {
    folderPath = trimTrailingBackslashes(folderPath);
    platform::DirectorySearch search;
    std::string name =
        search.start(folderPath + kSeparator + "*.*", platform::SearchKind::Subfolders);
    if (name.empty()) {
        search.close();
        return false;
    }
    list.deleteAllItems();
    resetFileIcons();
    list.setImageList(defaultListImages());
    for (; !name.empty(); name = search.next(platform::SearchKind::Subfolders))
        if (name != "." && name != "..") list.insertItem(name, 0);

    for (const std::string& pattern : videoFilePatternList()) {
        name = search.start(folderPath + kSeparator + pattern, platform::SearchKind::Files);
        for (; !name.empty(); name = search.next(platform::SearchKind::Files)) {
            if (fileExtensionOf(name).empty())
                list.insertItem(name, 0);
            else
                list.insertItem(name, addFileTypeIcon(list, name, folderPath));
        }
    }
    search.close();
    return true;
}

std::string folderPathCaption(const std::string& rootText, const std::string& folderPath) {
    std::string part;
    // Byte-wise search: in UTF-8 a match of a whole UTF-8 text always starts on a character.
    const std::size_t first = rootText.empty() ? std::string::npos : folderPath.find(rootText);
    if (first != std::string::npos) {
        const std::size_t from = first + rootText.size();
        const std::size_t next = folderPath.find(rootText, from);
        part = folderPath.substr(from, next == std::string::npos ? std::string::npos : next - from);
    }
    return ">> " + rootText + part;
}

void showFolderPath(const std::string& rootText, const std::string& folderPath) {
    pathCaptionWriter(folderPathCaption(rootText, folderPath));
}

std::string fileExtensionOf(const std::string& name) {
    // Byte-wise: names are UTF-8, where no byte of a multi-byte character is ".".
    const std::size_t dot = name.rfind('.');
    if (dot == std::string::npos) return {};
    return platform::asciiLowered(std::string_view(name).substr(dot + 1));
}

const std::string& defaultListImages() {
    static const std::string blob = [] {
        registerMediaResources();
        QFile file(":/assets/defaultListImages.bin");
        if (!file.open(QIODevice::ReadOnly)) return std::string();
        const QByteArray bytes = file.readAll();
        return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }();
    return blob;
}

}  // namespace lxtv::media
