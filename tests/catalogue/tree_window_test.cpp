// The builder into the real widget through the window-thread carrier, and the selection
// handler in the real window.

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <atomic>
#include <thread>

#include "catalogue/channel_selection.h"
#include "catalogue/tree_builder.h"
#include "catalogue/tree_carrier.h"
#include "catalogue/zapping.h"
#include "chrome/main_window.h"
#include "chrome/title_strip.h"
#include "platform/screen.h"
#include "platform/sound.h"
#include "site/site.h"
#include "state/app_state.h"
#include "support/tree_fixture.h"
#include "toolkit/frame_panel.h"
#include "toolkit/list_view.h"
#include "toolkit/transparent_label.h"
#include "toolkit/tree_memory.h"
#include "toolkit/tree_view.h"
#include "toolkit/web_view.h"

namespace lxtv::test {
namespace {

// Runs the window thread's events until `done` holds (at most 60 s).
template <typename Done>
bool pumpUntil(Done done) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > 60'000) return false;
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// The widget filled from a worker thread ends up exactly as the in-memory build, and the
// window is toggled only once every item is on screen.
TEST(TreeCarrier, BuildIntoTheWidgetMatchesTheInMemoryBuild) {
    TempDir dir;
    const std::string ini = dir.file("LXTV.ini");
    writeFile(ini, generatedCatalogue(400, 20, "0") +
                       gbk("[空分类]\r\n[config]\r\n[Config]\r\nx=2|u\r\n"));
    toolkit::MemoryTree expected;
    ASSERT_TRUE(catalogue::fillCatalogueTree(expected, ini));

    toolkit::TreeView view(nullptr);
    view.resize(170, 380);
    view.show();
    view.addItem(-1, "stale", 0, 0, 0, false);
    std::atomic<bool> finished = false;
    std::atomic<int> toggles = 0;
    int shownAtToggle = -1;
    std::thread worker([&] {
        catalogue::buildCatalogueTreeInto(&view, ini, [&] {
            ++toggles;
            QMetaObject::invokeMethod(
                &view, [&] { shownAtToggle = view.itemCount(); }, Qt::BlockingQueuedConnection);
        });
        finished = true;
    });
    const bool ended = pumpUntil([&] { return finished.load(); });
    worker.join();
    ASSERT_TRUE(ended);
    EXPECT_EQ(toggles, 1);
    EXPECT_EQ(shownAtToggle, expected.itemCount());
    EXPECT_EQ(describeItems(view), describeItems(expected));
}

// Without "最大化" = "0" the window is left alone, and the operations still all arrive.
TEST(TreeCarrier, NoToggleAndEveryOperationArrives) {
    TempDir dir;
    const std::string ini = dir.file("LXTV.ini");
    writeFile(ini, generatedCatalogue(50, 10, "00"));
    toolkit::MemoryTree expected;
    ASSERT_FALSE(catalogue::fillCatalogueTree(expected, ini));

    toolkit::TreeView view(nullptr);
    std::atomic<int> toggles = 0;
    std::thread worker([&] { catalogue::buildCatalogueTreeInto(&view, ini, [&] { ++toggles; }); });
    worker.join();
    EXPECT_TRUE(pumpUntil([&] { return view.itemCount() == expected.itemCount(); }));
    QApplication::processEvents();
    EXPECT_EQ(toggles, 0);
    EXPECT_EQ(describeItems(view), describeItems(expected));
}

// While the worker still adds items, the viewer can select one that is shown, and the carrier
// hands the worker the viewer's selection.
TEST(TreeCarrier, SelectionWhileTheBuildGoesOn) {
    toolkit::TreeView view(nullptr);
    view.resize(170, 380);
    view.show();
    std::atomic<int> stage = 0;
    int selectedSeenByWorker = -2;
    std::thread worker([&] {
        catalogue::WindowTreeCarrier carrier(&view);
        carrier.clearItems();
        const int a = carrier.addItem(-1, "A", 0, 1, 1, true);
        carrier.addItem(a, "a1", 3, 3, 0, false);
        carrier.expandItem(a);
        carrier.waitUntilShown();
        stage = 1;
        while (stage != 2) std::this_thread::yield();
        selectedSeenByWorker = carrier.selectedIndex();
        carrier.addItem(a, "a2", 3, 3, 0, false);
        carrier.addItem(-1, "B", 0, 1, 2, true);
        carrier.waitUntilShown();
        stage = 3;
    });
    ASSERT_TRUE(pumpUntil([&] { return stage == 1; }));
    std::vector<int> causes;
    QObject::connect(&view, &toolkit::TreeView::selectionChanged,
                     [&](toolkit::SelectionCause c) { causes.push_back(static_cast<int>(c)); });
    view.setSelectedIndex(1);
    EXPECT_EQ(view.itemText(view.selectedIndex()), "a1");
    stage = 2;
    const bool ended = pumpUntil([&] { return stage == 3; });
    worker.join();
    ASSERT_TRUE(ended);
    EXPECT_EQ(selectedSeenByWorker, 1);
    EXPECT_EQ(view.selectedIndex(), 1);  // appends after it keep its index
    EXPECT_EQ(causes, std::vector<int>{2});
    EXPECT_EQ(view.itemCount(), 4);
}

struct LoadedWindow : ::testing::Test {
    std::unique_ptr<chrome::MainWindow> window;
    TempDir dir;
    int sounds = 0;
    platform::Replacement screen, sound;

