#include "browser/browser_pane.h"

#include "chrome/main_window.h"
#include "site/site.h"
#include "toolkit/frame_panel.h"
#include "toolkit/list_view.h"
#include "toolkit/web_view.h"

namespace lxtv::browser {
namespace {

toolkit::WebView& view() {
    return *chrome::mainWindow().browserView;
}

}  // namespace

void onHomeButtonClicked() {
    chrome::MainWindow& window = chrome::mainWindow();
    window.movieList->hide();
    window.browserFrame->show();
    view().setAddress(site::siteAddress(site::homePath));
}

// The engine's own history; with nowhere to go these do nothing, so the buttons stay enabled.
void onBackButtonClicked() {
    view().goBack();
}
void onForwardButtonClicked() {
    view().goForward();
}
void onRefreshButtonClicked() {
    view().refresh();
}
void onStopButtonClicked() {
    view().stop();
}

void onSiteHomeButtonClicked() {
    view().setAddress(site::siteAddress(site::homePath));
}

}  // namespace lxtv::browser
