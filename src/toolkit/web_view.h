#pragma once

// The embedded web browser: one address of the system's own (code page 936 text) in front of
// a QtWebEngine view that keeps history, title and load state to itself.

#include <QUrl>
#include <QWebEngineView>
#include <string>

class QWebEngineProfile;
class QWebEngineUrlRequestInterceptor;

namespace lxtv::toolkit {

// Where an address goes, decided by its scheme alone. The catalogue and the pages come over
// plain HTTP, so whoever is on the way may write any address into them.
enum class AddressRoute {
    engine,   // loaded by the engine: http, https, the blank page, data, blob
    desktop,  // handed to the desktop's opener: "tencent" (the support chat) and nothing else
    refused,  // never opened, the page shown stays: script, local files, the engine's own
              // pages, and every other application's scheme
};
AddressRoute routeOf(const QUrl& url);

class WebView : public QWebEngineView {
    Q_OBJECT

  public:
    explicit WebView(QWidget* parent);
    ~WebView() override;

    // Stores the text as the address and navigates to it at once, also when it is the address
    // already shown (the page loads again) or empty (a blank page). Never waits for the load.
    // A "tencent:" address goes to the desktop's handler for that scheme; a refused address
    // (routeOf) opens nothing. Either way the page shown stays.
    void setAddress(const std::string& cp936);
    std::string address() const { return address_; }

    // The address as handed to the engine: converted from the code page, its query's non-ASCII
    // characters escaped as their code page bytes (platform::wireAddress); nothing trimmed.
    static QUrl urlFor(const std::string& cp936);

    // Act on the engine's own history and current load; with nothing to go to, nothing happens.
    void goBack();
    void goForward();
    void refresh();  // the plain reload
    void stop();

    // Full screen: the view covers the screen from a page's request until the viewer leaves
    // (Esc, the page's own control). Channels opened meanwhile keep it covering the screen.
    bool coversScreen() const { return coversScreen_; }
    void leaveFullScreen();

    // The one web profile of the client: cookies, cache and site data kept on disk under the
    // user's data and cache folders, so a sign-in survives the next start.
    static QWebEngineProfile* sharedProfile();
    // Destroys the shared profile at the program's end, every view being gone already, so the
    // engine's shutdown writes what it still holds (cookies are written in batches).
    static void releaseSharedProfile();

    // While on, the view raises requestIssued for every request the engine makes for its page.
    // Each request then waits for the window thread before it goes out, so this is for short
    // waits (start-up), not for pages that play.
    void setReportingRequests(bool on);

  signals:
    // Raised each time setAddress hands an address to the engine or to the desktop.
    void navigated(const QUrl& url);
    // Raised for every navigation the engine starts in the page's main frame (set addresses,
    // followed links, history steps, reloads), before anything is fetched.
    void navigationStarted(const QUrl& url);
    // Raised for an address, set or followed in a page, that is not opened (routeOf).
    void refused(const QUrl& url);
    // The view starts or stops covering the screen; the window makes room for it.
    void fullScreenChanged(bool on);
    // PageDown (+1) or PageUp (-1) while the view covers the screen: the next or previous
    // channel is wanted.
    void zapRequested(int step);

    // Raised on the window thread, while requests are reported, as the engine lets a request of
    // the page go out: `mainFrame` for the page itself, otherwise one of its parts.
    void requestIssued(const QUrl& url, bool mainFrame);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    friend class GuardedPage;
    void setCoversScreen(bool on);
    void pageAsksFullScreen(bool on);
    void leavePageFullScreen();

    std::string address_;
    bool coversScreen_ = false;
    bool pageFullScreen_ = false;  // the page's element is shown full screen
    QWebEngineUrlRequestInterceptor* reporter_ = nullptr;
};

}  // namespace lxtv::toolkit
