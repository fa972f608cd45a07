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
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <string>
#include <vector>

#include "platform/desktop.h"
#include "support/event_helpers.h"

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

// A query's Chinese reaches the site as its code page 936 bytes, as pages built for the client
// read it; the path's goes as UTF-8, and an escape already in the query is sent as it is.
TEST_F(ViewFixture, QueryGoesAsCodePage936Bytes) {
    view.setAddress(site.baseBytes() + gbk("/频道/q.html?name=凤凰卫视&x=1&k=%D6%D0"));
    ASSERT_TRUE(waitUntil([&] { return !site.requests().isEmpty(); }));
    EXPECT_EQ(site.requests().first(),
              "/%E9%A2%91%E9%81%93/q.html?name=%B7%EF%BB%CB%CE%C0%CA%D3&x=1&k=%D6%D0");
    EXPECT_EQ(view.address(), site.baseBytes() + gbk("/频道/q.html?name=凤凰卫视&x=1&k=%D6%D0"));
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

// Which addresses the view loads, hands to the desktop, or refuses, by scheme alone.
TEST(AddressRoute, ByScheme) {
    using toolkit::AddressRoute;
    const struct {
        const char* address;
        AddressRoute route;
    } cases[] = {
        {"http://127.0.0.1/a.html", AddressRoute::engine},
        {"HTTPS://example.com/", AddressRoute::engine},
        {"about:blank", AddressRoute::engine},
        {"data:text/html,<p>x</p>", AddressRoute::engine},
        {"blob:http://127.0.0.1/0b7e", AddressRoute::engine},
        {"tencent://message/?uin=1", AddressRoute::desktop},
        {"Tencent://message/?uin=1", AddressRoute::desktop},
        {"javascript:alert(1)", AddressRoute::refused},
        {"JavaScript:alert(1)", AddressRoute::refused},
        {"file:///etc/passwd", AddressRoute::refused},
        {"chrome://version", AddressRoute::refused},
        {"devtools://devtools/bundled/inspector.html", AddressRoute::refused},
        {"view-source:http://127.0.0.1/", AddressRoute::refused},
        {"qrc:/assets/windowIcon.ico", AddressRoute::refused},
        {"about:version", AddressRoute::refused},
        {"ssh://host/", AddressRoute::refused},
        {"smb://server/share", AddressRoute::refused},
        {"steam://run/12345", AddressRoute::refused},
        {"ttp://mistyped.example/", AddressRoute::refused},
        {"/etc/passwd", AddressRoute::refused},
        {"www.example.com/page.html", AddressRoute::refused},
    };
    for (const auto& c : cases)
        EXPECT_EQ(toolkit::routeOf(WebView::urlFor(c.address)), c.route) << c.address;
}

// A refused address opens nothing: no request, no desktop handler, the page shown stays and
// no script runs in it.
TEST_F(ViewFixture, RefusedAddressesLeaveThePageShown) {
    std::vector<std::string> opened;
    const auto opener =
        platform::desktopOpener.replaceWith([&](const std::string& t) { opened.push_back(t); });
    QList<QUrl> refused;
    QObject::connect(&view, &WebView::refused, [&](const QUrl& u) { refused << u; });
    show("/a.html");
    const qsizetype requests = site.requests().size();
    const char* addresses[] = {"javascript:document.title='changed'",
                               " javascript:document.title='changed'",
                               "file:///etc/passwd",
                               "chrome://version",
                               "view-source:" /* + the page itself */,
                               "devtools://devtools/bundled/inspector.html",
                               "qrc:/assets/windowIcon.ico",
                               "ssh://127.0.0.1/",
                               "smb://127.0.0.1/share",
                               "steam://run/1"};
    for (const char* a : addresses) {
        const std::string address =
            std::string(a) == "view-source:" ? "view-source:" + site.baseBytes() + "/a.html" : a;
        navigated.clear();
        view.setAddress(address);
        EXPECT_TRUE(navigated.isEmpty()) << address;
        EXPECT_EQ(view.address(), address);
    }
    waitUntil([] { return false; }, 800);
    EXPECT_EQ(refused.size(), std::size(addresses));
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(site.requests().size(), requests);
    EXPECT_EQ(view.url().path(), "/a.html");
    QString title;
    view.page()->runJavaScript("'title:' + document.title",
                               [&](const QVariant& v) { title = v.toString(); });
    ASSERT_TRUE(waitUntil([&] { return !title.isEmpty(); }));
    EXPECT_EQ(title, QStringLiteral("title:"));
}

// What a channel page needs and what a page may not do, as the view is set up; the profile
// keeps its data on disk under the user's data and cache folders.
TEST_F(ViewFixture, SettingsAndProfile) {
    QWebEngineSettings* s = view.page()->settings();
    EXPECT_FALSE(s->testAttribute(QWebEngineSettings::PlaybackRequiresUserGesture));
    EXPECT_TRUE(s->testAttribute(QWebEngineSettings::FullScreenSupportEnabled));
    EXPECT_FALSE(s->testAttribute(QWebEngineSettings::JavascriptCanOpenWindows));
    EXPECT_FALSE(s->testAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls));
    EXPECT_FALSE(s->testAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls));

    QWebEngineProfile* profile = view.page()->profile();
    EXPECT_EQ(profile, WebView::sharedProfile());
    EXPECT_FALSE(profile->isOffTheRecord());
    EXPECT_TRUE(profile->persistentStoragePath().startsWith(qEnvironmentVariable("XDG_DATA_HOME")))
        << profile->persistentStoragePath().toStdString();
    EXPECT_TRUE(profile->cachePath().startsWith(qEnvironmentVariable("XDG_CACHE_HOME")))
        << profile->cachePath().toStdString();
    EXPECT_EQ(profile->httpCacheType(), QWebEngineProfile::DiskHttpCache);
    EXPECT_EQ(profile->httpCacheMaximumSize(), 200 * 1024 * 1024);
    EXPECT_EQ(profile->persistentCookiesPolicy(), QWebEngineProfile::AllowPersistentCookies);
}

