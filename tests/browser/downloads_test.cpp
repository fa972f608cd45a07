// Downloads from the real window's browser view: the save dialog proposes the Downloads folder
// and the server's name; a chosen path receives the file served and a message says so; a
// dialog cancelled downloads nothing.

#include "browser/downloads.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>
#include <optional>
#include <vector>

#include "chrome/main_window.h"
#include "platform/ansi.h"
#include "platform/dialogs.h"
#include "platform/message_box.h"
#include "state/app_state.h"
#include "support/demo_site_process.h"
#include "support/local_site.h"
#include "support/test_support.h"
#include "toolkit/download_bar.h"
#include "toolkit/web_view.h"

namespace lxtv::test {
namespace {

struct DownloadTest : ::testing::Test {
    DownloadTest() {
        state::initAppState();
        window.load();
        QObject::connect(toolkit::WebView::sharedProfile(), &QWebEngineProfile::downloadRequested,
                         window.downloadBar, &browser::onDownloadRequested);
        QObject::connect(window.downloadBar, &toolkit::DownloadBar::ended, window.downloadBar,
                         &browser::onDownloadEnded);
    }
    ~DownloadTest() override { state::resetAppState(); }

    LocalSite site;
    TempDir folder;
    chrome::MainWindow window;
    std::vector<QString> proposed;
    std::vector<platform::MessageBoxCall> messages;
    platform::Replacement boxes = platform::messageBoxShower.replaceWith(
        [this](const platform::MessageBoxCall& call) { messages.push_back(call); });
};

TEST_F(DownloadTest, SavedWhereTheViewerChose) {
    const QString target = QString::fromStdString(folder.file("saved.bin"));
    const auto asker = platform::savePathAsker.replaceWith([&](const QString& p) {
        proposed.push_back(p);
        return std::optional<QString>(target);
    });
    window.browserView->setAddress(site.baseBytes() + "/files/lxtv-1.0.1.bin");
    ASSERT_TRUE(waitUntil([&] { return !messages.empty(); }));

    ASSERT_EQ(proposed.size(), 1u);
    QString downloads = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    if (!QDir(downloads).exists()) downloads = QDir::homePath();
    EXPECT_EQ(proposed[0], QDir(downloads).filePath("lxtv-1.0.1.bin"));

    QFile saved(target);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), LocalSite::fileBytes());
    EXPECT_FALSE(QFile::exists(browser::partialPathOf(target)));
    EXPECT_EQ(messages[0].caption, platform::fromUtf8("LXTV：温馨提示"));
    EXPECT_NE(platform::toQString(messages[0].text).indexOf(QStringLiteral("saved.bin")), -1);
    EXPECT_TRUE(waitUntil([&] { return window.downloadBar->isHidden(); }));
}

TEST_F(DownloadTest, CancelledDialogDownloadsNothing) {
    const auto asker = platform::savePathAsker.replaceWith([&](const QString& p) {
        proposed.push_back(p);
        return std::optional<QString>();
    });
    window.browserView->setAddress(site.baseBytes() + "/files/other.bin");
    ASSERT_TRUE(waitUntil([&] { return !proposed.empty(); }));
    waitUntil([] { return false; }, 500);
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(folderEntries(folder.path()).empty());
    EXPECT_TRUE(window.downloadBar->isHidden());
}

// The bar's line: a percentage when the size is known, megabytes when it is not.
TEST(DownloadBar, ProgressText) {
    using toolkit::DownloadBar;
    EXPECT_EQ(DownloadBar::progressText("a.zip", 0, 200), QStringLiteral("a.zip  0%"));
    EXPECT_EQ(DownloadBar::progressText("a.zip", 99, 200), QStringLiteral("a.zip  49%"));
    EXPECT_EQ(DownloadBar::progressText("a.zip", 300, 200), QStringLiteral("a.zip  100%"));
    EXPECT_EQ(DownloadBar::progressText("a.zip", 1572864, -1), QStringLiteral("a.zip  1.5 MB"));
    EXPECT_EQ(DownloadBar::progressText("a.zip", 0, 0), QStringLiteral("a.zip  0.0 MB"));
}

}  // namespace
}  // namespace lxtv::test
