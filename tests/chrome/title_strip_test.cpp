// The title strip on the real window: its six objects, the enter/leave pictures and sounds,
// the press actions, the drag, and maximizing and restoring.

#include <QApplication>

#include <QMouseEvent>
#include <atomic>
#include <functional>
#include <thread>
#include "support/event_helpers.h"

#include "build_config.h"
#include "chrome/main_window.h"
#include "chrome/title_strip.h"
#include "chrome/window_fixture.h"
#include "state/app_state.h"
#include "toolkit/animation_strip.h"
#include "toolkit/frame_panel.h"
#include "toolkit/geometry.h"
#include "toolkit/picture_button.h"
#include "toolkit/picture_panel.h"

using namespace lxtv;
using test::rectOf;
using test::showsPicture;

namespace {

struct TitleStrip : test::WindowFixture {
    toolkit::AnimationStrip* strip() { return window->titleStrip; }

    // A point where the object's picture has a solid pixel and the object is the one hit,
    // nearest the picture's centre.
    QPoint centreOf(int id) {
        const QImage picture = strip()->objectPicture(id);
        const QPoint origin = strip()->objectPlace(id);
        const QPoint mid(picture.width() / 2, picture.height() / 2);
        QPoint best(-1, -1);
        int bestDistance = 1 << 30;
        for (int y = 0; y < picture.height(); ++y)
            for (int x = 0; x < picture.width(); ++x) {
                const int d = (QPoint(x, y) - mid).manhattanLength();
                if (d < bestDistance && strip()->objectAt(origin + QPoint(x, y)) == id) {
                    best = origin + QPoint(x, y);
                    bestDistance = d;
                }
            }
        EXPECT_NE(best, QPoint(-1, -1)) << "object " << id << " has no solid pixel";
        return best;
    }
    void send(QEvent::Type type, QPoint local, Qt::MouseButton button, Qt::MouseButtons held,
              QPoint global) {
        test::sendMouse(strip(), type, local, button, held, Qt::NoModifier, global);
    }
    void send(QEvent::Type type, QPoint local, Qt::MouseButton button = Qt::NoButton,
              Qt::MouseButtons held = Qt::NoButton) {
        send(type, local, button, held, strip()->mapToGlobal(local));
    }
    void hover(QPoint local) { send(QEvent::MouseMove, local); }
    void click(QPoint local) {
        send(QEvent::MouseButtonPress, local, Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseButtonRelease, local, Qt::LeftButton, Qt::NoButton);
    }
    // The toggle as the tree builder calls it, from a thread of its own, while the window
    // thread runs its events.
    static void toggleFromAWorker() {
        std::atomic<bool> done{false};
        std::thread worker([&done] {
            chrome::toggleMaximized();
            done = true;
        });
        EXPECT_TRUE(lxtv::test::waitFor([&done] { return done.load(); }, 5000));
        worker.join();
    }
    // Somewhere on the strip where no object lies (under the title text's right end).
    QPoint emptySpot() { return QPoint(400, 60); }
};

}  // namespace

// Ids 1 to 6 recorded in creation order; the creation places; the first pictures; objects 1
// to 3 then moved by the layout before the window is shown.
TEST_F(TitleStrip, BuildsSixObjects) {
    load();
    EXPECT_EQ(state::appState().stripObjectIds, (std::vector<std::int32_t>{1, 2, 3, 4, 5, 6}));
    const std::vector<QPoint> created = {{770, 7}, {749, 7}, {728, 7}, {5, 6}, {3, 32}, {71, 32}};
    EXPECT_EQ(placesAtCreation, created);
    EXPECT_EQ(strip()->objectPlace(1), QPoint(770, 7));
    EXPECT_EQ(strip()->objectPlace(2), QPoint(748, 7));
    EXPECT_EQ(strip()->objectPlace(3), QPoint(726, 7));
    EXPECT_EQ(strip()->objectPlace(4), QPoint(5, 6));

    EXPECT_TRUE(showsPicture(1, "closePicture.png"));
    EXPECT_TRUE(showsPicture(2, "maximizePicture.png"));
    EXPECT_TRUE(showsPicture(3, "minimizePicture.png"));
    EXPECT_TRUE(showsPicture(4, "stripIconPicture.png"));
    EXPECT_TRUE(showsPicture(5, "messageBoardPicture.png"));
    EXPECT_TRUE(showsPicture(6, "aboutPicture.png"));
    EXPECT_EQ(strip()->objectPicture(1).size(), QSize(21, 20));
    EXPECT_EQ(strip()->objectPicture(5).size(), QSize(60, 50));
}

