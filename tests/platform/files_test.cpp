// The one file the client writes, and the run directory beside which it lies.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QStandardPaths>
#include <filesystem>
#include <vector>

#include "platform/files.h"
#include "support/demo_site_process.h"
#include "support/test_support.h"

namespace lxtv::platform {
namespace {

using test::folderEntries;
using test::readFile;
using test::TempDir;
using test::writeFile;

const std::string oldCopy = "[old]\r\nkept=1|http://example.invalid/old.html\r\n";

TEST(RunDirectory, IsTheProgramsFolder) {
    const std::string dir = runDirectory();
    ASSERT_FALSE(dir.empty());
    EXPECT_NE(dir.back(), '/');
    EXPECT_EQ(dir.find("/tests"), dir.size() - 6) << dir;
}

// Where the catalogue copy goes: beside the program when files can be created there, else in
// the user's data folder (made when missing), else beside the program after all.
TEST(DataDirectory, ProgramFolderWhenWritableElseTheUsersDataFolder) {
    TempDir dir;
    const std::string writable = dir.file("bin");
    std::filesystem::create_directory(writable);
    // Root creates files in any folder of a local file system, so it gets one that takes no
    // files at all; everyone else gets a folder without write permission.
    std::string readOnly = "/proc";
    if (geteuid() != 0) {
        readOnly = dir.file("usr-bin");
        std::filesystem::create_directory(readOnly);
        ASSERT_EQ(chmod(readOnly.c_str(), 0555), 0);
    }
    writeFile(dir.file("plain-file"), "x");
    std::filesystem::create_directories(dir.path() / "existing" / "lxtv");
    writeFile(dir.file("existing/lxtv/LXTV.ini"), oldCopy);

    struct Row {
        const char* what;
        std::string program, userData, expected;
        bool userDataMade;
    };
    const std::string fresh = dir.file("home/.local/share/lxtv");
    const std::vector<Row> rows = {
        {"writable program folder", writable, fresh, writable, false},
        {"read-only program folder, data folder missing", readOnly, fresh, fresh, true},
        {"read-only, data folder there", readOnly, dir.file("existing/lxtv"),
         dir.file("existing/lxtv"), true},
        {"read-only, trailing slash", readOnly, dir.file("existing/lxtv/"),
         dir.file("existing/lxtv"), true},
        {"read-only, data folder cannot be made", readOnly, dir.file("plain-file/lxtv"), readOnly,
         false},
        {"read-only, no data folder known", readOnly, "", readOnly, false},
        {"program folder gone", dir.file("gone"), fresh, fresh, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        std::filesystem::remove_all(dir.path() / "home");
        EXPECT_EQ(chooseDataDirectory(row.program, row.userData), row.expected);
        EXPECT_EQ(std::filesystem::is_directory(fresh), row.userDataMade && row.userData == fresh);
    }
    // The check leaves nothing behind, and an old copy in the data folder is not touched.
    EXPECT_TRUE(folderEntries(writable).empty());
    EXPECT_EQ(readFile(dir.file("existing/lxtv/LXTV.ini")), oldCopy);
    if (readOnly != "/proc")
        std::filesystem::permissions(readOnly, std::filesystem::perms::owner_all);
}

// The decision is made once: every later call answers the same folder.
TEST(DataDirectory, IsDecidedOncePerRun) {
    const std::string& first = dataDirectory();
    EXPECT_EQ(&dataDirectory(), &first);
    const QString location = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    EXPECT_EQ(first,
              chooseDataDirectory(runDirectory(), QFile::encodeName(location).toStdString()));
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
    const WriteResult result = writeFileBytes(target, "new");
    EXPECT_FALSE(result);
    EXPECT_FALSE(result.error.empty());
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

    // A new file gets a plain file's mode.
    const mode_t mask = umask(0);
    umask(mask);
    EXPECT_TRUE(writeFileBytes(dir.file("new.ini"), ""));
    ASSERT_EQ(stat(dir.file("new.ini").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0666u & ~mask);
    EXPECT_EQ(st.st_size, 0);
}

}  // namespace
}  // namespace lxtv::platform