// Location and notifications are refused at once, without a prompt.
TEST_F(ViewFixture, PermissionRequestsAreRefused) {
    show("/a.html");
    view.page()->runJavaScript(
        "window.results = [];"
        "navigator.geolocation.getCurrentPosition(function () { results.push('geo granted'); },"
        "  function (e) { results.push('geo ' + e.code); });"
        "Notification.requestPermission().then(function (p) { results.push('notify ' + p); });");
    QStringList results;
    ASSERT_TRUE(waitUntil([&] {
        view.page()->runJavaScript("window.results.join(',')", [&](const QVariant& v) {
            results = v.toString().split(',', Qt::SkipEmptyParts);
        });
        return results.size() == 2;
    }));
    results.sort();
    EXPECT_EQ(results, QStringList({"geo 1", "notify denied"}));  // 1: PERMISSION_DENIED
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// A popup the page opens on its own stays blocked; one from the viewer's click opens in the
// view itself, and Back returns to the page before.
TEST_F(ViewFixture, NewWindowsOpenInTheViewOnlyFromAClick) {
    show("/popup.html");
    waitUntil([] { return false; }, 500);
    EXPECT_EQ(site.count("/unasked.html"), 0);
    ASSERT_TRUE(waitUntil([&] { return view.focusProxy() != nullptr; }));
    clickMouse(view.focusProxy(), QPoint(100, 100));
    ASSERT_TRUE(waitUntil([&] { return view.url().path() == "/clicked.html"; }));
    EXPECT_EQ(site.count("/clicked.html"), 1);
    EXPECT_EQ(site.count("/unasked.html"), 0);
    view.goBack();
    EXPECT_TRUE(waitUntil([&] { return view.url().path() == "/popup.html"; }));
}

// A page that opens dialog after dialog is shown three, then runs on without any.
TEST_F(ViewFixture, DialogLoopGetsThreeDialogs) {
    int shown = 0;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            ++shown;
            box->accept();
        }
    });
    closer.start(20);
    view.setAddress(site.baseBytes() + "/loop.html");
    ASSERT_TRUE(waitUntil([&] { return site.count("/loop-done?n=10") == 1; }));
    EXPECT_EQ(shown, 3);
    // The next navigation gives the page its dialogs back.
    view.setAddress(site.baseBytes() + "/alert.html");
    EXPECT_TRUE(waitUntil([&] { return shown == 4; }));
}

// A page's full screen: the view covers the screen, takes Esc, PageDown and PageUp for itself
// meanwhile, keeps covering it for the next address set, and Esc leaves.
TEST_F(ViewFixture, FullScreenKeys) {
    QList<bool> changes;
    QList<int> zaps;
    QObject::connect(&view, &WebView::fullScreenChanged, [&](bool on) { changes << on; });
    QObject::connect(&view, &WebView::zapRequested, [&](int step) { zaps << step; });
    show("/fullscreen.html");
    ASSERT_TRUE(waitUntil([&] { return view.focusProxy() != nullptr; }));
    // A page just loaded may not take input yet (its renderer still starting): click again until
    // the request comes; the page only ever asks to enter.
    for (int attempt = 0; attempt < 20 && !view.coversScreen(); ++attempt) {
        clickMouse(view.focusProxy(), QPoint(50, 50));
        waitUntil([&] { return view.coversScreen(); }, 500);
    }
    ASSERT_TRUE(view.coversScreen());
    EXPECT_EQ(changes, QList<bool>({true}));

    pressKey(view.focusProxy(), Qt::Key_PageDown);
    pressKey(view.focusProxy(), Qt::Key_PageUp);
    EXPECT_EQ(zaps, QList<int>({1, -1}));

    // The next channel: the page leaves its full screen, the view stays over the screen.
    show("/b.html");
    waitUntil([] { return false; }, 300);
    EXPECT_TRUE(view.coversScreen());
    EXPECT_EQ(changes, QList<bool>({true}));

    pressKey(view.focusProxy(), Qt::Key_Escape);
    EXPECT_FALSE(view.coversScreen());
    EXPECT_EQ(changes, QList<bool>({true, false}));
    // Outside full screen the keys are the page's again.
    pressKey(view.focusProxy(), Qt::Key_PageDown);
    EXPECT_EQ(zaps.size(), 2);
}

}  // namespace
}  // namespace lxtv::test

#include "web_view_test.moc"
