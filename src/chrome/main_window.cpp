#include "chrome/main_window.h"

#include <QApplication>
#include <QIcon>
#include <QKeyEvent>
#include <QPalette>
#include <vector>

#include "build_config.h"
#include "chrome/skin_layout.h"
#include "chrome/title_strip.h"
#include "platform/screen.h"
#include "site/site.h"
#include "toolkit/animation_strip.h"
#include "toolkit/download_bar.h"
#include "toolkit/edit_box.h"
#include "toolkit/frame_panel.h"
#include "toolkit/geometry.h"
#include "toolkit/list_view.h"
#include "toolkit/picture.h"
#include "toolkit/picture_button.h"
#include "toolkit/picture_panel.h"
#include "toolkit/strip_template.h"
#include "toolkit/transparent_label.h"
#include "toolkit/tree_view.h"
#include "toolkit/web_view.h"

// The skin's pictures and sound live in a static library; register them before first use.
static void initSkinResources() {
    Q_INIT_RESOURCE(assets);
}

namespace lxtv::chrome {
namespace {

const QColor titleColour(30, 67, 107);

toolkit::Picture picture(const char* path) {
    // A picture that is not there yet draws nothing; its "@2x" variant serves finer screens.
    return toolkit::Picture::load(QStringLiteral(":/assets/") + QLatin1String(path));
}

toolkit::Picture buttonPicture(const char* id, const char* suffix = "") {
    return picture(("buttons/" + std::string(id) + suffix + ".gif").c_str());
}

}  // namespace

MainWindow::MainWindow() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint) {
    initSkinResources();
    current_ = this;
}

MainWindow::~MainWindow() {
    MainWindow* self = this;
    current_.compare_exchange_strong(self, nullptr);
}

