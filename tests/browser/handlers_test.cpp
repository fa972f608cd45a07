// The handlers of the navigation bar, the section buttons, the search and the outward links,
// run against the real window: each sets the view's address and leaves the rest as it was.

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QList>
#include <QSignalBlocker>
#include <QUrl>
#include <filesystem>
#include <string>
#include <vector>

#include "browser/browser_pane.h"
#include "browser/site_links.h"
#include "build_config.h"
#include "chrome/main_window.h"
#include "platform/desktop.h"
#include "site/site.h"
#include "state/app_state.h"
#include "support/test_support.h"
#include "toolkit/edit_box.h"
#include "toolkit/frame_panel.h"
#include "toolkit/list_view.h"
#include "toolkit/transparent_label.h"
#include "toolkit/tree_view.h"
#include "toolkit/web_view.h"

namespace lxtv::test {
namespace {

using chrome::MainWindow;

struct WindowFixture : ::testing::Test {
    WindowFixture() {
        window.load();
        QObject::connect(window.browserView, &toolkit::WebView::navigated,
                         [this](const QUrl& u) { navigated << u; });
        // A state the section buttons must not disturb: the movie list in front, a path shown,
        // a tree item selected, a search text typed.
        window.browserFrame->hide();
        window.movieList->show();
        window.pathLabel->setText(QStringLiteral("/media/films"));
        const int item = window.categoryTree->addItem(-1, "news", 0, 0, 1, true);
        const QSignalBlocker quiet(window.categoryTree);  // no channel selection wanted here
        window.categoryTree->setSelectedIndex(item);
        window.searchEdit->setAnsiText("typed");
    }

    struct Snapshot {
        bool frameHidden, listHidden;
        QString path;
        int selected;
        std::string search;
        QRect geometry;
        bool operator==(const Snapshot&) const = default;
    };
    Snapshot snapshot() const {
        return {window.browserFrame->isHidden(), window.movieList->isHidden(),
                window.pathLabel->text(),        window.categoryTree->selectedIndex(),
                window.searchEdit->text(),       window.geometry()};
    }

    MainWindow window;
    QList<QUrl> navigated;
};

// Each section button opens its page, every click a new navigation, and touches nothing else.
TEST_F(WindowFixture, SectionButtonsSetOnlyTheAddress) {
    const struct {
        void (*handler)();
        const char* path;
    } sections[] = {
        {browser::onSiteHomeButtonClicked, "/"},
        {browser::onLatestPicksClicked, "/listbytype.asp?type_id=20&ranks=3"},
        {browser::onHotRankingClicked, "/listbytype.asp?type_id=20&ranks=2"},
        {browser::onRecentUpdatesClicked, "/listbytype.asp?type_id=20&ranks=1"},
        {browser::onOnlineUpgradeClicked, "/news.asp?id=2"},
        {browser::onFeedbackClicked, "/Gbook.asp"},
        {browser::onAboutUsClicked, "/news.asp?id=3"},
    };
    const Snapshot before = snapshot();
    for (const auto& s : sections) {
        const std::string address = std::string(config::ProviderSite) + s.path;
        navigated.clear();
        s.handler();
        s.handler();
        EXPECT_EQ(window.browserView->address(), address);
        ASSERT_EQ(navigated.size(), 2) << s.path;
        EXPECT_EQ(navigated[0], QUrl(QString::fromStdString(address)));
        EXPECT_EQ(navigated[1], navigated[0]);
        EXPECT_TRUE(snapshot() == before) << s.path;
    }
}

// The home button brings the browser pane to the front and goes to the site's root.
TEST_F(WindowFixture, HomeButtonShowsTheBrowserAndGoesHome) {
    browser::onHomeButtonClicked();
    EXPECT_TRUE(window.movieList->isHidden());
    EXPECT_FALSE(window.browserFrame->isHidden());
    EXPECT_EQ(window.browserView->address(), std::string(config::ProviderSite) + "/");
    // Only the two panes change: the path, the tree's selection and the search text stay.
    EXPECT_EQ(window.pathLabel->text(), QStringLiteral("/media/films"));
    EXPECT_EQ(window.categoryTree->selectedIndex(), 0);
    EXPECT_EQ(window.searchEdit->text(), "typed");
    browser::onHomeButtonClicked();
    EXPECT_EQ(navigated.size(), 2);
}

// The search opens the escaped address of whatever the box holds, empty text included.
TEST_F(WindowFixture, SearchOpensTheEscapedKeyword) {
    const struct {
        std::string typed;
        const char* query;
    } cases[] = {
        {"", ""},
        {"Tom & Jerry", "Tom%20%26%20Jerry"},
        {gbk("电视 C#"), "%B5%E7%CA%D3%20C%23"},
    };
    for (const auto& c : cases) {
        window.searchEdit->setAnsiText(c.typed);
        const Snapshot before = snapshot();
        navigated.clear();
        browser::onSearchClicked();
        EXPECT_EQ(window.browserView->address(),
                  std::string(config::ProviderSite) + "/search.asp?keyword=" + c.query);
        EXPECT_EQ(navigated.size(), 1) << c.query;
        // Like the section buttons, the search changes nothing but the address.
        EXPECT_TRUE(snapshot() == before) << c.query;
    }
}

// The chat link is set on the view, which hands the "tencent" address to the desktop's handler
// with the site name intact; the page shown stays.
TEST_F(WindowFixture, SupportChatGoesThroughTheViewToTheDesktop) {
    std::vector<std::string> opened;
    auto opener =
        platform::desktopOpener.replaceWith([&](const std::string& t) { opened.push_back(t); });
    const Snapshot before = snapshot();
    browser::onSupportChatClicked();
    opener = {};
    EXPECT_TRUE(snapshot() == before);

    EXPECT_EQ(window.browserView->address(), browser::supportChatAddress());
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(QUrl::fromPercentEncoding(QByteArray::fromStdString(opened[0])),
              QString::fromUtf8("tencent://message/?uin=") + config::supportAccountNumber +
                  QString::fromUtf8("&Site=岚汐网络电视&Menu=yes"));
}

// With no installer beside the program, the real opener is asked, the click returns at once,
// and no message or window appears.
TEST_F(WindowFixture, MissingInstallerChangesNothing) {
    ASSERT_FALSE(std::filesystem::exists(browser::installerPath()));
    const Snapshot before = snapshot();
    const std::string address = window.browserView->address();
    const auto windowsBefore = QApplication::topLevelWidgets().size();

    QElapsedTimer timer;
    timer.start();
    browser::onQvodInstallClicked();
    EXPECT_LT(timer.elapsed(), 1000);
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 300) QApplication::processEvents(QEventLoop::AllEvents, 20);

    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(QApplication::topLevelWidgets().size(), windowsBefore);
    EXPECT_TRUE(snapshot() == before);
    EXPECT_EQ(window.browserView->address(), address);
    EXPECT_TRUE(navigated.isEmpty());
}

}  // namespace
}  // namespace lxtv::test
