#include "catalogue/tree_builder.h"

#include <atomic>
#include <string_view>
#include <vector>

#include "catalogue/catalogue_file.h"
#include "catalogue/tree_carrier.h"
#include "catalogue/tree_images.h"
#include "chrome/main_window.h"
#include "chrome/title_strip.h"
#include "platform/ansi.h"
#include "platform/profile.h"
#include "state/app_state.h"
#include "toolkit/tree_view.h"

namespace lxtv::catalogue {

namespace {

struct Texts {
    std::string header = platform::fromUtf8("节目菜单");
    std::string moreFilms = platform::fromUtf8("更多影片");
    std::string maximized = platform::fromUtf8("最大化");
};

std::atomic<int> buildersRunning{0};

const Texts& texts() {
    static const Texts converted;
    return converted;
}

}  // namespace

bool fillCatalogueTree(toolkit::TreeOperations& tree, const std::string& iniPath) {
    const Texts& t = texts();
    // Some 200,000 reads in a row: they share their looks at the file. A copy replaced while
    // the build goes on (a data sync) is still seen within a millisecond, at once when the
    // data sync has parsed it into the cache.
    platform::ProfileReads reads;
    tree.clearItems();
    tree.addItem(0, t.header, headerImage, headerImage, 0, true);

    const std::vector<std::string> sections = listCatalogueSections(reads, iniPath);
    for (std::size_t i = 0; i < sections.size(); ++i) {
        const std::string& section = sections[i];
        if (section == "config") continue;
        const int position = static_cast<int>(i) + 1;
        // Categories carry their distinct position as value and every other item 0, so a
        // search by value always lands on the item this call returns.
        const int category =
            tree.addItem(-1, section, categoryImage, selectedCategoryImage, position, true);

        const std::string keys = listSectionKeys(reads, iniPath, section);
        std::string_view rest = keys;
        while (!rest.empty()) {
            const std::size_t end = rest.find("\r\n");
            const std::string key(rest.substr(0, end));
            rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 2);
            if (key.empty()) continue;
            const char kind = readChannelKind(reads, iniPath, section, key);
            if (kind == '1') {
                tree.addItem(category, key, channelImage, channelImage, 0, false);
            } else if (kind == '2') {
                tree.addItem(category, key, channelImage, channelImage, 0, false);
                tree.expandItem(category);
            }
        }
    }

    tree.addItem(tree.itemCount(), t.moreFilms, moreFilmsImage, moreFilmsImage, 0, true);
    return readCatalogueValue(reads, iniPath, "config", t.maximized) == "0";
}

void buildCatalogueTreeInto(toolkit::TreeView* tree, const std::string& iniPath,
                            const std::function<void()>& toggleWindow) {
    WindowTreeCarrier carrier(tree);
    const bool maximize = fillCatalogueTree(carrier, iniPath);
    if (!maximize) return;
    // The window changes state only after the whole tree is on screen.
    carrier.waitUntilShown();
    if (toggleWindow) toggleWindow();
}

bool treeBuilderRunning() {
    return buildersRunning.load() > 0;
}

void buildCatalogueTree() {
    struct Running {
        Running() { ++buildersRunning; }
        ~Running() { --buildersRunning; }
    } running;
    if (!chrome::hasMainWindow()) return;
    const std::string iniPath = state::appState().catalogueIniPath;
    buildCatalogueTreeInto(chrome::mainWindow().categoryTree, iniPath,
                           [] { chrome::toggleMaximized(); });
}

}  // namespace lxtv::catalogue
