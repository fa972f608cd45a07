#include "toolkit/web_view.h"

#include <QApplication>
#include <QAuthenticator>
#include <QColor>
#include <QKeyEvent>
#include <QMetaObject>
#include <QPalette>
#include <QPointer>
#include <QStandardPaths>
#include <QThread>
#include <QWebEngineFileSystemAccessRequest>
#include <QWebEngineFullScreenRequest>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineRegisterProtocolHandlerRequest>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestInterceptor>

#include "platform/ansi.h"
#include "platform/desktop.h"
#include "platform/dialogs.h"
#include "toolkit/dialog_throttle.h"

namespace lxtv::toolkit {

AddressRoute routeOf(const QUrl& url) {
    // QUrl gives the scheme in lower case; an address without one is nothing the engine could
    // show but an error, and nothing is opened for it.
    const QString scheme = url.scheme();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
        scheme == QLatin1String("data") || scheme == QLatin1String("blob"))
        return AddressRoute::engine;
    // "about:" stands for the engine's own pages, except the blank page the empty address shows.
    if (scheme == QLatin1String("about"))
        return url.path() == QLatin1String("blank") ? AddressRoute::engine : AddressRoute::refused;
    if (scheme == QLatin1String("tencent")) return AddressRoute::desktop;
    return AddressRoute::refused;
}

namespace {

void answerCredentials(QAuthenticator* authenticator, const platform::CredentialsQuestion& q) {
    const auto answer = platform::askCredentials(q);
    if (!answer) {
        // A null authenticator cancels: the engine shows its error page.
        *authenticator = QAuthenticator();
        return;
    }
    authenticator->setUser(answer->user);
    authenticator->setPassword(answer->password);
}

// Hands each request of the page to the view's requestIssued, on the view's thread.
class RequestReporter : public QWebEngineUrlRequestInterceptor {
  public:
    explicit RequestReporter(WebView* view) : QWebEngineUrlRequestInterceptor(view), view_(view) {}

    void interceptRequest(QWebEngineUrlRequestInfo& info) override {
        const QUrl url = info.requestUrl();
        const bool mainFrame =
            info.resourceType() == QWebEngineUrlRequestInfo::ResourceTypeMainFrame;
        if (QThread::currentThread() == view_->thread()) {
            emit view_->requestIssued(url, mainFrame);
            return;
        }
        QPointer<WebView> view = view_;
        QMetaObject::invokeMethod(
            view_,
            [view, url, mainFrame] {
                if (view) emit view->requestIssued(url, mainFrame);
            },
            Qt::QueuedConnection);
    }

  private:
    WebView* view_;
};

}  // namespace

// The page behind the view: routes every navigation by its scheme, keeps the pages' dialogs,
// new windows, full screen, sign-in prompts and permission requests to what a viewer expects.
class GuardedPage : public QWebEnginePage {
  public:
    explicit GuardedPage(WebView* view)
        : QWebEnginePage(WebView::sharedProfile(), view), view_(view) {
        // Camera, microphone, location, notifications, screen capture, pointer lock: refused,
        // without asking the viewer.
        connect(this, &QWebEnginePage::featurePermissionRequested, this,
                [this](const QUrl& origin, Feature feature) {
                    setFeaturePermission(origin, feature, PermissionDeniedByUser);
                });
        connect(this, &QWebEnginePage::fileSystemAccessRequested, this,
                [](QWebEngineFileSystemAccessRequest request) { request.reject(); });
        connect(this, &QWebEnginePage::registerProtocolHandlerRequested, this,
                [](QWebEngineRegisterProtocolHandlerRequest request) { request.reject(); });

        connect(this, &QWebEnginePage::authenticationRequired, this,
                [](const QUrl& url, QAuthenticator* authenticator) {
                    answerCredentials(authenticator, {url.host(), authenticator->realm(), false});
                });
        connect(this, &QWebEnginePage::proxyAuthenticationRequired, this,
                [](const QUrl&, QAuthenticator* authenticator, const QString& proxyHost) {
                    answerCredentials(authenticator, {proxyHost, authenticator->realm(), true});
                });

        connect(this, &QWebEnginePage::fullScreenRequested, this,
                [this](QWebEngineFullScreenRequest request) {
                    request.accept();
                    view_->pageAsksFullScreen(request.toggleOn());
                });

        // A link with a target or a window.open from a click opens in this view, so Back
        // returns to the page before. Without the viewer's gesture nothing opens.
        connect(this, &QWebEnginePage::newWindowRequested, this,
                [this](QWebEngineNewWindowRequest& request) {
                    if (request.isUserInitiated()) open(request.requestedUrl());
                });
    }