void MainWindow::createControls() {
    using namespace toolkit;
    // Every control of a parent in stacking order, topmost first.
    std::vector<QWidget*> stacking;

    const auto place = [&stacking](auto* control, const char* name, int x, int y, int w, int h,
                                   bool hand) {
        control->setObjectName(QString::fromUtf8(name));
        control->setGeometry(x, y, w, h);
        control->setCursor(hand ? Qt::PointingHandCursor : Qt::ArrowCursor);
        stacking.push_back(control);
        return control;
    };
    const auto bigButton = [&](const char* id, const char* name, int x) {
        auto* b = place(new PictureButton(this), name, x, 29, 56, 50, true);
        b->setNormalPicture(buttonPicture(id));
        b->setHoverPicture(buttonPicture(id, "_hover"));
        return b;
    };
    const auto navButton = [&](QWidget* parent, const char* id, const char* name, int x, int y) {
        auto* b = place(new PictureButton(parent), name, x, y, 25, 25, true);
        b->setNormalPicture(buttonPicture(id));
        b->setHoverPicture(buttonPicture(id, "_hover"));
        b->setTransparentColor(QColor(Qt::white));
        return b;
    };
    const auto panel = [&](QWidget* parent, const char* file, const char* name, int x, int y, int w,
                           int h, PicturePanel::DisplayMode mode) {
        auto* p = place(new PicturePanel(parent), name, x, y, w, h, false);
        p->setPicture(picture((std::string("panels/") + file + ".gif").c_str()));
        p->setDisplayMode(mode);
        return p;
    };
    const auto label = [&](QWidget* parent, const char* name, int x, int y, int w, int h,
                           const QColor& colour, const QString& text) {
        auto* l = place(new TransparentLabel(parent), name, x, y, w, h, false);
        l->setColor(colour);
        l->setText(text);
        return l;
    };

    // The window's own children, topmost first.
    qvodInstallButton = bigButton("qvodInstallButton", "快播安装", 350);
    aboutUsButton = bigButton("aboutUsButton", "关于我们", 626);
    supportChatButton = bigButton("supportChatButton", "客户咨询", 557);
    feedbackButton = bigButton("feedbackButton", "留言反馈", 488);
    onlineUpgradeButton = bigButton("onlineUpgradeButton", "在线升级", 419);
    dataSyncButton = bigButton("dataSyncButton", "数据同步", 281);
    recentUpdatesButton = bigButton("recentUpdatesButton", "最近更新", 212);
    hotRankingButton = bigButton("hotRankingButton", "热播排行", 143);
    latestPicksButton = bigButton("latestPicksButton", "最新推荐", 74);
    siteHomeButton = bigButton("siteHomeButton", "岚汐影院主页", 5);
    stopButton = navButton(this, "stopButton", "停止按钮", 270, 89);
    refreshButton = navButton(this, "refreshButton", "刷新按钮", 239, 89);
    forwardButton = navButton(this, "forwardButton", "前进按钮", 208, 89);

    browserFrame = place(new FramePanel(this), "外浏览框", 142, 115, 58, 45, false);
    browserFrame->setLine(1, Qt::white);
    browserFrame->setFill(Qt::white);

    movieList = place(new ListView(this), "电影列表框", 142, 115, 88, 88, false);
    movieList->setColors(Qt::black, Qt::white, Qt::white);
    movieList->setFocusPolicy(Qt::StrongFocus);

    constexpr auto natural = PicturePanel::DisplayMode::natural;
    constexpr auto stretched = PicturePanel::DisplayMode::stretched;
    middleBar = panel(this, "middleBar", "_中间图片框", 143, 85, 649, 30, stretched);

    categoryTree = place(new TreeView(this), "_分类框", 3, 91, 170, 380, false);
    categoryTree->setColors(QColor(8, 25, 42), windowBackground);
    categoryTree->setItemHeight(22);
    QList<Picture> treeImages;
    for (int i = 0; i < 5; ++i)
        treeImages.append(picture(("tree/" + std::to_string(i) + ".png").c_str()));
    categoryTree->setImageList(treeImages);
    categoryTree->setFocusPolicy(Qt::StrongFocus);

    bigButtonAnchor = place(new StripTemplate(this), "大按钮控制", 3, 32, 52, 48, false);
    titleLabel = label(this, "透明标签2", 36, 7, 172, 20, titleColour,
                       QString::fromUtf8("岚汐网络电视(LXTV)"));
    windowButtonAnchor = place(new StripTemplate(this), "控制大小", 774, 7, 21, 20, false);
    categoryDivider = panel(this, "categoryDivider", "_分类线框", 140, 86, 2, 14, stretched);
    bottomRightBorder = panel(this, "bottomRightBorder", "底边右边框", 796, 576, 4, 24, natural);
    bottomBar = panel(this, "bottomBar", "_底边中间框", 4, 576, 412, 24, stretched);
    bottomLeftBorder = panel(this, "bottomLeftBorder", "底边左边框", 0, 576, 4, 24, natural);
    middleLeftBorder = panel(this, "middleLeftBorder", "_中间左边框", 0, 86, 4, 32, stretched);
    middleRightBorder = panel(this, "middleRightBorder", "_中间右边框", 796, 86, 4, 16, stretched);
    topRightBorder = panel(this, "topRightBorder", "顶右边框", 796, 0, 4, 86, stretched);
    topLeftBorder = panel(this, "topLeftBorder", "顶左边框", 0, 0, 4, 86, stretched);

    titleStrip = place(new AnimationStrip(this), "_顶动画框", 4, 0, 791, 86, false);
    titleStrip->setBackgroundPicture(picture("panels/stripBackground.gif"));
    titleStrip->setFocusPolicy(Qt::TabFocus);

    // middleBar's children, topmost first.
    backButton = navButton(middleBar, "backButton", "后退按钮", 34, 4);
    homeButton = navButton(middleBar, "homeButton", "主页按钮", 3, 4);
    pathLabel = label(middleBar, "显示列表标签", 71, 5, 382, 24, titleColour, QString());
    searchButton = place(new PictureButton(middleBar), "搜索按钮", 612, 6, 33, 21, false);
    searchButton->setNormalPicture(buttonPicture("searchButton"));
    searchButton->setHoverPicture(buttonPicture("searchButton", "_hover"));
    searchButton->setPressedPicture(buttonPicture("searchButton", "_pressed"));
    searchFrame = place(new FramePanel(middleBar), "搜索外形框", 429, 6, 179, 22, false);
    searchFrame->setLine(1, QColor(149, 178, 200));
    searchFrame->setFill(windowBackground);

    searchEdit = place(new EditBox(searchFrame), "搜索编辑框", 4, 1, 170, 20, false);
    searchEdit->setColors(Qt::black, windowBackground);
    searchEdit->setByteLimit(40);
    searchEdit->setFocusPolicy(Qt::StrongFocus);

    // The browser view starts loading the provider's loading page as soon as it exists.
    browserView = place(new WebView(browserFrame), "超文本浏览框1", -2, -2, 28, 40, false);
    browserView->setFocusPolicy(Qt::StrongFocus);
    browserView->setAddress(site::siteAddress(site::loadingPath));

    // bottomBar's children, topmost first.
    noticeLabel =
        label(bottomBar, "透明标签3", 114, 6, 477, 16, QColor(255, 0, 0),
              QString::fromUtf8(
                  "注意：第一次使用本软件，请点击菜单“快播安装”，安装后方可正常收看影视节目。"));
    creditsLabel = label(bottomBar, "透明标签1", 3, 6, 100, 16, QColor(0, 0, 0),
                         QString::fromUtf8("岚汐网络电视 岚汐工作室制作 联系QQ：%1 版本：%2")
                             .arg(QString::fromLatin1(config::supportAccountNumber),
                                  QString::fromLatin1(config::version)));

    downloadBar = new DownloadBar(bottomBar);

    connect(browserView, &WebView::fullScreenChanged, this,
            [this](bool on) { coverScreenWithBrowser(on); });

    // Within each parent the first control listed lies on top: raise them from the last one.
    for (auto it = stacking.rbegin(); it != stacking.rend(); ++it) (*it)->raise();

    // The templates only carry a place; everything else starts visible with its parent.
    bigButtonAnchor->hide();
    windowButtonAnchor->hide();

    // The strip's own events drive the window buttons and the drag.
    connect(titleStrip, &AnimationStrip::leftButtonDown, this,
            [](int x, int y, int keys) { onStripButtonDown(x, y, keys); });
    connect(titleStrip, &AnimationStrip::objectPressed, this,
            [](int id) { onStripObjectPressed(id); });
    connect(titleStrip, &AnimationStrip::objectEntered, this,
            [](int id, int pressed) { onStripObjectEntered(id, pressed); });
    connect(titleStrip, &AnimationStrip::objectLeft, this,
            [](int id, int pressed) { onStripObjectLeft(id, pressed); });
    connect(titleStrip, &AnimationStrip::pointerMoved, this,
            [](QPoint p) { onStripPointerMoved(p.x(), p.y()); });
    connect(titleStrip, &AnimationStrip::leftButtonUp, this,
            [](QPoint p) { onStripButtonUp(p.x(), p.y()); });
    connect(titleStrip, &AnimationStrip::leftButtonLost, this,
            [](QPoint p) { onStripButtonLost(p.x(), p.y()); });
}

