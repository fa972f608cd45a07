// The catalogue's fetch into its local copy and the data sync, against the demo site.

#include <gtest/gtest.h>

#include <QCursor>
#include <QGuiApplication>
#include <QMetaObject>
#include <QTimer>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "catalogue/catalogue_file.h"
#include "catalogue/data_sync.h"
#include "catalogue/fetch.h"
#include "platform/ansi.h"
#include "platform/message_box.h"
#include "platform/profile.h"
#include "support/demo_site_process.h"
#include "support/test_support.h"

namespace lxtv::catalogue {
namespace {

using test::folderEntries;
using test::readFile;
using test::TempDir;
using test::writeFile;

const std::string oldCopy = "[old]\r\nkept=1|http://example.invalid/old.html\r\n";

struct FetchTest : test::DemoSiteTest {
    // fetchCatalogue downloads from `siteBase` into `localPath` while the result lives.
    static auto source(const std::string& siteBase, const std::string& localPath) {
        return catalogueSource.replaceWith([=] {
            return CatalogueSource{siteBase + "/LXTV.ini", localPath};
        });
    }
    const platform::Replacement shortWaits = platform::downloadLimits.replaceWith([] {
        return platform::DownloadLimits{3, 2};
    });
};

// A failed fetch leaves the previous copy byte for byte, and no stray file beside it: also when
// the server sends without end or trickles.
TEST_F(FetchTest, FailedFetchKeepsThePreviousCopy) {
    const struct {
        const char* fault;
        bool refused;
        const char* reason;
    } cases[] = {{"status", false, "HTTP 404"},
                 {"truncate", false, "transfer: Transferred a partial file"},
                 {"stall", false, "abandoned: fewer than 1024 bytes in 2 s"},
                 {"trickle", false, "abandoned: fewer than 1024 bytes in 2 s"},
                 {"endless", false, "abandoned: body over 67108864 bytes"},
                 {"none", true, "transfer: Couldn't connect to server"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.refused ? "connection refused" : c.fault);
        TempDir dir;
        const std::string local = dir.file("LXTV.ini");
        writeFile(local, oldCopy);
        setFault(c.fault);
        const auto from = source(
            c.refused ? "http://127.0.0.1:" + std::to_string(test::closedPort()) : site->base(),
            local);
        const Fetch fetch = fetchCatalogue();
        EXPECT_FALSE(fetch.stored);
        EXPECT_EQ(platform::describe(fetch.download), c.reason);
        EXPECT_EQ(readFile(local), oldCopy);
        EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"LXTV.ini"});
    }
}

// A complete answer replaces the copy, an empty one included; a missing copy is created.
TEST_F(FetchTest, CompleteFetchReplacesTheCopy) {
    const std::string catalogue = siteCatalogue();
    for (const char* fault : {"none", "nolength", "empty", "large"}) {
        SCOPED_TRACE(fault);
        TempDir dir;
        const std::string local = dir.file("LXTV.ini");
        writeFile(local, oldCopy);
        setFault(fault);
        const auto from = source(site->base(), local);
        EXPECT_TRUE(fetchCatalogue().stored);
        const std::string stored = readFile(local);
        if (std::string(fault) == "empty")
            EXPECT_TRUE(stored.empty());
        else if (std::string(fault) == "large")
            EXPECT_GT(stored.size(), 9'000'000u);
        else
            EXPECT_EQ(stored, catalogue);
        EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"LXTV.ini"});
    }

    TempDir dir;
    setFault("none");
    {
        const auto from = source(site->base(), dir.file("LXTV.ini"));
        EXPECT_TRUE(fetchCatalogue().stored);
        EXPECT_EQ(readFile(dir.file("LXTV.ini")), catalogue);
    }

    // A complete download that cannot be stored says why; the copy stays.
    writeFile(dir.file("LXTV.ini"), oldCopy);
    const auto into = source(site->base(), dir.file("LXTV.ini/inside"));
    const Fetch fetch = fetchCatalogue();
    EXPECT_FALSE(fetch.stored);
    EXPECT_TRUE(fetch.download.complete);
    EXPECT_FALSE(fetch.writeError.empty());
    EXPECT_EQ(readFile(dir.file("LXTV.ini")), oldCopy);
}

