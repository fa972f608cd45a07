#include "app/start.h"

#include <QEventLoop>
#include <QTimer>
#include <QWebEngineProfile>
#include <thread>

#include "browser/browser_pane.h"
#include "browser/downloads.h"
#include "browser/site_links.h"
#include "catalogue/channel_selection.h"
#include "catalogue/data_sync.h"
#include "catalogue/fetch.h"
#include "catalogue/tree_builder.h"
#include "catalogue/zapping.h"
#include "chrome/main_window.h"
#include "chrome/title_strip.h"
#include "media/movie_list.h"
#include "platform/window_wait.h"
#include "state/app_state.h"
#include "toolkit/download_bar.h"
#include "toolkit/list_view.h"
#include "toolkit/picture_button.h"
#include "toolkit/tree_view.h"
#include "toolkit/web_view.h"

namespace lxtv::app {
namespace {

// How long start-up gives the engine to send the loading page's request once it has let it go
// (it takes a few milliseconds); the page's first part, asked for only once the page itself has
// been answered, ends the wait too if it comes sooner.
constexpr int sendingGraceMs = 20;
// However the engine fares, the catalogue waits no longer than this.
constexpr int loadingPageCapMs = 300;

// The catalogue download blocks the window thread, but the browser view's request for the
// loading page only leaves from the window thread's event loop. The window is still hidden
// here, so no viewer input can arrive: let the loop turn until the loading page has been
// requested, then run the download on a helper thread while the loop goes on turning.
//
// The loading page is requested first; what it loads after it (a slow picture, say) does not
// hold the catalogue back. The wait ends at the first of: a request of the page's parts (the
// page has been answered, so its own request was served first), the end of its load, a short
// grace after the engine let its request go, and a cap.
void fetchCatalogueKeepingTheLoadingPageFirst() {
    toolkit::WebView* view = chrome::mainWindow().browserView;
    {
        QEventLoop settle;
        QTimer grace;
        QTimer cap;
        grace.setSingleShot(true);
        cap.setSingleShot(true);
        bool pageRequested = false;
        QObject::connect(&grace, &QTimer::timeout, &settle, &QEventLoop::quit);
        QObject::connect(&cap, &QTimer::timeout, &settle, &QEventLoop::quit);
        QObject::connect(view, &toolkit::WebView::loadFinished, &settle, &QEventLoop::quit);
        QObject::connect(view, &toolkit::WebView::requestIssued, &settle,
                         [&](const QUrl&, bool mainFrame) {
                             if (!pageRequested && mainFrame) {
                                 pageRequested = true;
                                 grace.start(sendingGraceMs);
                             } else if (pageRequested) {
                                 settle.quit();
                             }
                         });
        // The loop has not turned since the view was created, so its first request is ahead.
        view->setReportingRequests(true);
        cap.start(loadingPageCapMs);
        settle.exec();
        view->setReportingRequests(false);
    }

    platform::runWhileWindowWaits([] { catalogue::fetchCatalogue(); });
}

}  // namespace

void onMainWindowCreated() {
    fetchCatalogueKeepingTheLoadingPageFirst();
    state::appState().catalogueIniPath = catalogue::localCopyPath();
    chrome::buildTitleStrip();
    // Never joined: it ends when the tree is built, or with the process.
    std::thread(catalogue::buildCatalogueTree).detach();
}

void connectHandlers(chrome::MainWindow& w) {
    using toolkit::PictureButton;
    const auto onClick = [](PictureButton* button, void (*handler)()) {
        QObject::connect(button, &PictureButton::clicked, button, handler);
    };
    onClick(w.qvodInstallButton, browser::onQvodInstallClicked);
    onClick(w.aboutUsButton, browser::onAboutUsClicked);
    onClick(w.supportChatButton, browser::onSupportChatClicked);
    onClick(w.feedbackButton, browser::onFeedbackClicked);
    onClick(w.onlineUpgradeButton, browser::onOnlineUpgradeClicked);
    onClick(w.dataSyncButton, catalogue::onDataSyncClicked);
    onClick(w.recentUpdatesButton, browser::onRecentUpdatesClicked);
    onClick(w.hotRankingButton, browser::onHotRankingClicked);
    onClick(w.latestPicksButton, browser::onLatestPicksClicked);
    onClick(w.siteHomeButton, browser::onSiteHomeButtonClicked);
    onClick(w.stopButton, browser::onStopButtonClicked);
    onClick(w.refreshButton, browser::onRefreshButtonClicked);
    onClick(w.forwardButton, browser::onForwardButtonClicked);
    onClick(w.backButton, browser::onBackButtonClicked);
    onClick(w.homeButton, browser::onHomeButtonClicked);
    onClick(w.searchButton, browser::onSearchClicked);
    QObject::connect(w.categoryTree, &toolkit::TreeView::selectionChanged, w.categoryTree,
                     &catalogue::onCategoryTreeSelectionChanged);
    QObject::connect(w.movieList, &toolkit::ListView::doubleClicked, w.movieList,
                     &media::onMovieListDoubleClick);
    QObject::connect(w.browserView, &toolkit::WebView::zapRequested, w.browserView,
                     &catalogue::onZapRequested);
    QObject::connect(toolkit::WebView::sharedProfile(), &QWebEngineProfile::downloadRequested,
                     w.downloadBar, &browser::onDownloadRequested);
    QObject::connect(w.downloadBar, &toolkit::DownloadBar::ended, w.downloadBar,
                     &browser::onDownloadEnded);
}

void runExitRoutine() {
    static bool ran = false;
    if (ran) return;
    ran = true;
    state::releaseAppState();
}

}  // namespace lxtv::app
