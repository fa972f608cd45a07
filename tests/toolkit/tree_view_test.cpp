// The tree view widget: pre-order indexes, the add rules, bulk adds, and what raises
// selectionChanged with which cause.

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTreeView>
#include <algorithm>
#include <functional>
#include <random>

#include "support/event_helpers.h"
#include "support/tree_fixture.h"
#include "toolkit/tree_memory.h"
#include "toolkit/tree_view.h"

namespace lxtv::test {
namespace {

using toolkit::TreeView;

// The widget and the in-memory tree take the same random operations, appends into earlier
// branches and bad parent indexes included, and must agree on every read.
TEST(TreeView, IndexesMatchThePreOrderWalk) {
    TreeView view(nullptr);
    toolkit::MemoryTree memory;
    std::mt19937 random(7);
    for (int round = 0; round < 3; ++round) {
        view.clearItems();
        memory.clearItems();
        const bool bulk = round == 1;
        if (bulk) view.beginBulk();
        for (int step = 0; step < 300; ++step) {
            const int count = memory.itemCount();
            int parent;
            switch (random() % 6) {
                case 0:
                    parent = -1;
                    break;
                case 1:
                    parent = -7;
                    break;
                case 2:
                    parent = count;
                    break;  // names no item
                case 3:
                    parent = count + 40;
                    break;  // names no item
                default:
                    parent = count == 0 ? 0 : static_cast<int>(random() % count);
                    break;
            }
            const std::string text = "item" + std::to_string(step);
            const int image = static_cast<int>(random() % 7) - 2;
            const int selected = static_cast<int>(random() % 7) - 2;
            const bool bold = random() % 2 == 0;
            const int expected = memory.addItem(parent, text, image, selected, step, bold);
            ASSERT_EQ(view.addItem(parent, text, image, selected, step, bold), expected);
            if (random() % 10 == 0) {
                const int e = static_cast<int>(random() % (count + 3)) - 1;
                memory.expandItem(e);
                view.expandItem(e);
            }
            if (bulk && step % 50 == 49) {
                view.endBulk();
                view.beginBulk();
            }
        }
        if (bulk) view.endBulk();
        ASSERT_EQ(describeItems(view), describeItems(memory)) << "round " << round;
        for (int i = -2; i <= memory.itemCount() + 1; ++i) {
            EXPECT_EQ(view.parentIndex(i), memory.parentIndex(i)) << i;
            EXPECT_EQ(view.itemText(i), memory.itemText(i)) << i;
            EXPECT_EQ(view.itemValue(i), memory.itemValue(i)) << i;
            EXPECT_EQ(view.selectedImageOf(i), memory.selectedImageOf(i)) << i;
        }
    }
}

// What the Qt view is shown: the items as rows under their parents, in pre-order, as "depth
// text" lines.
std::vector<std::string> shownRows(const QAbstractItemModel& model) {
    std::vector<std::string> rows;
    const std::function<void(const QModelIndex&, int)> walk = [&](const QModelIndex& parent,
                                                                  int depth) {
        for (int row = 0; row < model.rowCount(parent); ++row) {
            const QModelIndex index = model.index(row, 0, parent);
            EXPECT_EQ(model.parent(index), parent) << row;
            EXPECT_EQ(model.hasChildren(index), model.rowCount(index) > 0) << row;
            rows.push_back(std::to_string(depth) + " " +
                           model.data(index, Qt::DisplayRole).toString().toStdString());
            walk(index, depth + 1);
        }
    };
    walk(QModelIndex(), 0);
    return rows;
}

std::vector<std::string> memoryRows(const toolkit::MemoryTree& memory) {
    std::vector<std::string> rows;
    for (int i = 0; i < memory.itemCount(); ++i) {
        int depth = 0;
        for (int p = memory.parentIndex(i); p >= 0; p = memory.parentIndex(p)) ++depth;
        rows.push_back(std::to_string(depth) + " " +
                       platform::toQString(memory.itemText(i)).toStdString());
    }
    return rows;
}

// Random runs of adds (into earlier branches too), expansions, clears and publishes at random
// moments: once published, the view is shown exactly the in-memory tree, every text converted,
// and reads by index agree throughout.
TEST(TreeView, TheViewIsShownThePreOrderTree) {
    TreeView view(nullptr);
    view.resize(200, 300);
    view.show();
    const auto* model = view.findChild<QTreeView*>()->model();
    toolkit::MemoryTree memory;
    std::mt19937 random(12);
    const std::string names[] = {"", "a", gbk("频道"), gbk("中央一台"), "x y", "\xB0"};
    view.beginBulk();
    for (int step = 0; step < 3000; ++step) {
        const int count = memory.itemCount();
        const int roll = static_cast<int>(random() % 100);
        if (roll == 0) {
            memory.clearItems();
            view.clearItems();
        } else if (roll < 8) {
            const int e = static_cast<int>(random() % (count + 2)) - 1;
            memory.expandItem(e);
            view.expandItem(e);
        } else if (roll < 12) {
            view.endBulk();
            ASSERT_EQ(shownRows(*model), memoryRows(memory)) << "step " << step;
            view.beginBulk();
        } else {
            // Mostly the newest items as parents, so the tree grows deep as well as wide.
            int parent = -1;
            if (count > 0 && roll < 80)
                parent = count - 1 - static_cast<int>(random() % std::min(count, 8));
            else if (count > 0 && roll < 90)
                parent = static_cast<int>(random() % count);
            else if (roll < 95)
                parent = count + static_cast<int>(random() % 3);
            const std::string text = names[random() % std::size(names)] + std::to_string(step);
            ASSERT_EQ(view.addItem(parent, text, 3, 3, step, false),
                      memory.addItem(parent, text, 3, 3, step, false));
        }
        const int probe = static_cast<int>(random() % (memory.itemCount() + 2)) - 1;
        ASSERT_EQ(view.parentIndex(probe), memory.parentIndex(probe)) << step;
        ASSERT_EQ(view.itemText(probe), memory.itemText(probe)) << step;
    }
    view.endBulk();
    QApplication::processEvents();
    EXPECT_EQ(shownRows(*model), memoryRows(memory));
    EXPECT_EQ(describeItems(view), describeItems(memory));
}

// Children added to a collapsed item, and to items added before it, still count in the walk.
TEST(TreeView, AppendIntoEarlierCollapsedBranch) {
    TreeView view(nullptr);
    EXPECT_EQ(view.addItem(0, "A", 0, 1, 1, true), 0);  // empty tree: 0 names no item
    EXPECT_EQ(view.addItem(-1, "B", 0, 1, 2, true), 1);
    EXPECT_EQ(view.addItem(0, "a1", 3, 3, 0, false), 1);  // B moves to 2
    EXPECT_EQ(view.addItem(1, "a1x", 3, 3, 0, false), 2);
    EXPECT_EQ(view.addItem(0, "a2", QStringLiteral("a2"), 3, 3, 0, false), 3);  // text converted
    EXPECT_EQ(view.addItem(view.itemCount(), "C", 2, 2, 0, true), 5);
    EXPECT_EQ(describeItems(view),
              (std::vector<std::string>{"0 A 0/1 1 b", "1 a1 3/3 0 ", "2 a1x 3/3 0 ", "1 a2 3/3 0 ",
                                        "0 B 0/1 2 b", "0 C 2/2 0 b"}));
    EXPECT_FALSE(view.isItemExpanded(0));
    view.expandItem(0);
    EXPECT_TRUE(view.isItemExpanded(0));
    view.clearItems();
    EXPECT_EQ(view.itemCount(), 0);
    EXPECT_EQ(view.selectedIndex(), -1);
}

// An index that names no item reads as the absence of one, in the widget and in the mirror.
TEST(TreeView, IndexesThatNameNoItem) {
    TreeView view(nullptr);
    toolkit::MemoryTree memory;
    for (toolkit::TreeOperations* tree : {static_cast<toolkit::TreeOperations*>(&view),
                                          static_cast<toolkit::TreeOperations*>(&memory)}) {
        const int a = tree->addItem(-1, "A", 0, 1, 7, true);
        tree->addItem(a, "a", 3, 3, 0, false);
        for (const int bad : {-1, -2, 2, 3, 1000}) {
            EXPECT_EQ(tree->parentIndex(bad), -1) << bad;
            EXPECT_EQ(tree->itemText(bad), "") << bad;
            EXPECT_EQ(tree->itemValue(bad), 0) << bad;
            EXPECT_EQ(tree->selectedImageOf(bad), -1) << bad;
            tree->expandItem(bad);
        }
        EXPECT_EQ(tree->itemCount(), 2);
        EXPECT_EQ(tree->parentIndex(1), 0);
        EXPECT_EQ(tree->parentIndex(0), -1);
        EXPECT_EQ(tree->selectedIndex(), -1);
    }
    EXPECT_FALSE(view.isItemExpanded(0));
}

TEST(TreeView, ImageRaisingRules) {
    struct Case {
        int image, selected, wantImage, wantSelected;
    } cases[] = {{-1, -1, 0, 0}, {-5, 2, 0, 2}, {3, -1, 3, 3},
                 {2, 0, 2, 0},   {4, 1, 4, 1},  {9, -2, 9, 9}};
    TreeView view(nullptr);
    for (const Case& c : cases) {
        const int i = view.addItem(-1, "x", c.image, c.selected, 0, false);
        EXPECT_EQ(view.imageOf(i), c.wantImage) << c.image << " " << c.selected;
        EXPECT_EQ(view.selectedImageOf(i), c.wantSelected) << c.image << " " << c.selected;
    }
}

struct ShownTree : ::testing::Test {
    TreeView view{nullptr};
    std::vector<int> causes;

