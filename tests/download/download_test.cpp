// The catalogue's download, its local copy and the data sync, against the demo site.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <vector>

#include "catalogue/data_sync.h"
#include "catalogue/download.h"
#include "demo_site_process.h"
#include "platform/ansi.h"
#include "platform/message_box.h"
#include "support/test_support.h"

namespace lxtv::catalogue {
namespace {

using test::readFile;
using test::TempDir;
using test::writeFile;

const std::string oldCopy = "[old]\r\nkept=1|http://example.invalid/old.html\r\n";

std::string siteCatalogue() {
    return readFile(LXTV_SOURCE_DIR "/tools/site/LXTV.ini");
}

std::vector<std::string> folderEntries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class DownloadTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        // Downloads honour the environment's proxy; the loopback site must be reached directly.
        setenv("no_proxy", "127.0.0.1,localhost", 1);
        setenv("NO_PROXY", "127.0.0.1,localhost", 1);
        site = new test::DemoSiteProcess();
    }
    static void TearDownTestSuite() {
        delete site;
        site = nullptr;
    }

    void SetUp() override {
        ASSERT_TRUE(site->running()) << "the demo site did not start: " LXTV_DEMO_SITE_BIN;
        setFault("none");
    }
    void TearDown() override {
        setFault("none");
        setDownloadTimeoutsForTesting(60, 60);
        setCatalogueSourceForTesting("", "");
    }

    static void setFault(const std::string& mode) {
        const Download d = downloadBody(site->base() + "/__fault/" + mode);
        ASSERT_TRUE(d.complete) << "cannot switch the fault mode to " << mode;
    }

    static test::DemoSiteProcess* site;
};

test::DemoSiteProcess* DownloadTest::site = nullptr;

// The request looks as the provider's site has always seen it.
TEST_F(DownloadTest, RequestHasTheClientsShape) {
    const std::string before = site->headerLog();
    const Download d = downloadBody(site->base() + "/LXTV.ini");
    ASSERT_TRUE(d.complete);

    const std::string block = site->headerLog().substr(before.size());
    std::istringstream lines(block);
    std::string line;
    std::getline(lines, line);
    EXPECT_EQ(line, "GET /LXTV.ini HTTP/1.0");
    std::vector<std::string> accepts, agents, pragmas, cacheControls;
    while (std::getline(lines, line) && !line.empty()) {
        const auto colon = line.find(':');
        std::string name = line.substr(0, colon);
        for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const std::string value = line.substr(colon + 2);
        if (name == "accept") accepts.push_back(value);
        if (name == "user-agent") agents.push_back(value);
        if (name == "pragma") pragmas.push_back(value);
        if (name == "cache-control") cacheControls.push_back(value);
    }
    EXPECT_EQ(accepts, std::vector<std::string>{"*/*"});
    EXPECT_EQ(agents,
              std::vector<std::string>{"Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)"});
    EXPECT_EQ(pragmas, std::vector<std::string>{"no-cache"});
    EXPECT_EQ(cacheControls, std::vector<std::string>{"no-cache"});

    const std::string log = site->requestLog();
    EXPECT_EQ(log.substr(log.size() - 14), "GET /LXTV.ini\n");
}

