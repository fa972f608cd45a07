#pragma once

#include <functional>
#include <string>

namespace lxtv::toolkit {
class TreeOperations;
class TreeView;
}  // namespace lxtv::toolkit

namespace lxtv::catalogue {

// Body of the worker thread that fills categoryTree from the local catalogue copy named by
// AppState::catalogueIniPath. Every tree and window operation takes effect on the window
// thread, in order; the window thread never waits for the builder.
void buildCatalogueTree();

// True while buildCatalogueTree runs on its thread (and may still hand the window operations).
bool treeBuilderRunning();

// The tree part of the build against any tree: clear, the header, one category per section
// other than "config" with its channels of kind 1 and 2, the more-films item. Returns true when
// the catalogue asks for the maximized window ("最大化" in "config" is exactly "0").
bool fillCatalogueTree(toolkit::TreeOperations& tree, const std::string& iniPath);

// The whole build into a tree view, from a worker thread: the tree operations are carried to
// the window thread, and `toggleWindow` runs once every item is shown, if the catalogue asks.
void buildCatalogueTreeInto(toolkit::TreeView* tree, const std::string& iniPath,
                            const std::function<void()>& toggleWindow);

}  // namespace lxtv::catalogue