void MainWindow::load() {
    // The window itself: centred on the screen whatever its design place, 800x600.
    const QSize screen = platform::primaryScreenSize();
    setGeometry((screen.width() - 800) / 2, (screen.height() - 600) / 2, 800, 600);
    setWindowTitle(QString::fromUtf8("岚汐网络电视(LXTV)"));
    setWindowIcon(QIcon(QStringLiteral(":/assets/windowIcon.ico")));
    QPalette colours = palette();
    colours.setColor(QPalette::Window, windowBackground);
    setPalette(colours);
    setAutoFillBackground(true);
    setFont(QApplication::font());

    createControls();

    if (created) created();
    layoutLive_ = true;
    onMainWindowMoved();
    onMainWindowResized();
    show();
}

void MainWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    if (layoutLive_ && !browserCoversScreen()) onMainWindowMoved();
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (browserCoversScreen()) {
        fitBrowserToWindow();
    } else if (layoutLive_) {
        onMainWindowResized();
    }
}

void MainWindow::coverScreenWithBrowser(bool on) {
    if (on == browserCoversScreen()) return;
    if (on) {
        beforeFullScreen_ = BeforeFullScreen{geometry(), browserFrame->geometry(),
                                             browserView->geometry(), windowState()};
        // The pane goes over every other control and the window over the whole screen; the
        // skin's layout rests meanwhile, so nothing beneath moves.
        browserFrame->raise();
        showFullScreen();
        // Without a window manager to carry out the full-screen state, cover the screen by hand.
        const QRect whole(QPoint(0, 0), platform::primaryScreenSize());
        if (geometry() != whole) setGeometry(whole);
        fitBrowserToWindow();
        browserView->setFocus(Qt::OtherFocusReason);
        return;
    }
    const BeforeFullScreen before = *beforeFullScreen_;
    beforeFullScreen_.reset();
    setWindowState(before.states & ~Qt::WindowFullScreen);
    if (!isVisible()) show();
    setGeometry(before.window);
    browserFrame->setGeometry(before.frame);
    browserView->setGeometry(before.view);
    // Back to its place in the stacking order: under the forward button, over the movie list.
    browserFrame->stackUnder(forwardButton);
    if (layoutLive_) onMainWindowResized();
}

void MainWindow::fitBrowserToWindow() {
    browserFrame->setGeometry(rect());
    browserView->setGeometry(browserFrame->rect());
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    // Reaches the window only when the focused control leaves the key alone. Esc closes with
    // or without Shift, Ctrl or Alt held. A held Esc repeats: the press that left full screen
    // must not run on into closing the program.
    if (event->key() == Qt::Key_Escape && event->isAutoRepeat()) {
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        close();
        return;
    }
    QWidget::keyPressEvent(event);
}

Placement MainWindow::placement() const {
    if (isMinimized()) return Placement::minimized;
    if (isMaximized()) return Placement::coveringScreen;
    return Placement::normal;
}

void MainWindow::setPlacement(Placement value) {
    if (!isVisible()) return;
    const QSize screen = platform::primaryScreenSize();
    switch (value) {
        case Placement::normal:
            showNormal();
            break;
        case Placement::centred: {
            if (isMinimized() || isMaximized()) showNormal();
            const QRect outer = frameGeometry();
            const QPoint centred((screen.width() - outer.width()) / 2,
                                 (screen.height() - outer.height()) / 2);
            if (outer.topLeft() != centred) move(centred);
            break;
        }
        case Placement::minimized:
            showMinimized();
            break;
        case Placement::coveringScreen: {
            // The window has no sizing frame, so "maximized" is covering the screen by hand.
            if (isMinimized() || isMaximized()) showNormal();
            const QRect whole(QPoint(0, 0), screen);
            if (frameGeometry() != whole) setGeometry(whole);
            show();
            break;
        }
    }
}

}  // namespace lxtv::chrome