    void SetUp() override {
        state::initAppState();
        screen = platform::screenSize.replaceWith([] { return QSize(1280, 1024); });
        sound = platform::wavePlayer.replaceWith([this](const QByteArray&) { ++sounds; });
        window = std::make_unique<chrome::MainWindow>();
        window->created = [] { chrome::buildTitleStrip(); };
        window->load();
        state::appState().catalogueIniPath = dir.file("LXTV.ini");
    }
    void TearDown() override {
        window.reset();
        state::appState().isMaximized = 0;
        state::appState().catalogueIniPath.clear();
        sound = {};
        screen = {};
    }
};

TEST_F(LoadedWindow, SelectionHandler) {
    writeFile(state::appState().catalogueIniPath,
              "[A]\r\na=1|http://127.0.0.1:1/a  \r\ns=1|javascript:alert(1)\r\n");
    toolkit::TreeView& tree = *window->categoryTree;
    tree.clearItems();
    tree.addItem(0, gbk("节目菜单"), 4, 4, 0, true);
    const int a = tree.addItem(-1, "A", 0, 1, 1, true);
    tree.addItem(a, "a", 3, 3, 0, false);
    tree.addItem(a, "s", 3, 3, 0, false);
    tree.expandItem(a);
    tree.addItem(tree.itemCount(), gbk("更多影片"), 2, 2, 0, true);

    const std::string marker = "http://127.0.0.1:1/marker";
    struct Case {
        int item;
        std::string address;
    } cases[] = {
        {0, marker},                             // the header opens nothing
        {1, marker},                             // nor does a category
        {2, "http://127.0.0.1:1/a"},             // a channel, trimmed
        {3, "http://127.0.0.1:1/a"},             // a script address keeps the page
        {4, site::siteAddress(site::homePath)},  // more films: the site's home page
    };
    for (const Case& c : cases) {
        if (c.item < 2) window->browserView->setAddress(marker);
        window->pathLabel->setText(QStringLiteral("folder"));
        window->movieList->show();
        window->browserFrame->hide();
        tree.setSelectedIndex(c.item);
        catalogue::onCategoryTreeSelectionChanged(toolkit::SelectionCause::other);
        EXPECT_EQ(window->browserView->address(), c.address) << c.item;
        EXPECT_TRUE(window->pathLabel->text().isEmpty()) << c.item;
        EXPECT_TRUE(window->movieList->isHidden()) << c.item;
        EXPECT_FALSE(window->browserFrame->isHidden()) << c.item;
    }
}

// PageDown in full screen: the next channel is selected, its collapsed category opened on the
// way, and the selection opens it as any selection does; at the last channel it goes round.
TEST_F(LoadedWindow, ZappingSelectsAndOpensTheNeighbouringChannel) {
    writeFile(state::appState().catalogueIniPath,
              "[A]\r\na=1|http://127.0.0.1:1/a\r\n[B]\r\nb=1|http://127.0.0.1:1/b\r\n");
    toolkit::TreeView& tree = *window->categoryTree;
    tree.clearItems();
    tree.addItem(0, gbk("节目菜单"), 4, 4, 0, true);
    const int a = tree.addItem(-1, "A", 0, 1, 1, true);
    const int aa = tree.addItem(a, "a", 3, 3, 0, false);
    const int b = tree.addItem(-1, "B", 0, 1, 2, true);
    const int bb = tree.addItem(b, "b", 3, 3, 0, false);
    tree.expandItem(a);
    tree.addItem(tree.itemCount(), gbk("更多影片"), 2, 2, 0, true);
    QObject::connect(&tree, &toolkit::TreeView::selectionChanged, &tree,
                     &catalogue::onCategoryTreeSelectionChanged);
    tree.setSelectedIndex(aa);
    ASSERT_EQ(window->browserView->address(), "http://127.0.0.1:1/a");
    ASSERT_FALSE(tree.isItemExpanded(b));

    catalogue::onZapRequested(1);
    EXPECT_EQ(tree.selectedIndex(), bb);
    EXPECT_TRUE(tree.isItemExpanded(b));
    EXPECT_EQ(window->browserView->address(), "http://127.0.0.1:1/b");
    catalogue::onZapRequested(1);
    EXPECT_EQ(tree.selectedIndex(), aa);
    EXPECT_EQ(window->browserView->address(), "http://127.0.0.1:1/a");
    catalogue::onZapRequested(-1);
    EXPECT_EQ(window->browserView->address(), "http://127.0.0.1:1/b");
}

// The builder as start-up runs it: into categoryTree from catalogueIniPath, the window
// maximized at the end.
TEST_F(LoadedWindow, BuildIntoTheWindow) {
    writeFile(state::appState().catalogueIniPath,
              "[config]\r\n" + gbk("最大化") + "=0\r\n[A]\r\na=1|u\r\nb=2|u\r\nc=3|u\r\n[B]\r\n");
    std::atomic<bool> finished = false;
    std::thread worker([&] {
        catalogue::buildCatalogueTree();
        finished = true;
    });
    const bool ended = pumpUntil([&] { return finished.load(); });
    worker.join();
    QApplication::processEvents();
    ASSERT_TRUE(ended);
    EXPECT_EQ(state::appState().isMaximized, 1);
    EXPECT_EQ(describeItems(*window->categoryTree),
              (std::vector<std::string>{"0 节目菜单 4/4 0 b", "0 A 0/1 2 be", "1 a 3/3 0 ",
                                        "1 b 3/3 0 ", "0 B 0/1 3 b", "0 更多影片 2/2 0 b"}));
    EXPECT_EQ(sounds, 1);
}

}  // namespace
}  // namespace lxtv::test