// Whole answers arrive whole, however the server ends them.
TEST_F(DownloadTest, CompleteAnswersArriveWhole) {
    struct Case {
        const char* fault;
        std::string expected;  // empty with `size` set: check the size only
        size_t size;
    };
    const std::string catalogue = siteCatalogue();
    ASSERT_FALSE(catalogue.empty());
    const Case cases[] = {
        {"none", catalogue, catalogue.size()},
        {"nolength", catalogue, catalogue.size()},  // body ended by closing the connection
        {"empty", "", 0},
        {"large", "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        setFault(c.fault);
        const Download d = downloadBody(site->base() + "/LXTV.ini");
        EXPECT_TRUE(d.complete);
        EXPECT_EQ(d.status, 200);
        if (std::string(c.fault) == "large") {
            // 10,000 categories of 20 channels after the config section.
            EXPECT_EQ(d.body.rfind("[config]\r\n", 0), 0u);
            size_t sections = 0, keys = 0;
            for (size_t p = 0; (p = d.body.find("\r\n", p)) != std::string::npos; p += 2) {
                if (d.body.compare(p + 2, 1, "[") == 0) ++sections;
                if (d.body.compare(p + 2, 2, "\xCC\xA8") == 0) ++keys;  // 台
            }
            EXPECT_EQ(sections, 10000u);
            EXPECT_EQ(keys, 200000u);
            EXPECT_EQ(d.body.substr(d.body.size() - 2), "\r\n");
        } else {
            EXPECT_EQ(d.body, c.expected);
        }
    }
}

// Every failed answer is reported as incomplete, with what did arrive.
TEST_F(DownloadTest, BrokenAnswersAreNotComplete) {
    setDownloadTimeoutsForTesting(3, 1);
    const std::string catalogue = siteCatalogue();

    setFault("status");
    Download d = downloadBody(site->base() + "/LXTV.ini");
    EXPECT_FALSE(d.complete);
    EXPECT_EQ(d.status, 404);
    EXPECT_NE(d.body.find("Not Found"), std::string::npos);

    setFault("truncate");
    d = downloadBody(site->base() + "/LXTV.ini");
    EXPECT_FALSE(d.complete);
    EXPECT_EQ(d.status, 200);
    EXPECT_EQ(d.body, catalogue.substr(0, catalogue.size() / 2));

    setFault("stall");
    const auto start = std::chrono::steady_clock::now();
    d = downloadBody(site->base() + "/LXTV.ini");
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_FALSE(d.complete);
    EXPECT_EQ(d.body, catalogue.substr(0, 16));
    EXPECT_LT(waited, std::chrono::seconds(10)) << "the no-data time-out did not end the wait";
    setFault("none");

    d = downloadBody("http://127.0.0.1:" + std::to_string(test::closedPort()) + "/LXTV.ini");
    EXPECT_FALSE(d.complete);
    EXPECT_EQ(d.status, 0);
    EXPECT_TRUE(d.body.empty());

    const std::string logBefore = site->requestLog();
    d = downloadBody("");
    EXPECT_FALSE(d.complete);
    EXPECT_TRUE(d.body.empty());
    EXPECT_EQ(site->requestLog(), logBefore) << "an empty address must send nothing";

    // Only the web's schemes: an address never reads a local file.
    d = downloadBody("file://" LXTV_SOURCE_DIR "/tools/site/LXTV.ini");
    EXPECT_FALSE(d.complete);
    EXPECT_TRUE(d.body.empty());
}

// A failed fetch leaves the previous copy byte for byte, and no stray file beside it.
TEST_F(DownloadTest, FailedFetchKeepsThePreviousCopy) {
    setDownloadTimeoutsForTesting(3, 1);
    const struct {
        const char* fault;
        bool refused;
    } cases[] = {{"status", false}, {"truncate", false}, {"stall", false}, {"none", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.refused ? "connection refused" : c.fault);
        TempDir dir;
        const std::string local = dir.file("LXTV.ini");
        writeFile(local, oldCopy);
        setFault(c.fault);
        setCatalogueSourceForTesting(
            c.refused ? "http://127.0.0.1:" + std::to_string(test::closedPort()) : site->base(),
            local);
        EXPECT_FALSE(fetchCatalogue());
        EXPECT_EQ(readFile(local), oldCopy);
        EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"LXTV.ini"});
    }
}

// A complete answer replaces the copy, an empty one included; a missing copy is created.
TEST_F(DownloadTest, CompleteFetchReplacesTheCopy) {
    const std::string catalogue = siteCatalogue();
    for (const char* fault : {"none", "nolength", "empty", "large"}) {
        SCOPED_TRACE(fault);
        TempDir dir;
        const std::string local = dir.file("LXTV.ini");
        writeFile(local, oldCopy);
        setFault(fault);
        setCatalogueSourceForTesting(site->base(), local);
        EXPECT_TRUE(fetchCatalogue());
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
    setCatalogueSourceForTesting(site->base(), dir.file("LXTV.ini"));
    EXPECT_TRUE(fetchCatalogue());
    EXPECT_EQ(readFile(dir.file("LXTV.ini")), catalogue);
}

// A write that cannot happen leaves the old content and no temporary file.
TEST(WriteFileBytes, FailuresKeepTheOldContent) {
    TempDir dir;
    const std::string target = dir.file("LXTV.ini");
    writeFile(target, oldCopy);
    writeFile(dir.file("plain-file"), "x");
    std::filesystem::create_directory(dir.path() / "folder-target");

    EXPECT_FALSE(writeFileBytes("", "new"));
    EXPECT_FALSE(writeFileBytes(dir.file("missing/LXTV.ini"), "new"));
    EXPECT_FALSE(writeFileBytes(dir.file("plain-file/LXTV.ini"), "new"));
    EXPECT_FALSE(writeFileBytes(dir.file("folder-target"), "new"));  // a folder is in the way
    EXPECT_FALSE(writeFileBytes(dir.file("LXTV.ini/"), "new"));
    EXPECT_EQ(readFile(target), oldCopy);
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "folder-target"));
    EXPECT_EQ(folderEntries(dir.path()),
              (std::vector<std::string>{"LXTV.ini", "folder-target", "plain-file"}));
    EXPECT_FALSE(writeFileBytes("/proc/LXTV.ini", "new"));  // a folder nobody can write in
}

