// The main window as load() builds it: place, order of events, the controls' inventory and
// stacking, placement, Esc.

#include <QApplication>

#include <QFile>
#include "support/event_helpers.h"

#include "chrome/main_window.h"
#include "chrome/window_fixture.h"
#include "platform/screen.h"
#include "platform/sound.h"
#include "site/site.h"
#include "state/app_state.h"
#include "toolkit/animation_strip.h"
#include "toolkit/edit_box.h"
#include "toolkit/frame_panel.h"
#include "toolkit/geometry.h"
#include "toolkit/list_view.h"
#include "toolkit/picture_button.h"
#include "toolkit/picture_panel.h"
#include "toolkit/strip_template.h"
#include "toolkit/transparent_label.h"
#include "toolkit/tree_view.h"
#include "toolkit/web_view.h"

using namespace lxtv;
using test::rectOf;

using MainWindowTest = test::WindowFixture;
using chrome::Placement;

namespace {

// Literal names of each parent's controls, topmost first.
const std::vector<const char*> windowChildren = {
    "快播安装",    "关于我们",    "客户咨询",   "留言反馈",     "在线升级",    "数据同步",
    "最近更新",    "热播排行",    "最新推荐",   "岚汐影院主页", "停止按钮",    "刷新按钮",
    "前进按钮",    "外浏览框",    "电影列表框", "_中间图片框",  "_分类框",     "大按钮控制",
    "透明标签2",   "控制大小",    "_分类线框",  "底边右边框",   "_底边中间框", "底边左边框",
    "_中间左边框", "_中间右边框", "顶右边框",   "顶左边框",     "_顶动画框"};
const std::vector<const char*> middleBarChildren = {"后退按钮", "主页按钮", "显示列表标签",
                                                    "搜索按钮", "搜索外形框"};
const std::vector<const char*> bottomBarChildren = {"透明标签3", "透明标签1"};

// Named children of a parent in stacking order, topmost first.
std::vector<std::string> stackOf(const QWidget* parent) {
    std::vector<std::string> names;
    const auto kids = parent->children();
    for (auto it = kids.rbegin(); it != kids.rend(); ++it) {
        auto* w = qobject_cast<QWidget*>(*it);
        if (w && !w->objectName().isEmpty() && !w->objectName().startsWith(QLatin1String("qt_")))
            names.push_back(w->objectName().toStdString());
    }
    return names;
}

std::vector<std::string> strings(const std::vector<const char*>& v) {
    return {v.begin(), v.end()};
}

}  // namespace

