#include "chrome/skin_layout.h"

#include "chrome/main_window.h"
#include "toolkit/animation_strip.h"
#include "toolkit/frame_panel.h"
#include "toolkit/geometry.h"
#include "toolkit/list_view.h"
#include "toolkit/picture_button.h"
#include "toolkit/picture_panel.h"
#include "toolkit/strip_template.h"
#include "toolkit/tree_view.h"
#include "toolkit/web_view.h"

namespace lxtv::chrome {

void layoutSkin() {
    if (!hasMainWindow()) return;
    using namespace toolkit;
    MainWindow& m = mainWindow();
    if (!m.titleStrip) return;  // the controls do not exist yet

    // Every value is read when its step runs, so a step sees the steps before it. Steps 4 and 5
    // read middleBar's width before step 12 sets it: the search box follows a width change one
    // run late, as it always has.
    const auto W = [&m] { return double(width(&m)); };
    const auto H = [&m] { return double(height(&m)); };

    setLeft(m.topRightBorder, W() - width(m.topRightBorder));                                  // 1
    setLeft(m.middleRightBorder, W() - width(m.middleRightBorder));                            // 2
    setLeft(m.bottomRightBorder, W() - width(m.bottomRightBorder));                            // 3
    setLeft(m.searchButton, double(width(m.middleBar)) - width(m.searchButton) - 10);          // 4
    setLeft(m.searchFrame, double(left(m.searchButton)) - width(m.searchFrame) - 5);           // 5
    setTop(m.bottomLeftBorder, H() - height(m.bottomLeftBorder));                              // 6
    setTop(m.bottomBar, H() - height(m.bottomBar));                                            // 7
    setTop(m.bottomRightBorder, H() - height(m.bottomRightBorder));                            // 8
    setWidth(m.titleStrip, double(left(m.topRightBorder)) - left(m.titleStrip));               // 9
    setWidth(m.bottomBar, double(left(m.bottomRightBorder)) - left(m.bottomBar));              // 10
    setWidth(m.categoryTree, double(left(m.categoryDivider)) - left(m.categoryTree));          // 11
    setWidth(m.middleBar, double(left(m.middleRightBorder)) - left(m.middleBar) + 2);          // 12
    setWidth(m.movieList, double(width(m.middleBar)));                                         // 13
    setWidth(m.browserFrame, double(width(m.middleBar)));                                      // 14
    setWidth(m.browserView, double(width(m.browserFrame)) + 2);                                // 15
    setHeight(m.middleLeftBorder, double(top(m.bottomLeftBorder)) - top(m.middleLeftBorder));  // 16
    setHeight(m.middleRightBorder,
              double(top(m.bottomRightBorder)) - top(m.middleRightBorder));                    // 17
    setHeight(m.categoryDivider, double(top(m.bottomBar)) - top(m.categoryDivider));           // 18
    setHeight(m.categoryTree, double(top(m.bottomBar)) - top(m.categoryTree));                 // 19
    setHeight(m.movieList, double(top(m.bottomBar)) - top(m.movieList));                       // 20
    setHeight(m.browserFrame, double(top(m.bottomBar)) - top(m.browserFrame));                 // 21
    setHeight(m.browserView, double(height(m.browserFrame)) + 2);                              // 22
    m.titleStrip->moveObject(1, double(width(m.titleStrip)) - 22, top(m.windowButtonAnchor));  // 23
    m.titleStrip->moveObject(2, double(width(m.titleStrip)) - 44, top(m.windowButtonAnchor));  // 24
    m.titleStrip->moveObject(3, double(width(m.titleStrip)) - 66, top(m.windowButtonAnchor));  // 25
}

void onMainWindowMoved() {
    layoutSkin();
}
void onMainWindowResized() {
    layoutSkin();
}

}  // namespace lxtv::chrome
