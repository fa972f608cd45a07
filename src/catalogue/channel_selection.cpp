#include "catalogue/channel_selection.h"

#include "catalogue/catalogue_file.h"
#include "catalogue/tree_images.h"
#include "chrome/main_window.h"
#include "site/site.h"
#include "state/app_state.h"
#include "toolkit/frame_panel.h"
#include "toolkit/list_view.h"
#include "toolkit/transparent_label.h"
#include "toolkit/tree_view.h"
#include "toolkit/web_view.h"

namespace lxtv::catalogue {

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