// The window is centred on the screen, frameless, titled, coloured; the created event comes
// before the layout and before the window is shown.
TEST_F(MainWindowTest, LoadOrderAndWindowSettings) {
    bool visibleAtCreated = true;
    int bottomBarWidthAtCreated = 0;
    QSize browserFrameAtCreated;
    window = std::make_unique<chrome::MainWindow>();
    window->created = [&] {
        visibleAtCreated = window->isVisible();
        bottomBarWidthAtCreated = toolkit::width(window->bottomBar);
        browserFrameAtCreated = rectOf(window->browserFrame).size();
    };
    window->load();

    EXPECT_FALSE(visibleAtCreated);
    EXPECT_EQ(bottomBarWidthAtCreated, 412);  // design sizes until the layout runs
    EXPECT_EQ(browserFrameAtCreated, QSize(58, 45));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(rectOf(window.get()), QRect(240, 212, 800, 600));
    EXPECT_TRUE(window->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(window->windowTitle(), QString::fromUtf8("岚汐网络电视(LXTV)"));
    EXPECT_EQ(window->palette().color(QPalette::Window), QColor(233, 240, 244));
    EXPECT_EQ(window->placement(), Placement::normal);
    EXPECT_EQ(window->browserView->address(), site::siteAddress(site::loadingPath));
}

// On a screen smaller than the window the centred place is negative.
TEST_F(MainWindowTest, CentredOnASmallScreen) {
    fakes.push_back(platform::screenSize.replaceWith([] { return QSize(640, 480); }));
    load();
    EXPECT_EQ(rectOf(window.get()), QRect(-80, -60, 800, 600));
}

// Every control as it stands when the created event runs, before any layout: its identifier's
// member holds the control of that literal name, of that kind, under that parent, at its design
// rectangle, with its tab stop.
TEST_F(MainWindowTest, InventoryAtCreation) {
    using M = chrome::MainWindow;
    const char* button = "lxtv::toolkit::PictureButton";
    const char* panel = "lxtv::toolkit::PicturePanel";
    const char* label = "lxtv::toolkit::TransparentLabel";
    const char* frame = "lxtv::toolkit::FramePanel";
    const char* anchor = "lxtv::toolkit::StripTemplate";
    struct Entry {
        QWidget* control;
        const char* name;
        const char* kind;
        QWidget* parent;
        QRect design;
        bool tabStop;
    };
    std::vector<Entry> entries;
    std::vector<Entry> atCreation;
    window = std::make_unique<chrome::MainWindow>();
    window->created = [&] {
        M& m = *window;
        QWidget* w = &m;
        entries = {
            {m.qvodInstallButton, "快播安装", button, w, {350, 29, 56, 50}, false},
            {m.aboutUsButton, "关于我们", button, w, {626, 29, 56, 50}, false},
            {m.supportChatButton, "客户咨询", button, w, {557, 29, 56, 50}, false},
            {m.feedbackButton, "留言反馈", button, w, {488, 29, 56, 50}, false},
            {m.onlineUpgradeButton, "在线升级", button, w, {419, 29, 56, 50}, false},
            {m.dataSyncButton, "数据同步", button, w, {281, 29, 56, 50}, false},
            {m.recentUpdatesButton, "最近更新", button, w, {212, 29, 56, 50}, false},
            {m.hotRankingButton, "热播排行", button, w, {143, 29, 56, 50}, false},
            {m.latestPicksButton, "最新推荐", button, w, {74, 29, 56, 50}, false},
            {m.siteHomeButton, "岚汐影院主页", button, w, {5, 29, 56, 50}, false},
            {m.stopButton, "停止按钮", button, w, {270, 89, 25, 25}, false},
            {m.refreshButton, "刷新按钮", button, w, {239, 89, 25, 25}, false},
            {m.forwardButton, "前进按钮", button, w, {208, 89, 25, 25}, false},
            {m.browserFrame, "外浏览框", frame, w, {142, 115, 58, 45}, false},
            {m.movieList, "电影列表框", "lxtv::toolkit::ListView", w, {142, 115, 88, 88}, true},
            {m.middleBar, "_中间图片框", panel, w, {143, 85, 649, 30}, false},
            {m.categoryTree, "_分类框", "lxtv::toolkit::TreeView", w, {3, 91, 170, 380}, true},
            {m.bigButtonAnchor, "大按钮控制", anchor, w, {3, 32, 52, 48}, false},
            {m.titleLabel, "透明标签2", label, w, {36, 7, 172, 20}, false},
            {m.windowButtonAnchor, "控制大小", anchor, w, {774, 7, 21, 20}, false},
            {m.categoryDivider, "_分类线框", panel, w, {140, 86, 2, 14}, false},
            {m.bottomRightBorder, "底边右边框", panel, w, {796, 576, 4, 24}, false},
            {m.bottomBar, "_底边中间框", panel, w, {4, 576, 412, 24}, false},
            {m.bottomLeftBorder, "底边左边框", panel, w, {0, 576, 4, 24}, false},
            {m.middleLeftBorder, "_中间左边框", panel, w, {0, 86, 4, 32}, false},
            {m.middleRightBorder, "_中间右边框", panel, w, {796, 86, 4, 16}, false},
            {m.topRightBorder, "顶右边框", panel, w, {796, 0, 4, 86}, false},
            {m.topLeftBorder, "顶左边框", panel, w, {0, 0, 4, 86}, false},
            {m.titleStrip, "_顶动画框", "lxtv::toolkit::AnimationStrip", w, {4, 0, 791, 86}, true},
            {m.backButton, "后退按钮", button, m.middleBar, {34, 4, 25, 25}, false},
            {m.homeButton, "主页按钮", button, m.middleBar, {3, 4, 25, 25}, false},
            {m.pathLabel, "显示列表标签", label, m.middleBar, {71, 5, 382, 24}, false},
            {m.searchButton, "搜索按钮", button, m.middleBar, {612, 6, 33, 21}, false},
            {m.searchFrame, "搜索外形框", frame, m.middleBar, {429, 6, 179, 22}, false},
            {m.searchEdit,
             "搜索编辑框",
             "lxtv::toolkit::EditBox",
             m.searchFrame,
             {4, 1, 170, 20},
             true},
            {m.browserView,
             "超文本浏览框1",
             "lxtv::toolkit::WebView",
             m.browserFrame,
             {-2, -2, 28, 40},
             true},
            {m.noticeLabel, "透明标签3", label, m.bottomBar, {114, 6, 477, 16}, false},
            {m.creditsLabel, "透明标签1", label, m.bottomBar, {3, 6, 100, 16}, false},
        };
        for (auto e : entries) {
            e.design = rectOf(e.control);
            e.tabStop = (e.control->focusPolicy() & Qt::TabFocus) != 0;
            atCreation.push_back(e);
        }
    };
    window->load();

    ASSERT_EQ(entries.size(), 38u);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const Entry& want = entries[i];
        const Entry& got = atCreation[i];
        ASSERT_NE(want.control, nullptr) << want.name;
        EXPECT_EQ(want.control->objectName(), QString::fromUtf8(want.name));
        EXPECT_STREQ(want.control->metaObject()->className(), want.kind) << want.name;
        EXPECT_EQ(want.control->parentWidget(), want.parent) << want.name;
        EXPECT_EQ(got.design, want.design) << want.name;
        EXPECT_EQ(got.tabStop, want.tabStop) << want.name;
        EXPECT_TRUE(want.control->isEnabled()) << want.name;
    }
}