    void SetUp() override {
        view.resize(200, 300);
        view.addItem(-1, "header", 4, 4, 0, true);
        const int a = view.addItem(-1, "A", 0, 1, 1, true);
        view.addItem(a, "a1", 3, 3, 0, false);
        view.addItem(a, "a2", 3, 3, 0, false);
        view.expandItem(a);
        view.addItem(-1, "more", 2, 2, 0, true);
        view.show();
        QApplication::processEvents();
        QObject::connect(&view, &TreeView::selectionChanged, [this](toolkit::SelectionCause cause) {
            causes.push_back(static_cast<int>(cause));
        });
    }

    void press(int index, Qt::MouseButton button, QPoint offset = {5, 0}) {
        const QRect r = view.itemRect(index);
        ASSERT_FALSE(r.isEmpty()) << index;
        const QPoint at =
            view.viewport()->mapFrom(&view, QPoint(r.left() + offset.x(), r.center().y()));
        clickMouse(view.viewport(), at, button);
    }

    // A second press at the same place: the press, release, double click, release sequence.
    void doubleClick(int index, Qt::MouseButton button, QPoint offset = {5, 0}) {
        press(index, button, offset);
        const QRect r = view.itemRect(index);
        const QPoint at =
            view.viewport()->mapFrom(&view, QPoint(r.left() + offset.x(), r.center().y()));
        sendMouse(view.viewport(), QEvent::MouseButtonDblClick, at, button, button);
        sendMouse(view.viewport(), QEvent::MouseButtonRelease, at, button, Qt::NoButton);
    }

