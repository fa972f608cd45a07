// The browser view: every set address navigates at once, history buttons act on the engine's
// own history, and addresses of other applications' schemes go to the desktop's handler.

#include "toolkit/web_view.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <QApplication>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QList>
#include <QMessageBox>
#include <QPair>
#include <QTimer>
#include <QUrl>
#include <QWebEngineHistory>

#include "support/local_site.h"
#include "support/test_support.h"

namespace lxtv::test {
namespace {

using toolkit::WebView;

// Catches the addresses the desktop would have opened for a scheme.
class SchemeCatcher : public QObject {
    Q_OBJECT
  public:
    QList<QUrl> urls;
  public slots:
    void open(const QUrl& url) { urls.append(url); }
};

struct ViewFixture : ::testing::Test {
    ViewFixture() : view(nullptr) {
        view.resize(400, 300);
        view.show();
        QObject::connect(&view, &WebView::navigated, [this](const QUrl& u) { navigated << u; });
        QObject::connect(&view, &WebView::navigationStarted,
                         [this](const QUrl& u) { started << u; });
        QObject::connect(&view, &WebView::loadFinished, [this](bool ok) { finished << ok; });
    }

    // Loads a page of the local site and waits until it is shown.
    void show(const char* path) {
        const qsizetype before = finished.size();
        view.setAddress(site.baseBytes() + path);
        ASSERT_TRUE(waitUntil([&] { return finished.size() > before; })) << path;
    }

    LocalSite site;
    WebView view;
    QList<QUrl> navigated, started;
    QList<bool> finished;
};

// Setting the address already shown loads the page again; the engine must not skip it.
TEST_F(ViewFixture, SameAddressTwiceLoadsTwice) {
    show("/a.html");
    show("/a.html");
    EXPECT_EQ(site.count("/a.html"), 2);
    EXPECT_EQ(navigated.size(), 2);
    EXPECT_EQ(view.address(), site.baseBytes() + "/a.html");
}

// The empty address is navigated like any other and shows the blank page.
TEST_F(ViewFixture, EmptyAddressShowsBlankPage) {
    show("/a.html");
    view.setAddress("");
    ASSERT_EQ(navigated.size(), 2);
    EXPECT_EQ(navigated.last(), QUrl("about:blank"));
    EXPECT_EQ(view.address(), "");
    EXPECT_TRUE(waitUntil([&] { return view.url() == QUrl("about:blank"); }));
    EXPECT_EQ(site.count("/a.html"), 1);
}

// The address is code page 936 text: a Chinese path reaches the engine as those characters.
TEST_F(ViewFixture, AddressIsConvertedFromCodePage936) {
    view.setAddress(site.baseBytes() + gbk("/频道.html"));
    EXPECT_EQ(view.address(), site.baseBytes() + gbk("/频道.html"));
    ASSERT_TRUE(waitUntil([&] { return !site.requests().isEmpty(); }));
    EXPECT_EQ(site.requests().first(), "/%E9%A2%91%E9%81%93.html");  // the engine sends UTF-8
}

// A page that never answers: setting the address returns at once, stop() ends the load, and
// the next address still loads.
TEST_F(ViewFixture, SetAddressNeverWaitsAndStopHaltsALoad) {
    QElapsedTimer timer;
    timer.start();
    view.setAddress(site.baseBytes() + "/hold.html");
    EXPECT_LT(timer.elapsed(), 500);
    ASSERT_TRUE(waitUntil([&] { return site.count("/hold.html") == 1; }));
    EXPECT_TRUE(finished.isEmpty());
    view.stop();
    ASSERT_TRUE(waitUntil([&] { return !finished.isEmpty(); }));
    EXPECT_FALSE(finished.last());
    show("/b.html");
    EXPECT_TRUE(finished.last());
}

// Back and forward walk the engine's history; with nowhere to go they change nothing; refresh
// loads the current page again from the site.
TEST_F(ViewFixture, HistoryButtons) {
    show("/a.html");
    const qsizetype startedBefore = started.size();
    view.goBack();
    view.goForward();
    waitUntil([] { return false; }, 300);
    EXPECT_EQ(started.size(), startedBefore);
    EXPECT_EQ(view.url().path(), "/a.html");

    show("/b.html");
    view.goBack();
    ASSERT_TRUE(waitUntil([&] { return view.url().path() == "/a.html"; }));
    view.goForward();
    ASSERT_TRUE(waitUntil([&] { return view.url().path() == "/b.html"; }));
    ASSERT_TRUE(waitUntil([&] { return view.history()->currentItemIndex() == 1; }));

    const qsizetype loadsOfB = site.count("/b.html");
    view.refresh();
    ASSERT_TRUE(waitUntil([&] { return site.count("/b.html") == loadsOfB + 1; }));
    EXPECT_EQ(view.address(), site.baseBytes() + "/b.html");  // history moves leave the address
}

// While asked, the view reports each request of its page as the engine lets it go, the page's
// own as the main frame's; once no longer asked, it reports nothing.
TEST_F(ViewFixture, ReportsRequestsWhileAsked) {
    QList<QPair<QUrl, bool>> reported;
    QObject::connect(&view, &WebView::requestIssued, [&](const QUrl& url, bool mainFrame) {
        reported.append({url, mainFrame});
    });
    view.setReportingRequests(true);
    show("/a.html");
    ASSERT_FALSE(reported.isEmpty());
    EXPECT_EQ(reported.first().first.path(), "/a.html");
    EXPECT_TRUE(reported.first().second);
    view.setReportingRequests(false);
    const qsizetype before = reported.size();
    show("/b.html");
    EXPECT_EQ(reported.size(), before);
    view.setReportingRequests(true);
    show("/c.html");
    // The page's own request among them (an icon's may come beside it).
    const auto page = std::find_if(reported.begin() + before, reported.end(),
                                   [](const QPair<QUrl, bool>& r) { return r.second; });
    ASSERT_NE(page, reported.end());
    EXPECT_EQ(page->first.path(), "/c.html");
}

// The pages' own dialogs are shown, not swallowed.
TEST_F(ViewFixture, ScriptDialogsAreShown) {
    QString shown;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->text();
            box->accept();
        }
    });
    closer.start(50);
    view.setAddress(site.baseBytes() + "/alert.html");
    EXPECT_TRUE(waitUntil([&] { return !shown.isEmpty(); }));
    EXPECT_EQ(shown, QStringLiteral("hello"));
}

// An address of another application's scheme goes to the desktop's handler for that scheme,
// with its Chinese text intact, and the page shown stays.
TEST_F(ViewFixture, UnknownSchemeGoesToDesktopHandler) {
    SchemeCatcher catcher;
    QDesktopServices::setUrlHandler("tencent", &catcher, "open");
    show("/a.html");
    view.setAddress(gbk("tencent://message/?uin=800012345&Site=岚汐网络电视&Menu=yes"));
    const bool handed = waitUntil([&] { return !catcher.urls.isEmpty(); });
    QDesktopServices::unsetUrlHandler("tencent");
    ASSERT_TRUE(handed);
    EXPECT_EQ(catcher.urls.first().scheme(), "tencent");
    EXPECT_EQ(QUrl::fromPercentEncoding(catcher.urls.first().toEncoded()),
              QString::fromUtf8("tencent://message/?uin=800012345&Site=岚汐网络电视&Menu=yes"));
    EXPECT_EQ(view.url().path(), "/a.html");
}

}  // namespace
}  // namespace lxtv::test

#include "web_view_test.moc"