// Each parent holds its controls in the table's order, topmost first; the templates are hidden,
// every other control visible; hand pointers on the buttons that have them.
TEST_F(MainWindowTest, ControlsParentsStackingAndPointers) {
    load();
    EXPECT_EQ(stackOf(window.get()), strings(windowChildren));
    EXPECT_EQ(stackOf(window->middleBar), strings(middleBarChildren));
    EXPECT_EQ(stackOf(window->bottomBar), strings(bottomBarChildren));
    EXPECT_EQ(window->searchEdit->parentWidget(), window->searchFrame);
    EXPECT_EQ(window->browserView->parentWidget(), window->browserFrame);
    EXPECT_EQ(window->searchEdit->objectName(), QString::fromUtf8("搜索编辑框"));
    EXPECT_EQ(window->browserView->objectName(), QString::fromUtf8("超文本浏览框1"));

    EXPECT_FALSE(window->bigButtonAnchor->isVisible());
    EXPECT_FALSE(window->windowButtonAnchor->isVisible());
    for (const char* name : windowChildren) {
        const auto* w = window->findChild<QWidget*>(QString::fromUtf8(name));
        ASSERT_NE(w, nullptr) << name;
        if (w != window->bigButtonAnchor && w != window->windowButtonAnchor) {
            EXPECT_TRUE(w->isVisible()) << name;
        }
    }

    const toolkit::PictureButton* hand[] = {window->qvodInstallButton, window->aboutUsButton,
                                            window->siteHomeButton,    window->stopButton,
                                            window->forwardButton,     window->homeButton,
                                            window->backButton};
    for (const auto* b : hand)
        EXPECT_EQ(b->cursor().shape(), Qt::PointingHandCursor) << b->objectName().toStdString();
    EXPECT_EQ(window->searchButton->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(window->categoryTree->cursor().shape(), Qt::ArrowCursor);
}

// Texts, colours and the pictures that shape the navigation buttons.
TEST_F(MainWindowTest, LabelsFramesAndPictures) {
    load();
    EXPECT_EQ(window->titleLabel->text(), QString::fromUtf8("岚汐网络电视(LXTV)"));
    EXPECT_EQ(window->titleLabel->color(), QColor(30, 67, 107));
    EXPECT_TRUE(window->pathLabel->text().isEmpty());
    EXPECT_EQ(window->noticeLabel->color(), QColor(255, 0, 0));
    EXPECT_TRUE(
        window->noticeLabel->text().startsWith(QString::fromUtf8("注意：第一次使用本软件")));
    EXPECT_FALSE(window->creditsLabel->text().isEmpty());
    EXPECT_EQ(window->searchFrame->lineColor(), QColor(149, 178, 200));
    EXPECT_EQ(window->searchFrame->fillColor(), QColor(233, 240, 244));
    EXPECT_EQ(window->browserFrame->fillColor(), QColor(Qt::white));
    EXPECT_EQ(window->searchEdit->byteLimit(), 40);
    EXPECT_TRUE(window->searchEdit->text().empty());
    if (QFile::exists(QStringLiteral(":/assets/buttons/homeButton.gif"))) {
        // White is cut out of the navigation buttons; the big buttons are whole rectangles.
        EXPECT_FALSE(window->homeButton->mask().isEmpty());
        EXPECT_NE(window->homeButton->mask(), QRegion(0, 0, 25, 25));
        EXPECT_TRUE(window->siteHomeButton->mask().isEmpty());
        EXPECT_EQ(window->siteHomeButton->currentPicture().size(), QSize(58, 50));
    }
}

// placement: minimized, normal (restores), centred, covering the screen; reads back minimized
// while minimized and normal otherwise; nothing happens while the window is hidden.
TEST_F(MainWindowTest, Placement) {
    window = std::make_unique<chrome::MainWindow>();
    window->setGeometry(5, 6, 300, 200);
    window->setPlacement(Placement::coveringScreen);
    EXPECT_EQ(rectOf(window.get()), QRect(5, 6, 300, 200));
    window.reset();

    load();
    window->setPlacement(Placement::minimized);
    EXPECT_EQ(window->placement(), Placement::minimized);
    window->setPlacement(Placement::normal);
    EXPECT_EQ(window->placement(), Placement::normal);

    window->move(0, 0);
    window->setPlacement(Placement::centred);
    EXPECT_EQ(rectOf(window.get()), QRect(240, 212, 800, 600));

    window->setPlacement(Placement::coveringScreen);
    EXPECT_EQ(rectOf(window.get()), QRect(0, 0, screenWidth, screenHeight));
    EXPECT_EQ(window->placement(), Placement::normal);  // covering the screen is not maximized

    window->setPlacement(Placement::minimized);
    window->setPlacement(Placement::centred);  // restores first, then centres
    EXPECT_EQ(window->placement(), Placement::normal);
    EXPECT_EQ(rectOf(window.get()), QRect(0, 0, screenWidth, screenHeight));
}

// Esc closes the window, also when a control that leaves the key alone has the focus.
TEST_F(MainWindowTest, EscapeCloses) {
    load();
    lxtv::test::pressKey(window.get(), Qt::Key_A);
    EXPECT_TRUE(window->isVisible());
    lxtv::test::pressKey(window.get(), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());

    window.reset();
    load();
    window->searchEdit->setFocus();
    lxtv::test::pressKey(window->searchEdit, Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());

    // A modifier held with Esc does not stop it.
    for (const Qt::KeyboardModifier held : {Qt::ShiftModifier, Qt::ControlModifier}) {
        window.reset();
        load();
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Escape, held);
        QApplication::sendEvent(window->titleStrip, &press);
        EXPECT_FALSE(window->isVisible()) << held;
    }
}