// A stored copy is parsed before the fetch returns, so the first channel picked after a data
// sync does not parse it on the window thread; a kept copy is left as it was parsed.
TEST_F(FetchTest, StoredCopyIsParsedAhead) {
    TempDir dir;
    const std::string local = dir.file("LXTV.ini");
    writeFile(local, oldCopy);
    EXPECT_EQ(listCatalogueSections(local), std::vector<std::string>{"old"});
    const auto from = source(site->base(), local);

    setFault("status");
    EXPECT_FALSE(fetchCatalogue().stored);
    auto parses = platform::profileParseCount();
    EXPECT_EQ(readCatalogueValue(local, "old", "kept"), "1|http://example.invalid/old.html");
    EXPECT_EQ(platform::profileParseCount(), parses);

    setFault("none");
    EXPECT_TRUE(fetchCatalogue().stored);
    parses = platform::profileParseCount();
    const std::vector<std::string> sections = listCatalogueSections(local);
    ASSERT_FALSE(sections.empty());
    EXPECT_NE(sections.front(), "old");
    EXPECT_EQ(readCatalogueValue(local, "old", "kept"), "");
    EXPECT_EQ(platform::profileParseCount(), parses);
}

// The data sync tells the viewer whether the new catalogue was stored.
TEST_F(FetchTest, DataSyncReportsTheOutcome) {
    std::vector<platform::MessageBoxCall> shown;
    const auto boxes = platform::messageBoxShower.replaceWith(
        [&shown](const platform::MessageBoxCall& call) { shown.push_back(call); });
    const std::string caption = platform::fromUtf8("LXTV：温馨提示");

    TempDir dir;
    const std::string local = dir.file("LXTV.ini");
    writeFile(local, oldCopy);
    const auto from = source(site->base(), local);

    // The texts as the viewer's code page holds them, byte for byte.
    EXPECT_EQ(caption, "LXTV\xA3\xBA\xCE\xC2\xDC\xB0\xCC\xE1\xCA\xBE");

    setFault("status");
    onDataSyncClicked();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, platform::fromUtf8("数据同步失败，已保留原有节目数据。"));
    EXPECT_EQ(shown[0].caption, caption);
    EXPECT_EQ(shown[0].icon, platform::MessageIcon::warning);
    EXPECT_EQ(readFile(local), oldCopy);

    setFault("none");
    onDataSyncClicked();
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_EQ(shown[1].text, "\xCA\xFD\xBE\xDD\xCD\xAC\xB2\xBD\xB3\xC9\xB9\xA6\xA3\xA1");
    EXPECT_EQ(shown[1].caption, caption);
    EXPECT_EQ(shown[1].icon, platform::MessageIcon::information);
    EXPECT_EQ(readFile(local), siteCatalogue());
}

// While the sync waits for a slow site the window thread keeps turning: its timers run, a call
// another thread hands it (as the tree builder does) is carried out, and the busy cursor shows.
// The message comes after the download, and the cursor is back to normal with it.
TEST_F(FetchTest, DataSyncKeepsTheWindowThreadTurning) {
    TempDir dir;
    const std::string local = dir.file("LXTV.ini");
    writeFile(local, oldCopy);
    const auto from = source(site->base(), local);
    std::atomic<bool> syncing{false};
    std::vector<bool> cursorAtMessage;
    const auto boxes = platform::messageBoxShower.replaceWith([&](const platform::MessageBoxCall&) {
        syncing = false;
        cursorAtMessage.push_back(QGuiApplication::overrideCursor() != nullptr);
    });

    int ticks = 0;
    bool busyCursor = false;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        if (!syncing) return;
        ++ticks;
        const QCursor* cursor = QGuiApplication::overrideCursor();
        busyCursor = cursor != nullptr && cursor->shape() == Qt::WaitCursor;
    });
    timer.start(20);
    std::atomic<bool> handedDuringSync{false};
    std::atomic<bool> stop{false};
    std::thread builder([&] {
        while (!syncing && !stop) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        if (stop) return;
        QMetaObject::invokeMethod(
            qApp, [&] { handedDuringSync = syncing.load(); }, Qt::BlockingQueuedConnection);
    });

    setFault("stall");  // 16 bytes, then nothing until the slow-transfer rule gives up
    syncing = true;
    onDataSyncClicked();
    stop = true;
    syncing = false;
    QCoreApplication::processEvents();
    builder.join();
    EXPECT_GT(ticks, 5);
    EXPECT_TRUE(busyCursor);
    EXPECT_TRUE(handedDuringSync);
    EXPECT_EQ(cursorAtMessage, std::vector<bool>{false});
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(readFile(local), oldCopy);
}

}  // namespace
}  // namespace lxtv::catalogue