    void key(Qt::Key k) {
        QKeyEvent down(QEvent::KeyPress, k, Qt::NoModifier);
        QApplication::sendEvent(view.focusProxy(), &down);
    }
};

TEST_F(ShownTree, CausesOfSelectionChanges) {
    EXPECT_EQ(view.selectedIndex(), -1);  // nothing selected at start

    press(2, Qt::LeftButton);
    EXPECT_EQ(view.selectedIndex(), 2);
    press(2, Qt::LeftButton);  // the selected item again: no event
    EXPECT_EQ(causes, (std::vector<int>{0}));

    key(Qt::Key_Down);
    EXPECT_EQ(view.selectedIndex(), 3);
    key(Qt::Key_Up);
    EXPECT_EQ(view.selectedIndex(), 2);

    press(0, Qt::RightButton);
    EXPECT_EQ(view.selectedIndex(), 0);

    view.setSelectedIndex(4);
    EXPECT_EQ(view.selectedIndex(), 4);
    view.setSelectedIndex(4);
    EXPECT_EQ(causes, (std::vector<int>{0, 1, 1, 2, 2}));

    // Esc is left to the window, which closes on it.
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(view.focusProxy(), &escape);
    EXPECT_FALSE(escape.isAccepted());
}

TEST_F(ShownTree, PressesOffTheLabelChangeNothing) {
    view.setSelectedIndex(1);
    causes.clear();
    // Far right of the row, past the label.
    press(3, Qt::LeftButton, {view.width() - view.itemRect(3).left() - 3, 0});
    press(3, Qt::RightButton, {view.width() - view.itemRect(3).left() - 3, 0});
    // Below the last item.
    const QPoint empty(10, view.viewport()->height() - 3);
    sendMouse(view.viewport(), QEvent::MouseButtonPress, empty, Qt::LeftButton, Qt::LeftButton,
              Qt::ControlModifier);
    EXPECT_EQ(view.selectedIndex(), 1);
    EXPECT_TRUE(causes.empty());
}

// Only the left button selects with the mouse and opens or closes a branch, and only on an
// item's icon or label; the right button selects (cause 2) and nothing more.
TEST_F(ShownTree, ButtonsAndDoubleClicks) {
    view.setSelectedIndex(0);
    causes.clear();
    press(2, Qt::MiddleButton);
    doubleClick(2, Qt::MiddleButton);
    EXPECT_EQ(view.selectedIndex(), 0);
    EXPECT_TRUE(causes.empty());

    // Past the category's label a double click neither selects nor closes it.
    const int pastLabel = view.width() - view.itemRect(1).left() - 3;
    doubleClick(1, Qt::LeftButton, {pastLabel, 0});
    EXPECT_EQ(view.selectedIndex(), 0);
    EXPECT_TRUE(view.isItemExpanded(1));

    doubleClick(1, Qt::RightButton);
    EXPECT_EQ(view.selectedIndex(), 1);
    EXPECT_TRUE(view.isItemExpanded(1));
    EXPECT_EQ(causes, std::vector<int>{2});

    doubleClick(1, Qt::LeftButton);
    EXPECT_FALSE(view.isItemExpanded(1));
    doubleClick(1, Qt::LeftButton);
    EXPECT_TRUE(view.isItemExpanded(1));
    EXPECT_EQ(causes, std::vector<int>{2});  // it was selected already
}

// Items added in bulk are indexed at once and reach the view together.
TEST(TreeView, BulkAddsAreIndexedAtOnce) {
    TreeView view(nullptr);
    view.show();
    view.beginBulk();
    const int a = view.addItem(-1, "A", 0, 1, 1, true);
    EXPECT_EQ(view.addItem(a, "a", 3, 3, 0, false), 1);
    view.expandItem(a);
    EXPECT_EQ(view.itemCount(), 2);
    EXPECT_TRUE(view.itemRect(1).isEmpty());  // not on screen yet
    view.endBulk();
    QApplication::processEvents();
    EXPECT_TRUE(view.isItemExpanded(0));
    EXPECT_FALSE(view.itemRect(1).isEmpty());
}

}  // namespace
}  // namespace lxtv::test