// The click sound is a PCM wave of the stated layout; it parses into its samples.
TEST(ClickSound, IsTheStatedWave) {
    QFile file(QStringLiteral(":/assets/clickSound.wav"));
    if (!file.open(QIODevice::ReadOnly)) GTEST_SKIP() << "no click sound yet";
    const auto wave = platform::parseWave(file.readAll());
    EXPECT_TRUE(wave.valid);
    EXPECT_EQ(wave.channels, 1);
    EXPECT_EQ(wave.sampleRate, 44100);
    EXPECT_EQ(wave.bitsPerSample, 16);
    EXPECT_EQ(wave.samples.size(), 61536);
}

// Waves the player cannot use are refused, and a data chunk longer than the file plays what
// is there.
TEST(ClickSound, ParsingIsDefensive) {
    EXPECT_FALSE(platform::parseWave(QByteArray()).valid);
    EXPECT_FALSE(platform::parseWave(QByteArray("RIFF\0\0\0\0WAVEdata", 16)).valid);
    QByteArray wave(
        "RIFF\x24\0\0\0WAVEfmt \x10\0\0\0\x01\0\x01\0\x44\xAC\0\0\x88\x58\x01\0\x02\0\x10\0"
        "data\xFF\0\0\0\x01\x02\x03\x04",
        48);
    const auto parsed = platform::parseWave(wave);
    EXPECT_TRUE(parsed.valid);
    EXPECT_EQ(parsed.samples, QByteArray("\x01\x02\x03\x04", 4));
    wave[20] = 3;  // not PCM
    EXPECT_FALSE(platform::parseWave(wave).valid);
}
