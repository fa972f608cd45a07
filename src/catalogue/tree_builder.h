#pragma once

namespace lxtv::catalogue {

// Body of the worker thread that fills categoryTree from the local catalogue copy named by
// AppState::catalogueIniPath. Every tree and window operation takes effect on the window
// thread, in order; the window thread never waits for the builder.
void buildCatalogueTree();

}  // namespace lxtv::catalogue
