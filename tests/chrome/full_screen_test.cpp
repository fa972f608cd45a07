// The window while the browser view covers the screen, and after: exactly as before, from the
// normal and from the maximized window. And the search box's part under pathLabel takes the
// mouse.

#include <QApplication>
#include <QScreen>
#include <map>
#include <string>

#include "chrome/main_window.h"
#include "chrome/title_strip.h"
#include "chrome/window_fixture.h"
#include "platform/screen.h"
#include "state/app_state.h"
#include "support/event_helpers.h"
#include "toolkit/edit_box.h"
#include "toolkit/frame_panel.h"
#include "toolkit/picture_panel.h"
#include "toolkit/transparent_label.h"
#include "toolkit/web_view.h"

using namespace lxtv;
using test::rectOf;

using FullScreenTest = test::WindowFixture;

namespace {

// Every control's rectangle and its place among its siblings, by literal name.
std::map<std::string, std::pair<QRect, int>> controls(const QWidget* window) {
    std::map<std::string, std::pair<QRect, int>> all;
    for (const QWidget* w : window->findChildren<QWidget*>()) {
        if (w->objectName().isEmpty() || w->objectName().startsWith(QLatin1String("qt_"))) continue;
        const int place = static_cast<int>(w->parent()->children().indexOf(w));
        all[w->objectName().toStdString()] = {rectOf(w), place};
    }
    return all;
}

void settle() {
    test::waitFor([] { return false; }, 100);
}

}  // namespace

TEST_F(FullScreenTest, CoversTheScreenThenStandsExactlyAsBefore) {
    // The full-screen state covers the platform's own screen: let the screen the window code
    // reads be that one.
    const QSize platformScreen = QGuiApplication::primaryScreen()->size();
    fakes.push_back(platform::screenSize.replaceWith([platformScreen] { return platformScreen; }));
    for (const bool maximized : {false, true}) {
        SCOPED_TRACE(maximized ? "maximized" : "normal");
        load();
        if (maximized) chrome::toggleMaximized();
        settle();
        const QRect before = rectOf(window.get());
        const auto controlsBefore = controls(window.get());
        const int isMaximized = state::appState().isMaximized;
        EXPECT_EQ(isMaximized, maximized ? 1 : 0);

        emit window->browserView->fullScreenChanged(true);
        settle();
        const QRect screen(QPoint(0, 0), platformScreen);
        EXPECT_TRUE(window->browserCoversScreen());
        EXPECT_EQ(rectOf(window.get()), screen);
        EXPECT_EQ(window->browserFrame->geometry(), QRect(QPoint(0, 0), screen.size()));
        EXPECT_EQ(window->browserView->geometry(), QRect(QPoint(0, 0), screen.size()));
        // Nothing but the view shows: the pane lies above every other control.
        for (const QPoint p : {QPoint(10, 10), QPoint(60, 300), QPoint(400, screen.height() - 5)}) {
            QWidget* hit = window->childAt(p);
            EXPECT_TRUE(hit == window->browserView || window->browserView->isAncestorOf(hit))
                << p.x() << "," << p.y();
        }
        EXPECT_EQ(window->children().last(), window->browserFrame);
        // The skin's layout rests meanwhile: a resize leaves the pieces beneath as they were.
        window->resize(screen.width() - 100, screen.height() - 100);
        settle();
        EXPECT_EQ(window->browserFrame->size(), window->size());
        EXPECT_EQ(rectOf(window->bottomBar), controlsBefore.at("_底边中间框").first);
        window->setGeometry(screen);

        emit window->browserView->fullScreenChanged(false);
        settle();
        EXPECT_FALSE(window->browserCoversScreen());
        EXPECT_EQ(rectOf(window.get()), before);
        EXPECT_EQ(state::appState().isMaximized, isMaximized);
        EXPECT_TRUE(controls(window.get()) == controlsBefore);
        window.reset();
        state::resetAppState();
        state::initAppState();
    }
}

// pathLabel lies above the search box's left part; the mouse goes through it to the edit.
TEST_F(FullScreenTest, SearchBoxTakesTheMouseUnderPathLabel) {
    load();
    const QPoint inMiddleBar(440, 15);  // the edit starts at x 432 after the layout
    ASSERT_TRUE(window->pathLabel->geometry().contains(inMiddleBar));
    ASSERT_TRUE(window->searchFrame->geometry().contains(inMiddleBar));
    QWidget* hit = window->middleBar->childAt(inMiddleBar);
    ASSERT_NE(hit, nullptr);
    EXPECT_TRUE(hit == window->searchEdit || window->searchEdit->isAncestorOf(hit))
        << hit->metaObject()->className();
}

// Esc pressed to leave full screen and held: its repeats must not run on into closing the
// program. A first press still closes it.
TEST_F(FullScreenTest, RepeatsOfAHeldEscDoNotClose) {
    load();
    QKeyEvent repeat(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(window.get(), &repeat);
    EXPECT_TRUE(window->isVisible());
    test::pressKey(window.get(), Qt::Key_Escape);
    EXPECT_FALSE(window->isVisible());
}
