#include "catalogue/channel_selection.h"

#include <string_view>

#include "catalogue/catalogue_file.h"
#include "catalogue/tree_images.h"
#include "chrome/main_window.h"
#include "platform/ansi.h"
#include "platform/ascii.h"
#include "site/site.h"
#include "state/app_state.h"
#include "toolkit/frame_panel.h"
#include "toolkit/list_view.h"
#include "toolkit/transparent_label.h"
#include "toolkit/tree_view.h"
#include "toolkit/web_view.h"

namespace lxtv::catalogue {

std::string channelAddress(const std::string& value) {
    // The kind byte and the separator go, whatever they are.
    if (value.size() <= 2) return {};
    const std::string_view text = std::string_view(value).substr(2);

    // Walk by characters of the code page, so a trail byte is never taken for a space.
    std::size_t begin = std::string_view::npos;  // first character that is not a space
    std::size_t end = 0;                         // just past the last one
    std::size_t lastStart = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t next = platform::charNext(text, pos);
        const bool space = (next - pos == 1 && text[pos] == ' ') ||
                           (next - pos == 2 && static_cast<unsigned char>(text[pos]) == 0xA1 &&
                            static_cast<unsigned char>(text[pos + 1]) == 0xA1);
        if (!space) {
            if (begin == std::string_view::npos) begin = pos;
            end = next;
        }
        lastStart = pos;
        pos = next;
    }
    if (begin == std::string_view::npos) return {};

    // A lead byte left alone at the very end is dropped instead of the trailing spaces.
    const bool loneLead = lastStart + 1 == text.size() &&
                          platform::isLeadByte(static_cast<unsigned char>(text[lastStart]));
    if (loneLead) return std::string(text.substr(begin, lastStart - begin));
    return std::string(text.substr(begin, end - begin));
}

bool isScriptAddress(const std::string& address) {
    static constexpr std::string_view scheme = "javascript:";
    std::size_t matched = 0;
    bool started = false;
    for (const char c : address) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '\t' || c == '\n' || c == '\r') continue;
        if (!started && b <= 0x20) continue;
        started = true;
        if (platform::asciiLower(c) != scheme[matched]) return false;
        if (++matched == scheme.size()) return true;
    }
    return false;
}

std::optional<std::string> selectionAddress(const toolkit::TreeOperations& tree,
                                            const std::string& iniPath) {
    const std::string category = tree.itemText(tree.parentIndex(tree.selectedIndex()));
    const std::string item = tree.itemText(tree.selectedIndex());
    const std::string address = channelAddress(readCatalogueValue(iniPath, category, item));
    const int image = tree.selectedImageOf(tree.selectedIndex());
    if (image == moreFilmsImage) return site::siteAddress(site::homePath);
    if (image == channelImage) {
        // The catalogue comes over plain HTTP: a script address would run in the page shown.
        if (isScriptAddress(address)) return std::nullopt;
        return address;
    }
    return std::nullopt;
}

void onCategoryTreeSelectionChanged(toolkit::SelectionCause) {
    if (!chrome::hasMainWindow()) return;
    chrome::MainWindow& window = chrome::mainWindow();
    window.pathLabel->setText(QString());
    window.movieList->hide();
    window.browserFrame->show();
    if (auto address = selectionAddress(*window.categoryTree, state::appState().catalogueIniPath))
        window.browserView->setAddress(*address);
}

}  // namespace lxtv::catalogue
