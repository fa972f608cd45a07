// The icon theme walk behind the file-type icons, when the file system fails in the middle of a
// listing.

#include <dirent.h>
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QIcon>
#include <QImage>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>
#include <mutex>
#include <string>

#include "platform/file_types.h"
#include "support/test_support.h"

namespace {

// A listing of the folder named here fails with EIO after its first real entry, as a disk that
// goes away in the middle of it would. readdir below stands in for the C library's in this
// program (the standard library's folder iterator calls it too) and passes every other call on.
std::mutex failingMutex;
std::string failingFolder;
std::atomic<bool> failing{false};
int entriesGiven = 0;

std::string folderOf(DIR* dir) {
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", dirfd(dir));
    char target[PATH_MAX];
    const ssize_t n = readlink(link, target, sizeof target - 1);
    return n > 0 ? std::string(target, static_cast<std::size_t>(n)) : std::string();
}

struct FailingListing {
    explicit FailingListing(const std::string& folder) {
        std::lock_guard lock(failingMutex);
        failingFolder = folder;
        entriesGiven = 0;
        failing = true;
    }
    ~FailingListing() { failing = false; }
};

}  // namespace

extern "C" struct dirent* readdir(DIR* dir) {
    using Real = struct dirent* (*)(DIR*);
    static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "readdir"));
    if (failing && folderOf(dir) == failingFolder) {
        std::lock_guard lock(failingMutex);
        if (entriesGiven > 0) {
            errno = EIO;
            return nullptr;
        }
        struct dirent* entry = real(dir);
        if (entry && std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            ++entriesGiven;
        return entry;
    }
    return real(dir);
}

namespace lxtv::platform {
namespace {

// The walk ends with what it has seen instead of ending the program: here the first size
// folder listed already holds the icon, so it is found.
TEST(FileTypes, ThemeWalkSurvivesAFailingListing) {
    test::TempDir dir;
    const std::string theme = dir.file("icons/Failing");
    QImage icon(32, 32, QImage::Format_ARGB32);
    icon.fill(Qt::blue);
    for (const char* size : {"16x16", "24x24", "32x32", "48x48", "64x64"}) {
        const std::string folder = theme + "/" + size + "/mimetypes";
        std::filesystem::create_directories(folder);
        ASSERT_TRUE(icon.save(QString::fromStdString(folder + "/lxtv-walk-test.png")));
    }
    const QStringList paths = QIcon::themeSearchPaths();
    const QString name = QIcon::themeName();
    QIcon::setThemeSearchPaths({QString::fromStdString(dir.file("icons"))});
    QIcon::setThemeName("Failing");

    std::string found;
    {
        const FailingListing failure(theme);
        found = iconThemeFile("lxtv-walk-test");
        EXPECT_GT(entriesGiven, 0) << "the listing of the theme was never read";
    }
    QIcon::setThemeSearchPaths(paths);
    QIcon::setThemeName(name);
    EXPECT_TRUE(found.starts_with(theme + "/")) << found;
    EXPECT_TRUE(found.ends_with("/mimetypes/lxtv-walk-test.png")) << found;
}

}  // namespace
}  // namespace lxtv::platform
