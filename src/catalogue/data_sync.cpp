#include "catalogue/data_sync.h"

#include "catalogue/fetch.h"
#include "platform/ansi.h"
#include "platform/message_box.h"
#include "platform/window_wait.h"

namespace lxtv::catalogue {

void onDataSyncClicked() {
    static const std::string caption = platform::fromUtf8("LXTV：温馨提示");
    static const std::string stored = platform::fromUtf8("数据同步成功！");
    static const std::string kept = platform::fromUtf8("数据同步失败，已保留原有节目数据。");

    // The viewer can do nothing else until the download has ended, as always, but the window
    // keeps repainting and the tree builder's operations go on meanwhile; the download's limits
    // bound the wait. The tree is not rebuilt: channels picked from now on are looked up in the
    // new copy.
    Fetch fetch;
    platform::runWhileWindowWaits([&fetch] { fetch = fetchCatalogue(); });
    if (fetch.stored)
        platform::showMessageBox(stored, caption, platform::MessageIcon::information);
    else
        platform::showMessageBox(kept, caption, platform::MessageIcon::warning);
}

}  // namespace lxtv::catalogue
