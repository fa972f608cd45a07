#include "toolkit/web_view.h"

#include <QColor>
#include <QMetaObject>
#include <QPalette>
#include <QPointer>
#include <QThread>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInfo>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineUrlScheme>

#include "platform/ansi.h"
#include "platform/desktop.h"

namespace lxtv::toolkit {
namespace {

// Reports each main-frame navigation to the view, then lets the engine carry on as it would.
class ReportingPage : public QWebEnginePage {
  public:
    explicit ReportingPage(WebView* view) : QWebEnginePage(view), view_(view) {}

  protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override {
        if (isMainFrame) emit view_->navigationStarted(url);
        return QWebEnginePage::acceptNavigationRequest(url, type, isMainFrame);
    }

  private:
    WebView* view_;
};

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

// Schemes the engine loads itself; any other belongs to another application.
bool engineLoads(const QString& scheme) {
    static const QStringList builtIn = {
        QStringLiteral("http"),  QStringLiteral("https"),      QStringLiteral("file"),
        QStringLiteral("about"), QStringLiteral("data"),       QStringLiteral("blob"),
        QStringLiteral("qrc"),   QStringLiteral("javascript"), QStringLiteral("view-source"),
        QStringLiteral("ws"),    QStringLiteral("wss"),        QStringLiteral("filesystem"),
        QStringLiteral("chrome")};
    // No scheme at all: the engine shows its own error page for it.
    if (scheme.isEmpty() || builtIn.contains(scheme)) return true;
    return !QWebEngineUrlScheme::schemeByName(scheme.toLatin1()).name().isEmpty();
}

}  // namespace

WebView::WebView(QWidget* parent) : QWebEngineView(parent) {
    auto* page = new ReportingPage(this);
    setPage(page);

    // Online, with the pages' own dialogs shown and the middle text size: the engine's
    // defaults, set here so that nothing elsewhere can change them unnoticed.
    QWebEngineSettings* settings = page->settings();
    settings->setAttribute(QWebEngineSettings::JavascriptEnabled, true);
    settings->setAttribute(QWebEngineSettings::ErrorPageEnabled, true);
    page->setZoomFactor(1.0);

    page->setBackgroundColor(Qt::white);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    setAutoFillBackground(true);
}

QUrl WebView::urlFor(const std::string& cp936) {
    const QString text = platform::toQString(cp936);
    // The engine shows an empty address as the blank page.
    if (text.isEmpty()) return QUrl(QStringLiteral("about:blank"));
    return QUrl(text);
}

void WebView::setAddress(const std::string& cp936) {
    address_ = cp936;
    const QUrl url = urlFor(cp936);
    if (engineLoads(url.scheme())) {
        // load() starts a new navigation even when the url equals the one shown.
        load(url);
    } else {
        // The engine would hand such an address to the desktop only from a click inside a
        // page, never from an address set by the program; every set address is the viewer's
        // own action, so it goes to the desktop's handler here. The page shown stays.
        platform::openWithDesktop(url.toEncoded().toStdString());
    }
    emit navigated(url);
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

}  // namespace lxtv::toolkit