TEST(WriteFileBytes, ReadOnlyFolderKeepsTheOldContent) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    TempDir dir;
    const std::string target = dir.file("LXTV.ini");
    writeFile(target, oldCopy);
    std::filesystem::permissions(
        dir.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    EXPECT_FALSE(writeFileBytes(target, "new"));
    std::filesystem::permissions(dir.path(), std::filesystem::perms::owner_all);
    EXPECT_EQ(readFile(target), oldCopy);
    EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"LXTV.ini"});
}

// A copy that cannot be opened for writing is left as it is, as a locked file always was.
TEST(WriteFileBytes, ReadOnlyCopyKeepsItsContent) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only files";
    TempDir dir;
    const std::string target = dir.file("LXTV.ini");
    writeFile(target, oldCopy);
    ASSERT_EQ(chmod(target.c_str(), 0444), 0);
    EXPECT_FALSE(writeFileBytes(target, "new"));
    EXPECT_EQ(readFile(target), oldCopy);
    EXPECT_EQ(folderEntries(dir.path()), std::vector<std::string>{"LXTV.ini"});
}

// Replacing keeps the old file's permissions (the temporary file starts private).
TEST(WriteFileBytes, ReplacementKeepsTheFileMode) {
    TempDir dir;
    const std::string target = dir.file("LXTV.ini");
    writeFile(target, oldCopy);
    ASSERT_EQ(chmod(target.c_str(), 0640), 0);
    const std::string bytes("a\0b\r\n", 5);
    EXPECT_TRUE(writeFileBytes(target, bytes));
    EXPECT_EQ(readFile(target), bytes);
    struct stat st {};
    ASSERT_EQ(stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);

    EXPECT_TRUE(writeFileBytes(dir.file("new.ini"), ""));
    ASSERT_EQ(stat(dir.file("new.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0644u);
    EXPECT_EQ(st.st_size, 0);
}

// The data sync tells the viewer whether the new catalogue was stored.
TEST_F(DownloadTest, DataSyncReportsTheOutcome) {
    std::vector<platform::MessageBoxCall> shown;
    platform::setMessageBoxShower(
        [&shown](const platform::MessageBoxCall& call) { shown.push_back(call); });
    const std::string caption = platform::fromUtf8("LXTV：温馨提示");

    TempDir dir;
    const std::string local = dir.file("LXTV.ini");
    writeFile(local, oldCopy);
    setCatalogueSourceForTesting(site->base(), local);

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

    platform::setMessageBoxShower(nullptr);
}

// The real box: the caption and text converted from the code page, its icon, one OK button, and
// the whole application kept waiting while it is open, with no owner window.
TEST(MessageBox, RealBoxShowsCaptionTextAndIcon) {
    platform::setMessageBoxShower(nullptr);
    struct Seen {
        bool found = false;
        QString title, text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        Qt::WindowModality modality = Qt::NonModal;
        bool owned = true;
        int buttons = 0;
    };
    for (const auto icon : {platform::MessageIcon::information, platform::MessageIcon::warning}) {
        Seen seen;
        QTimer poll;
        int tries = 0;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<QMessageBox*>(w);
                if (box == nullptr || !box->isVisible()) continue;
                seen = Seen{true,
                            box->windowTitle(),
                            box->text(),
                            box->icon(),
                            box->windowModality(),
                            box->parentWidget() != nullptr,
                            static_cast<int>(box->buttons().size())};
                box->button(QMessageBox::Ok)->click();
                return;
            }
            if (++tries > 500) QApplication::closeAllWindows();
        });
        poll.start(10);
        platform::showMessageBox(test::gbk("数据同步成功！"), test::gbk("LXTV：温馨提示"), icon);
        poll.stop();
        ASSERT_TRUE(seen.found);
        EXPECT_EQ(seen.title, QString::fromUtf8("LXTV：温馨提示"));
        EXPECT_EQ(seen.text, QString::fromUtf8("数据同步成功！"));
        EXPECT_EQ(seen.icon, icon == platform::MessageIcon::warning ? QMessageBox::Warning
                                                                    : QMessageBox::Information);
        EXPECT_EQ(seen.modality, Qt::ApplicationModal);
        EXPECT_FALSE(seen.owned);
        EXPECT_EQ(seen.buttons, 1);
    }
}

// The demo site's search page shows the keyword it received, and its log keeps the raw target.
TEST_F(DownloadTest, DemoSiteShowsTheReceivedKeyword) {
    const std::string target = "/search.asp?keyword=%D6%D0%CE%C4%20a&b";
    const Download d = downloadBody(site->base() + target);
    ASSERT_TRUE(d.complete);
    EXPECT_NE(d.body.find("<b id=\"keyword-gbk\">中文 a&amp;b</b>"), std::string::npos);
    EXPECT_NE(d.body.find("<code id=\"keyword-hex\">D6 D0 CE C4 20 61 26 62</code>"),
              std::string::npos);
    const std::string log = site->requestLog();
    EXPECT_NE(log.find("GET " + target + "\n"), std::string::npos);
}

}  // namespace
}  // namespace lxtv::catalogue