    // Opens the address by its route: loaded here, handed to the desktop, or refused.
    void open(const QUrl& url) {
        switch (routeOf(url)) {
            case AddressRoute::engine:
                // load() starts a new navigation even when the url equals the one shown.
                load(url);
                break;
            case AddressRoute::desktop:
                platform::openWithDesktop(url.toEncoded().toStdString());
                break;
            case AddressRoute::refused:
                emit view_->refused(url);
                break;
        }
    }

  protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override {
        switch (routeOf(url)) {
            case AddressRoute::engine:
                break;
            case AddressRoute::desktop:
                // Asked only for a link the viewer followed: the engine holds back other
                // applications' schemes that a page tries without a gesture.
                platform::openWithDesktop(url.toEncoded().toStdString());
                return false;
            case AddressRoute::refused:
                emit view_->refused(url);
                return false;
        }
        if (isMainFrame) {
            dialogs_.reset(DialogThrottle::Clock::now());
            emit view_->navigationStarted(url);
        }
        return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
    }

    void javaScriptAlert(const QUrl& origin, const QString& message) override {
        if (!dialogs_.allow(DialogThrottle::Clock::now())) return;
        QWebEnginePage::javaScriptAlert(origin, message);
        dialogs_.closed(DialogThrottle::Clock::now());
    }
    bool javaScriptConfirm(const QUrl& origin, const QString& message) override {
        if (!dialogs_.allow(DialogThrottle::Clock::now())) return false;
        const bool answer = QWebEnginePage::javaScriptConfirm(origin, message);
        dialogs_.closed(DialogThrottle::Clock::now());
        return answer;
    }
    bool javaScriptPrompt(const QUrl& origin, const QString& message, const QString& value,
                          QString* result) override {
        if (!dialogs_.allow(DialogThrottle::Clock::now())) return false;
        const bool answer = QWebEnginePage::javaScriptPrompt(origin, message, value, result);
        dialogs_.closed(DialogThrottle::Clock::now());
        return answer;
    }

  private:
    WebView* view_;
    DialogThrottle dialogs_;
};

namespace {
QWebEngineProfile* profileMade = nullptr;
}  // namespace

QWebEngineProfile* WebView::sharedProfile() {
    if (profileMade != nullptr) return profileMade;
    profileMade = [] {
        auto* p = new QWebEngineProfile(QStringLiteral("browser"), QCoreApplication::instance());
        const QString data = QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation);
        const QString cache = QStandardPaths::writableLocation(QStandardPaths::CacheLocation);
        p->setPersistentStoragePath(data + QStringLiteral("/browser"));
        p->setCachePath(cache + QStringLiteral("/browser"));
        p->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
        p->setHttpCacheMaximumSize(200 * 1024 * 1024);
        // Cookies the site means to keep are kept; session cookies end with the session.
        p->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
        p->setDownloadPath(QStandardPaths::writableLocation(QStandardPaths::DownloadLocation));
        return p;
    }();
    return profileMade;
}

void WebView::releaseSharedProfile() {
    delete profileMade;
    profileMade = nullptr;
}

