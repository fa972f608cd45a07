#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/profile_fixture.h"
#include "support/test_support.h"

namespace lxtv {
namespace {

using test::lookup;

// An unchanged file is parsed once; a rewrite of the same size is noticed by its new time stamp,
// a file renamed over it by its new inode (even with the old time stamp), a removal at once.
TEST(ProfileCache, ParsesOnceAndNoticesChanges) {
    test::TempDir dir;
    const std::string file = dir.file("cache.ini");
    test::writeFile(file, "[s]\r\nk=one\r\n");
    const auto stamp = std::filesystem::last_write_time(file);

    EXPECT_EQ(lookup(file, "s", "k"), "one");
    const auto parsed = platform::profileParseCount();
    for (int i = 0; i < 100; ++i) ASSERT_EQ(lookup(file, "s", "k"), "one");
    EXPECT_EQ(platform::profileParseCount(), parsed);

    test::writeFile(file, "[s]\r\nk=two\r\n");
    std::filesystem::last_write_time(file, stamp + std::chrono::seconds(1));
    EXPECT_EQ(lookup(file, "s", "k"), "two");
    EXPECT_EQ(platform::profileParseCount(), parsed + 1);

    const std::string next = dir.file("next.ini");
    test::writeFile(next, "[s]\r\nk=six\r\n");
    std::filesystem::last_write_time(next, stamp + std::chrono::seconds(1));
    std::filesystem::rename(next, file);
    EXPECT_EQ(lookup(file, "s", "k"), "six");

    std::filesystem::remove(file);
    EXPECT_EQ(lookup(file, "s", "k"), "D");
}

// Readers on two threads while the file is replaced again and again: every answer is one of the
// file's versions, never a mix or a crash.
TEST(ProfileCache, ConcurrentReadersWhileTheFileIsReplaced) {
    test::TempDir dir;
    const std::string file = dir.file("busy.ini");
    const std::string versions[2] = {"[s]\r\nk=aaaa\r\n[t]\r\nk=1\r\n",
                                     "[s]\r\nk=bbbbbbbb\r\n[t]\r\nk=2\r\n"};
    test::writeFile(file, versions[0]);

    std::atomic<bool> stop{false};
    std::atomic<int> bad{0};
    auto reader = [&] {
        std::string buffer(64, '\0');
        while (!stop.load()) {
            const std::size_t n =
                platform::getPrivateProfileString("s", "k", "", buffer.data(), buffer.size(), file);
            const std::string value(buffer.data(), n);
            if (value != "aaaa" && value != "bbbbbbbb") ++bad;
            char list[16];
            platform::getPrivateProfileSectionNames(list, sizeof list, file);
            if (std::string(list) != "s") ++bad;
        }
    };
    std::vector<std::thread> readers;
    for (int i = 0; i < 2; ++i) readers.emplace_back(reader);
    for (int i = 0; i < 300; ++i) {
        const std::string temp = dir.file("busy.tmp");
        test::writeFile(temp, versions[i % 2]);
        std::filesystem::rename(temp, file);
    }
    stop = true;
    for (auto& t : readers) t.join();
    EXPECT_EQ(bad.load(), 0);
}

// A catalogue-sized file (10,000 sections of 20 keys): every section and a spread of keys are
// found, the last key of the last section included.
TEST(ProfileCache, LargeFile) {
    test::TempDir dir;
    const std::string file = dir.file("large.ini");
    std::string text;
    text.reserve(7'000'000);
    for (int s = 0; s < 10'000; ++s) {
        text += "[Category " + std::to_string(s) + "]\r\n";
        for (int k = 0; k < 20; ++k)
            text += "Channel " + std::to_string(s) + "-" + std::to_string(k) +
                    "=1|http://127.0.0.1:8168/play/" + std::to_string(s * 20 + k) +
                    ".html?quality=high&session=0123456789\r\n";
    }
    test::writeFile(file, text);

    std::vector<char> list(300'000);
    const std::size_t n = platform::getPrivateProfileSectionNames(list.data(), list.size(), file);
    std::size_t names = 0;
    for (std::size_t i = 0; i < n; ++i) names += list[i] == '\0';
    EXPECT_EQ(names, 10'000u);

    for (int s = 0; s < 10'000; s += 997) {
        const int k = s % 20;
        EXPECT_EQ(lookup(file, "category " + std::to_string(s),
                         "CHANNEL " + std::to_string(s) + "-" + std::to_string(k)),
                  "1|http://127.0.0.1:8168/play/" + std::to_string(s * 20 + k) +
                      ".html?quality=high&session=0123456789");
    }
    EXPECT_EQ(lookup(file, "Category 9999", "Channel 9999-19").substr(0, 2), "1|");
    EXPECT_EQ(lookup(file, "Category 9999", "Channel 9999-20"), "D");
}

}  // namespace
}  // namespace lxtv
