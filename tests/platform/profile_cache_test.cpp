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

// Reads that share their looks at the file answer exactly as the single calls do, list and
// buffer rules included.
TEST(SharedProfileReads, AnswerAsTheSingleCalls) {
    test::TempDir dir;
    const std::string file = dir.file("same.ini");
    test::writeFile(file, test::lines({"[Sec]", "Key=Value", " k2 = \"q\" ", "k3", "[sec]",
                                       "key=second", "[\x81\x41]", "k=trail", "[]", "k=empty"}));
    const std::string missing = dir.file("missing.ini");
    struct Call {
        const std::string* file;
        platform::ProfileArg section;
        platform::ProfileArg key;
        std::size_t size;
    };
    const Call calls[] = {
        {&file, std::nullopt, std::nullopt, 100},
        {&file, std::nullopt, std::nullopt, 6},
        {&file, "sec", std::nullopt, 100},
        {&file, "SEC", std::nullopt, 5},
        {&file, " sec ", "KEY", 100},
        {&file, "sec", "key", 4},
        {&file, "sec", "k2", 100},
        {&file, "sec", "k3", 100},
        {&file, "\x81\x61", "k", 100},
        {&file, "", "k", 100},
        {&file, "nosuch", "k", 100},
        {&missing, "sec", "key", 100},
        {&missing, std::nullopt, std::nullopt, 100},
    };
    platform::ProfileReads reads;
    for (const Call& c : calls) {
        std::string single(c.size + 1, '\x0C');
        std::string shared(c.size + 1, '\x0C');
        const std::size_t a = platform::getPrivateProfileString(c.section, c.key, "dflt ",
                                                                single.data(), c.size, *c.file);
        const std::size_t b = reads.getPrivateProfileString(c.section, c.key, "dflt ",
                                                            shared.data(), c.size, *c.file);
        const std::string what = std::string(c.section ? *c.section : "(sections)") + "/" +
                                 std::string(c.key ? *c.key : "(keys)") + " " +
                                 std::to_string(c.size);
        EXPECT_EQ(b, a) << what;
        EXPECT_EQ(shared, single) << what;
    }
    std::string single(50, '\x0C');
    std::string shared(50, '\x0C');
    EXPECT_EQ(reads.getPrivateProfileSectionNames(shared.data(), shared.size(), file),
              platform::getPrivateProfileSectionNames(single.data(), single.size(), file));
    EXPECT_EQ(shared, single);
}

// Shared reads look at the file again: once a millisecond has passed for any change, at once
// when the cache has taken in a new parse (a fresh copy parsed ahead); a removed file reads as
// missing. Many shared reads of an unchanged file parse it once.
TEST(SharedProfileReads, SeeTheFileReplaced) {
    test::TempDir dir;
    const std::string file = dir.file("shared.ini");
    const auto replace = [&](const std::string& text) {
        test::writeFile(dir.file("next.ini"), text);
        std::filesystem::rename(dir.file("next.ini"), file);
    };
    const auto value = [&](platform::ProfileReads& reads) {
        char buffer[16];
        const std::size_t n =
            reads.getPrivateProfileString("s", "k", "none", buffer, sizeof buffer, file);
        return std::string(buffer, n);
    };
    replace("[s]\r\nk=one\r\n");
    platform::ProfileReads reads;
    EXPECT_EQ(value(reads), "one");
    const auto parses = platform::profileParseCount();
    for (int i = 0; i < 1000; ++i) ASSERT_EQ(value(reads), "one");
    EXPECT_EQ(platform::profileParseCount(), parses);

    // Parsed ahead: the very next read sees it.
    replace("[s]\r\nk=two\r\n");
    platform::prepareProfile(file);
    EXPECT_EQ(platform::profileParseCount(), parses + 1);
    EXPECT_EQ(value(reads), "two");
    platform::prepareProfile(file);  // unchanged: nothing to parse
    EXPECT_EQ(platform::profileParseCount(), parses + 1);

    // Replaced behind the cache's back: seen once the look is due.
    replace("[s]\r\nk=three\r\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::string seen;
    for (int i = 0; i < 16 && seen != "three"; ++i) seen = value(reads);
    EXPECT_EQ(seen, "three");

    std::filesystem::remove(file);
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    for (int i = 0; i < 16 && seen != "none"; ++i) seen = value(reads);
    EXPECT_EQ(seen, "none");
    replace("[s]\r\nk=four\r\n");
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    for (int i = 0; i < 16 && seen != "four"; ++i) seen = value(reads);
    EXPECT_EQ(seen, "four");
}

// Long sections are looked up through the index, short ones line by line; both keep the rules:
// the first line of a name wins, letters ignore case, a double-byte character whose trail byte
// looks like a letter does not, and the same name in two sections stays apart.
TEST(ProfileCache, LongAndShortSections) {
    test::TempDir dir;
    const std::string file = dir.file("long.ini");
    for (const int count : {5, 300}) {
        SCOPED_TRACE(count);
        std::string text;
        for (const char* section : {"[A]", "[B]"}) {
            text += std::string(section) + "\r\n";
            for (int i = 0; i < count; ++i)
                text += "key" + std::to_string(i) + "=" + section[1] + std::to_string(i) + "\r\n";
            text += "KEY0=later\r\n\x81\x41=upper\r\n\x81\x61=lower\r\nbare\r\nbare=value\r\n";
        }
        test::writeFile(file, text);
        const int last = count - 1;
        EXPECT_EQ(lookup(file, "a", "Key0"), "A0");
        EXPECT_EQ(lookup(file, "b", "key0"), "B0");
        EXPECT_EQ(lookup(file, "A", "key" + std::to_string(last)), "A" + std::to_string(last));
        EXPECT_EQ(lookup(file, "B", "KEY" + std::to_string(last)), "B" + std::to_string(last));
        EXPECT_EQ(lookup(file, "A", "key" + std::to_string(count)), "D");
        EXPECT_EQ(lookup(file, "A", "\x81\x41"), "upper");
        EXPECT_EQ(lookup(file, "B", "\x81\x61"), "lower");
        EXPECT_EQ(lookup(file, "A", "bare"), "D");  // the line without "=" comes first
        EXPECT_EQ(lookup(file, "C", "key0"), "D");
    }
}

}  // namespace
}  // namespace lxtv
