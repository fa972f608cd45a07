#pragma once

// The one window of the client and its 38 controls, reached by their identifiers.

#include <QColor>
#include <QRect>
#include <QWidget>
#include <atomic>
#include <functional>
#include <optional>

namespace lxtv::toolkit {
class PictureButton;
class PicturePanel;
class FramePanel;
class TransparentLabel;
class EditBox;
class TreeView;
class ListView;
class WebView;
class AnimationStrip;
class StripTemplate;
class DownloadBar;
}  // namespace lxtv::toolkit

namespace lxtv::chrome {

// The skin's background, behind the controls and in the search box.
inline const QColor windowBackground{233, 240, 244};

// The window's placement property.
enum class Placement {
    normal = 0,
    centred = 1,
    minimized = 2,
    coveringScreen = 3,
};

class MainWindow : public QWidget {
    Q_OBJECT

  public:
    MainWindow();
    ~MainWindow() override;

    // Builds the window in its fixed order: every control (the browser view starts loading the
    // provider's loading page at once), then the created event (`created`), then the position
    // changed and size changed events (each runs the skin layout), then shows the window.
    void load();

    // Raised once by load(), after the controls exist and before the window is shown.
    std::function<void()> created;

    // Reads normal, minimized or covering the screen; setting acts only while visible.
    Placement placement() const;
    void setPlacement(Placement value);

    // While the browser view covers the screen (a page's full screen) the window covers it and
    // shows nothing but the view; afterwards it stands exactly as before.
    bool browserCoversScreen() const { return beforeFullScreen_.has_value(); }

    // The window that exists now (the last one constructed and not yet destroyed), or null.
    // Every handler reaches the controls through it; read from the catalogue worker too.
    static MainWindow* current() { return current_.load(); }

    toolkit::PictureButton* qvodInstallButton = nullptr;
    toolkit::PictureButton* aboutUsButton = nullptr;
    toolkit::PictureButton* supportChatButton = nullptr;
    toolkit::PictureButton* feedbackButton = nullptr;
    toolkit::PictureButton* onlineUpgradeButton = nullptr;
    toolkit::PictureButton* dataSyncButton = nullptr;
    toolkit::PictureButton* recentUpdatesButton = nullptr;
    toolkit::PictureButton* hotRankingButton = nullptr;
    toolkit::PictureButton* latestPicksButton = nullptr;
    toolkit::PictureButton* siteHomeButton = nullptr;
    toolkit::PictureButton* stopButton = nullptr;
    toolkit::PictureButton* refreshButton = nullptr;
    toolkit::PictureButton* forwardButton = nullptr;
    toolkit::FramePanel* browserFrame = nullptr;
    toolkit::ListView* movieList = nullptr;
    toolkit::PicturePanel* middleBar = nullptr;
    toolkit::TreeView* categoryTree = nullptr;
    toolkit::StripTemplate* bigButtonAnchor = nullptr;
    toolkit::TransparentLabel* titleLabel = nullptr;
    toolkit::StripTemplate* windowButtonAnchor = nullptr;
    toolkit::PicturePanel* categoryDivider = nullptr;
    toolkit::PicturePanel* bottomRightBorder = nullptr;
    toolkit::PicturePanel* bottomBar = nullptr;
    toolkit::PicturePanel* bottomLeftBorder = nullptr;
    toolkit::PicturePanel* middleLeftBorder = nullptr;
    toolkit::PicturePanel* middleRightBorder = nullptr;
    toolkit::PicturePanel* topRightBorder = nullptr;
    toolkit::PicturePanel* topLeftBorder = nullptr;
    toolkit::AnimationStrip* titleStrip = nullptr;
    toolkit::PictureButton* backButton = nullptr;
    toolkit::PictureButton* homeButton = nullptr;
    toolkit::TransparentLabel* pathLabel = nullptr;
    toolkit::PictureButton* searchButton = nullptr;
    toolkit::FramePanel* searchFrame = nullptr;
    toolkit::EditBox* searchEdit = nullptr;
    toolkit::WebView* browserView = nullptr;
    toolkit::TransparentLabel* noticeLabel = nullptr;
    toolkit::TransparentLabel* creditsLabel = nullptr;
    // Not one of the window's own controls: shown in bottomBar only while a download runs.
    toolkit::DownloadBar* downloadBar = nullptr;

  protected:
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void createControls();
    void coverScreenWithBrowser(bool on);
    void fitBrowserToWindow();

    // The window and the browser pane as they stood before covering the screen.
    struct BeforeFullScreen {
        QRect window, frame, view;
        Qt::WindowStates states;
    };
    std::optional<BeforeFullScreen> beforeFullScreen_;
    // Moves and resizes run the skin layout only once the created event has been raised.
    bool layoutLive_ = false;
    static inline std::atomic<MainWindow*> current_{nullptr};
};

// MainWindow::current() for the handlers: the window, and whether there is one.
inline MainWindow& mainWindow() {
    return *MainWindow::current();
}
inline bool hasMainWindow() {
    return MainWindow::current() != nullptr;
}

}  // namespace lxtv::chrome
