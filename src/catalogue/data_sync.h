#pragma once

namespace lxtv::catalogue {

// Handler of dataSyncButton: downloads the catalogue again and tells the viewer how it went.
void onDataSyncClicked();

}  // namespace lxtv::catalogue
