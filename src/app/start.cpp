#include "app/start.h"

#include <QEventLoop>
#include <QTimer>
#include <QWebEngineProfile>
#include <atomic>
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
#include "state/app_state.h"
#include "toolkit/download_bar.h"
#include "toolkit/list_view.h"
#include "toolkit/picture_button.h"
#include "toolkit/tree_view.h"
#include "toolkit/web_view.h"

namespace lxtv::app {
namespace {

// The catalogue download blocks the window thread, but the browser view's request for the
// loading page only leaves from the window thread's event loop. The window is still hidden
// here, so no viewer input can arrive: run the download on a helper thread and let the loop
// turn until it ends, after the loading page's navigation has had its moment to start.
void fetchCatalogueKeepingTheLoadingPageFirst() {
    chrome::MainWindow& window = chrome::mainWindow();
    {
        QEventLoop settle;
        QTimer cap;
        cap.setSingleShot(true);
        QObject::connect(&cap, &QTimer::timeout, &settle, &QEventLoop::quit);
        // The loop has not turned since the view was created, so its first load is still ahead.
        QObject::connect(window.browserView, &toolkit::WebView::loadFinished, &settle,
                         &QEventLoop::quit);
        // A stalled or slow site must not hold start-up back for long.
        cap.start(2000);
        settle.exec();
    }

    std::atomic<bool> done = false;
    QEventLoop wait;
    std::thread worker([&] {
        catalogue::fetchCatalogue();
        done = true;
        QMetaObject::invokeMethod(&wait, &QEventLoop::quit, Qt::QueuedConnection);
    });
    if (!done) wait.exec();
    worker.join();
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
