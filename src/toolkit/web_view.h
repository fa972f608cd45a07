#pragma once

// The embedded web browser: one address of the system's own (code page 936 text) in front of
// a QtWebEngine view that keeps history, title and load state to itself.

#include <QUrl>
#include <QWebEngineView>

class QWebEngineUrlRequestInterceptor;
#include <string>

namespace lxtv::toolkit {

class WebView : public QWebEngineView {
    Q_OBJECT

  public:
    explicit WebView(QWidget* parent);

    // Stores the text as the address and navigates to it at once, also when it is the address
    // already shown (the page loads again) or empty (a blank page). Never waits for the load.
    // An address of another application's scheme ("tencent:") goes to the desktop's handler
    // for that scheme, and the page shown stays.
    void setAddress(const std::string& cp936);
    std::string address() const { return address_; }

    // The address as handed to the engine: converted to UTF-16, nothing escaped or trimmed.
    static QUrl urlFor(const std::string& cp936);

    // Act on the engine's own history and current load; with nothing to go to, nothing happens.
    void goBack();
    void goForward();
    void refresh();  // the plain reload
    void stop();

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
    // Raised on the window thread, while requests are reported, as the engine lets a request of
    // the page go out: `mainFrame` for the page itself, otherwise one of its parts.
    void requestIssued(const QUrl& url, bool mainFrame);

  private:
    std::string address_;
    QWebEngineUrlRequestInterceptor* reporter_ = nullptr;
};

}  // namespace lxtv::toolkit