// Hover pictures come and go with the pointer; objects 5 and 6 play the sound on entering and
// on leaving, objects 1 to 3 never; object 4 reacts to nothing.
TEST_F(TitleStrip, EnterAndLeavePicturesAndSounds) {
    load();
    struct Row {
        int id;
        const char* hover;
        const char* normal;
        int soundsPerPass;
    } rows[] = {
        {1, "closeHoverPicture.png", "closePicture.png", 0},
        {2, "maximizeHoverPicture.png", "maximizePicture.png", 0},
        {3, "minimizeHoverPicture.png", "minimizePicture.png", 0},
        {5, "messageBoardHoverPicture.png", "messageBoardPicture.png", 2},
        {6, "aboutHoverPicture.png", "aboutPicture.png", 2},
    };
    for (const auto& r : rows) {
        sounds = 0;
        hover(emptySpot());
        hover(centreOf(r.id));
        EXPECT_TRUE(showsPicture(r.id, r.hover)) << r.id;
        hover(emptySpot());
        EXPECT_TRUE(showsPicture(r.id, r.normal)) << r.id;
        EXPECT_EQ(sounds, r.soundsPerPass) << r.id;
    }
    // Straight from object 1 onto object 2: 1 gets its picture back, 2 its hover picture.
    hover(centreOf(1));
    hover(centreOf(2));
    EXPECT_TRUE(showsPicture(1, "closePicture.png"));
    EXPECT_TRUE(showsPicture(2, "maximizeHoverPicture.png"));

    sounds = 0;
    hover(centreOf(4));
    hover(emptySpot());
    EXPECT_TRUE(showsPicture(4, "stripIconPicture.png"));
    EXPECT_EQ(sounds, 0);
}