WebView::WebView(QWidget* parent) : QWebEngineView(parent) {
    auto* page = new GuardedPage(this);
    setPage(page);

    // Online, with the pages' own dialogs shown and the middle text size: the engine's
    // defaults, set here so that nothing elsewhere can change them unnoticed.
    QWebEngineSettings* settings = page->settings();
    settings->setAttribute(QWebEngineSettings::JavascriptEnabled, true);
    settings->setAttribute(QWebEngineSettings::ErrorPageEnabled, true);
    page->setZoomFactor(1.0);

    // A channel page starts its player with sound as it loads, as on a television.
    settings->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
    settings->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, true);
    // Popups a page opens on its own stay blocked; those the viewer clicks for open here.
    settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    // Local content reaches neither local files nor the network.
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);

    page->setBackgroundColor(Qt::white);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);
}

WebView::~WebView() {
    if (coversScreen_) qApp->removeEventFilter(this);
    // The page goes while the view it is shown in still exists, as the engine expects.
    delete page();
}

QUrl WebView::urlFor(const std::string& cp936) {
    // The engine shows an empty address as the blank page.
    if (cp936.empty()) return QUrl(QStringLiteral("about:blank"));
    return QUrl(platform::wireAddress(cp936));
}

void WebView::setAddress(const std::string& cp936) {
    address_ = cp936;
    // The engine gets the address as the site expects it on the wire; another application gets
    // its text as it is.
    QUrl url = urlFor(cp936);
    const AddressRoute route = routeOf(url);
    if (route == AddressRoute::desktop) url = QUrl(platform::toQString(cp936));
    // A page's full screen ends with the page; the view keeps covering the screen for the next.
    if (route == AddressRoute::engine && coversScreen_) leavePageFullScreen();
    static_cast<GuardedPage*>(page())->open(url);
    if (route != AddressRoute::refused) emit navigated(url);
}

void WebView::setReportingRequests(bool on) {
    if (on && reporter_ == nullptr) {
        reporter_ = new RequestReporter(this);
        page()->setUrlRequestInterceptor(reporter_);
    } else if (!on && reporter_ != nullptr) {
        page()->setUrlRequestInterceptor(nullptr);
        reporter_->deleteLater();
        reporter_ = nullptr;
    }
}

void WebView::goBack() {
    triggerPageAction(QWebEnginePage::Back);
}
void WebView::goForward() {
    triggerPageAction(QWebEnginePage::Forward);
}
void WebView::refresh() {
    triggerPageAction(QWebEnginePage::Reload);
}
void WebView::stop() {
    triggerPageAction(QWebEnginePage::Stop);
}

void WebView::leaveFullScreen() {
    leavePageFullScreen();
    setCoversScreen(false);
}

void WebView::leavePageFullScreen() {
    if (!pageFullScreen_) return;
    // The page's request to leave that follows is then known not to be the viewer's.
    pageFullScreen_ = false;
    triggerPageAction(QWebEnginePage::ExitFullScreen);
}

void WebView::pageAsksFullScreen(bool on) {
    if (on) {
        pageFullScreen_ = true;
        setCoversScreen(true);
    } else if (pageFullScreen_) {
        // The viewer left through the page's own control (or a double click on the video).
        pageFullScreen_ = false;
        setCoversScreen(false);
    }
}

void WebView::setCoversScreen(bool on) {
    if (on == coversScreen_) return;
    coversScreen_ = on;
    // While covering the screen the view takes Esc, PageUp and PageDown before the page does.
    if (on) {
        qApp->installEventFilter(this);
    } else {
        qApp->removeEventFilter(this);
    }
    emit fullScreenChanged(on);
}

bool WebView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || !coversScreen_) return false;
    // Keys meant for a dialog over the window (a page's alert, a sign-in prompt) stay theirs.
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget == nullptr || widget->window() != window()) return false;
    switch (static_cast<QKeyEvent*>(event)->key()) {
        case Qt::Key_Escape:
            leaveFullScreen();
            return true;
        case Qt::Key_PageDown:
            emit zapRequested(1);
            return true;
        case Qt::Key_PageUp:
            emit zapRequested(-1);
            return true;
        default:
            return false;
    }
}

}  // namespace lxtv::toolkit
