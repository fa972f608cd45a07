#include "catalogue/data_sync.h"

#include "catalogue/fetch.h"
#include "platform/ansi.h"
#include "platform/message_box.h"

namespace lxtv::catalogue {

void onDataSyncClicked() {
    static const std::string caption = platform::fromUtf8("LXTV：温馨提示");
    static const std::string stored = platform::fromUtf8("数据同步成功！");
    static const std::string kept = platform::fromUtf8("数据同步失败，已保留原有节目数据。");

    // Blocks the window thread until the download ends, as the button always has; the
    // time-outs bound the wait. The tree is not rebuilt: channels picked from now on are
    // looked up in the new copy.
    if (fetchCatalogue().stored)
        platform::showMessageBox(stored, caption, platform::MessageIcon::information);
    else
        platform::showMessageBox(kept, caption, platform::MessageIcon::warning);
}

}  // namespace lxtv::catalogue