// In the normal state a press starts the drag and the pressed object's action waits for the
// release: object 3 minimizes (with the sound) only then.
TEST_F(TitleStrip, NormalStateActionFollowsTheRelease) {
    load();
    const QPoint at = centreOf(3);
    send(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(window->placement(), chrome::Placement::normal);
    EXPECT_EQ(sounds, 0);
    send(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(window->placement(), chrome::Placement::minimized);
    EXPECT_EQ(sounds, 1);
}

// Objects 5 and 6 open the two outside pages without a sound; object 4 and the bare strip do
// nothing but the drag.
TEST_F(TitleStrip, PagesAndInertObjects) {
    load();
    click(centreOf(5));
    click(centreOf(6));
    click(centreOf(4));
    click(emptySpot());
    EXPECT_EQ(opened, (std::vector<std::string>{config::messageBoardPage, config::articlePage}));
    EXPECT_EQ(sounds, 0);
    EXPECT_EQ(rectOf(window.get()), QRect(240, 212, 800, 600));
    EXPECT_TRUE(exits.empty());
}

// The big buttons above objects 5 and 6 leave a margin of them uncovered at the right and the
// bottom. There, in the picture and in the hover picture alike, the objects must be seen and
// found: nearly every uncovered pixel solid enough to see, and a press there opens the page.
TEST_F(TitleStrip, LinkObjectsShowAndAnswerInTheirUncoveredMargin) {
    load();
    struct Row {
        int id;
        const char* hover;
        std::string page;
    } rows[] = {
        {5, "messageBoardHoverPicture.png", config::messageBoardPage},
        {6, "aboutHoverPicture.png", config::articlePage},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.id);
        const QPoint origin = strip()->objectPlace(r.id);
        const QRect area(origin, strip()->objectPicture(r.id).size());
        std::vector<QPoint> uncovered;
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (window->childAt(strip()->mapTo(window.get(), QPoint(x, y))) == strip())
                    uncovered.push_back({x, y});
        // A margin of some 5 columns at the right and 3 rows at the bottom.
        ASSERT_GT(uncovered.size(), 350u);
        QPoint inMargin;
        for (const bool hovered : {false, true}) {
            SCOPED_TRACE(hovered ? "hover picture" : "picture");
            const QImage picture = strip()->objectPicture(r.id);
            std::size_t found = 0, visible = 0;
            for (const QPoint p : uncovered) {
                found += strip()->objectAt(p) == r.id;
                visible += qAlpha(picture.pixel(p - origin)) >= 96;
            }
            EXPECT_GT(found, uncovered.size() * 95 / 100);
            EXPECT_GT(visible, uncovered.size() * 9 / 10);
            if (!hovered) {
                // The pointer entering the margin brings the hover picture.
                inMargin = QPoint(area.right() - 2, area.center().y());
                ASSERT_EQ(strip()->objectAt(inMargin), r.id);
                hover(inMargin);
                ASSERT_TRUE(showsPicture(r.id, r.hover));
            }
        }
        opened.clear();
        click(inMargin);
        EXPECT_EQ(opened, std::vector<std::string>{r.page});
        hover(emptySpot());
    }
}

// Object 1: the sound, the window closed, the program ended with 0.
TEST_F(TitleStrip, CloseObjectEndsTheProgram) {
    load();
    click(centreOf(1));
    EXPECT_EQ(sounds, 1);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(exits, std::vector<int>{0});
}

// A drag on the strip moves the window with the pointer; the layout stays settled; a drag that
// started on an object ends with the object's action.
TEST_F(TitleStrip, DragMovesTheWindow) {
    load();
    const QPoint start = emptySpot();
    const QPoint g = strip()->mapToGlobal(start);
    send(QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton, g);
    send(QEvent::MouseMove, start, Qt::NoButton, Qt::LeftButton, g + QPoint(30, 20));
    send(QEvent::MouseMove, start, Qt::NoButton, Qt::LeftButton, g + QPoint(-50, 10));
    send(QEvent::MouseButtonRelease, start, Qt::LeftButton, Qt::NoButton, g + QPoint(-60, 15));
    EXPECT_EQ(rectOf(window.get()), QRect(180, 227, 800, 600));
    EXPECT_EQ(toolkit::width(window->titleStrip), 792);
    EXPECT_EQ(strip()->objectPlace(1), QPoint(770, 7));

    // Moving afterwards without the button moves nothing.
    send(QEvent::MouseMove, start, Qt::NoButton, Qt::NoButton, g);
    EXPECT_EQ(rectOf(window.get()).topLeft(), QPoint(180, 227));

    const QPoint onClose = centreOf(1);
    const QPoint g1 = strip()->mapToGlobal(onClose);
    send(QEvent::MouseButtonPress, onClose, Qt::LeftButton, Qt::LeftButton, g1);
    send(QEvent::MouseMove, onClose, Qt::NoButton, Qt::LeftButton, g1 + QPoint(5, 5));
    EXPECT_TRUE(exits.empty());
    send(QEvent::MouseButtonRelease, onClose, Qt::LeftButton, Qt::NoButton, g1 + QPoint(5, 5));
    EXPECT_EQ(exits, std::vector<int>{0});
}

// A release that never reaches the strip (its mouse grab was taken away) ends the drag at the
// first move without the button: the window stays where the drag last put it instead of
// following the bare pointer.
TEST_F(TitleStrip, LostReleaseEndsTheDrag) {
    load();
    const QPoint start = emptySpot();
    const QPoint g = strip()->mapToGlobal(start);
    send(QEvent::MouseButtonPress, start, Qt::LeftButton, Qt::LeftButton, g);
    send(QEvent::MouseMove, start, Qt::NoButton, Qt::LeftButton, g + QPoint(30, 20));
    EXPECT_EQ(rectOf(window.get()).topLeft(), QPoint(270, 232));
    send(QEvent::MouseMove, start, Qt::NoButton, Qt::NoButton, g + QPoint(90, 70));
    send(QEvent::MouseMove, start, Qt::NoButton, Qt::NoButton, g + QPoint(-90, -70));
    EXPECT_EQ(rectOf(window.get()).topLeft(), QPoint(270, 232));
}

// The pressed object's action goes with a lost release: the viewer let go elsewhere, and a
// close, a minimize or an outside page must not follow the next time the pointer crosses the
// strip, nor the next press on a bare part of it.
TEST_F(TitleStrip, LostReleaseDropsThePendingAction) {
    load();
    for (const int id : {1, 3, 5}) {
        SCOPED_TRACE(id);
        const QPoint at = centreOf(id);
        send(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton);
        send(QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton,
             strip()->mapToGlobal(at) + QPoint(5, 5));
        hover(emptySpot());
        hover(at);
        hover(emptySpot());
        click(emptySpot());
        EXPECT_TRUE(exits.empty());
        EXPECT_TRUE(opened.empty());
        EXPECT_EQ(window->placement(), chrome::Placement::normal);
        EXPECT_TRUE(window->isVisible());
    }
    EXPECT_EQ(sounds, 4) << "object 5 clicks on its two enters and two leaves, nothing else";
}

// A change of state ends a drag in progress: once maximized, the held pointer no longer moves
// the window, and the release does nothing more.
TEST_F(TitleStrip, ToggleEndsTheDrag) {
    load();
    const QPoint g = strip()->mapToGlobal(emptySpot());
    send(QEvent::MouseButtonPress, emptySpot(), Qt::LeftButton, Qt::LeftButton, g);
    send(QEvent::MouseMove, emptySpot(), Qt::NoButton, Qt::LeftButton, g + QPoint(10, 10));
    chrome::toggleMaximized();
    const QRect maximized(0, 0, screenWidth, screenHeight - 28);
    EXPECT_EQ(rectOf(window.get()), maximized);
    send(QEvent::MouseMove, emptySpot(), Qt::NoButton, Qt::LeftButton, g + QPoint(60, 40));
    EXPECT_EQ(rectOf(window.get()), maximized);
    send(QEvent::MouseButtonRelease, emptySpot(), Qt::LeftButton, Qt::NoButton, g + QPoint(70, 50));
    EXPECT_EQ(rectOf(window.get()), maximized);
    EXPECT_EQ(state::appState().isMaximized, 1);
}

// Object 2 maximizes and restores. Its hover picture stays through the press; after the pointer
// leaves, the normal picture of the new state shows. Maximized, the strip does not drag and
// the action follows the press at once.
TEST_F(TitleStrip, ToggleMaximizedBothWays) {
    load();
    hover(centreOf(2));
    EXPECT_TRUE(showsPicture(2, "maximizeHoverPicture.png"));
    click(centreOf(2));
    EXPECT_EQ(state::appState().isMaximized, 1);
    EXPECT_EQ(rectOf(window.get()), QRect(0, 0, screenWidth, screenHeight - 28));
    EXPECT_EQ(sounds, 1);
    // The layout followed the new size.
    EXPECT_EQ(rectOf(window->browserFrame).size(),
              QSize(screenWidth - 145, screenHeight - 28 - 139));
    EXPECT_EQ(rectOf(window->searchButton).left(), screenWidth - 188);
    EXPECT_EQ(strip()->objectPlace(2), QPoint(screenWidth - 52, 7));

    // The press landed where the object was; it has moved with the layout since.
    EXPECT_TRUE(showsPicture(2, "maximizeHoverPicture.png"));
    hover(emptySpot());
    EXPECT_TRUE(showsPicture(2, "restorePicture.png"));
    hover(centreOf(2));
    EXPECT_TRUE(showsPicture(2, "restoreHoverPicture.png"));

    // Maximized: no drag.
    const QPoint g = strip()->mapToGlobal(emptySpot());
    send(QEvent::MouseButtonPress, emptySpot(), Qt::LeftButton, Qt::LeftButton, g);
    send(QEvent::MouseMove, emptySpot(), Qt::NoButton, Qt::LeftButton, g + QPoint(40, 40));
    send(QEvent::MouseButtonRelease, emptySpot(), Qt::LeftButton, Qt::NoButton, g + QPoint(40, 40));
    EXPECT_EQ(rectOf(window.get()).topLeft(), QPoint(0, 0));

    // Maximized: the press alone restores.
    hover(centreOf(2));
    send(QEvent::MouseButtonPress, centreOf(2), Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(state::appState().isMaximized, 0);
    EXPECT_EQ(rectOf(window.get()), QRect(240, 212, 800, 600));
    EXPECT_EQ(sounds, 2);
    send(QEvent::MouseButtonRelease, centreOf(2), Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(state::appState().isMaximized, 0);
    EXPECT_TRUE(showsPicture(2, "restoreHoverPicture.png"));
    hover(emptySpot());
    EXPECT_TRUE(showsPicture(2, "maximizePicture.png"));
    EXPECT_EQ(rectOf(window->searchFrame).left(), 428);
}

// A quick double click on object 2 maximizes once: the second press is a double click.
TEST_F(TitleStrip, DoubleClickMaximizesOnce) {
    load();
    const QPoint at = centreOf(2);
    click(at);
    send(QEvent::MouseButtonDblClick, at, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(state::appState().isMaximized, 1);
    EXPECT_EQ(sounds, 1);
}

// The catalogue worker may ask for the maximized window: the window operations run on the
// window thread while the worker waits, and the result is the same.
TEST_F(TitleStrip, ToggleFromAWorkerThread) {
    load();
    toggleFromAWorker();
    EXPECT_EQ(state::appState().isMaximized, 1);
    EXPECT_EQ(rectOf(window.get()), QRect(0, 0, screenWidth, screenHeight - 28));
    EXPECT_EQ(rectOf(window->bottomBar), QRect(4, screenHeight - 28 - 24, screenWidth - 8, 24));
    EXPECT_EQ(sounds, 1);
    // Object 2 keeps its picture until the pointer next enters and leaves it.
    EXPECT_TRUE(showsPicture(2, "maximizePicture.png"));
}

namespace {

// Runs `before` on the window thread just before the first call that another thread hands to
// the application object is carried out.
class BeforeFirstHandedCall : public QObject {
  public:
    explicit BeforeFirstHandedCall(std::function<void()> before) : before_(std::move(before)) {
        qApp->installEventFilter(this);
    }
    ~BeforeFirstHandedCall() override { qApp->removeEventFilter(this); }
    bool ran() const { return ran_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!ran_ && watched == qApp && event->type() == QEvent::MetaCall) {
            ran_ = true;
            before_();
        }
        return false;
    }

  private:
    std::function<void()> before_;
    bool ran_ = false;
};

}  // namespace

// The worker's toggle against a press on object 2 that the window thread handles while the
// worker waits for it: whichever goes first, the flag and the window agree at the end.
TEST_F(TitleStrip, WorkerToggleAndAPressAgree) {
    load();
    const BeforeFirstHandedCall press([] { chrome::onStripObjectPressed(2); });
    toggleFromAWorker();
    ASSERT_TRUE(press.ran());
    const QRect shown = rectOf(window.get());
    if (state::appState().isMaximized == 1)
        EXPECT_EQ(shown, QRect(0, 0, screenWidth, screenHeight - 28));
    else
        EXPECT_EQ(shown, QRect(240, 212, 800, 600));
    EXPECT_EQ(sounds, 2);
}
