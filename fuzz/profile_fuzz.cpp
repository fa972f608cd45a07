// The private-profile reader over any bytes as the file: every list and value call with small,
// exact and large buffers, each checked against the buffer contract (zero-terminated, the
// result below the size, nothing written past it) and against the same call with room to
// spare.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/profile.h"

namespace {

using lxtv::platform::ProfileArg;

std::string scratchFile;
// A buffer larger than any answer the file can give (names and values are its own bytes).
std::size_t roomy = 0;

void check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "contract broken: %s\n", what);
    std::abort();
}

struct Answer {
    std::size_t result = 0;
    std::vector<char> bytes;  // exactly the buffer's size, so a write past it is caught
};

Answer call(ProfileArg section, ProfileArg key, ProfileArg fallback, std::size_t size) {
    Answer a;
    // Size 0 gets a real byte behind the pointer: it must stay as it was.
    a.bytes.assign(size == 0 ? 1 : size, '\x5A');
    a.result = lxtv::platform::getPrivateProfileString(section, key, fallback, a.bytes.data(), size,
                                                       scratchFile);
    if (size == 0) {
        check(a.result == 0 && a.bytes[0] == '\x5A', "size 0 wrote or counted something");
        return a;
    }
    check(a.result < size, "result not below the size");
    check(a.bytes[a.result] == '\0', "not zero-terminated");
    return a;
}

// A list ends in two zero bytes, and a cut one is the full one's start, zeroed where cut.
void checkList(const Answer& cut, const Answer& full, std::size_t size) {
    if (size == 0) return;
    const std::size_t r = cut.result;
    check(r == 0 || cut.bytes[r - 1] == '\0' || (r + 1 < size && cut.bytes[r + 1] == '\0'),
          "list without its double zero");
    check(r <= full.result, "cut list longer than the whole one");
    for (std::size_t i = 0; i < r; ++i)
        check(cut.bytes[i] == full.bytes[i] || cut.bytes[i] == '\0', "cut list differs");
}

// A value cut to the buffer is the whole value's start, at most one byte shorter than the room
// (a double-byte character is never split).
void checkValue(const Answer& cut, const Answer& full, std::size_t size) {
    if (size == 0) return;
    check(cut.result <= full.result, "cut value longer than the whole one");
    check(std::memcmp(cut.bytes.data(), full.bytes.data(), cut.result) == 0, "cut value differs");
    if (full.result > size - 1) check(cut.result + 2 >= size, "value cut too short");
}

std::vector<std::size_t> sizesAround(std::size_t whole, std::size_t clientSize) {
    return {0, 1, 2, 3, 7, whole, whole + 1, whole + 2, clientSize};
}

std::vector<std::string> namesOf(const Answer& list) {
    std::vector<std::string> names;
    for (std::size_t p = 0; p < list.result;) {
        const std::size_t end = std::strlen(list.bytes.data() + p);
        if (end == 0) break;
        names.emplace_back(list.bytes.data() + p, end);
        p += end + 1;
    }
    return names;
}

void valueCalls(ProfileArg section, ProfileArg key, ProfileArg fallback) {
    const Answer full = call(section, key, fallback, roomy);
    for (const std::size_t size : sizesAround(full.result, 10240))
        checkValue(call(section, key, fallback, size), full, size);
}

void keyCalls(const std::string& section) {
    const Answer keys = call(section, std::nullopt, std::nullopt, roomy);
    for (const std::size_t size : sizesAround(keys.result, 256))
        checkList(call(section, std::nullopt, std::nullopt, size), keys, size);
    std::size_t n = 0;
    for (const std::string& key : namesOf(keys)) {
        if (++n > 8) break;
        valueCalls(section, key, std::nullopt);
        valueCalls(section, key, std::string_view("default  "));
    }
    valueCalls(section, std::string_view("\xD7\xEE\xB4\xF3\xBB\xAF"), std::nullopt);  // 最大化
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* dir = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    scratchFile = std::string(dir) + "/lxtv-fuzz-profile-" + std::to_string(getpid()) + ".ini";
    std::atexit([] { std::remove(scratchFile.c_str()); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    {
        std::FILE* f = std::fopen(scratchFile.c_str(), "wb");
        if (!f) return 0;
        std::fwrite(data, 1, size, f);
        std::fclose(f);
    }
    // A rewrite within one tick of the file clock may keep the file's stamp; start afresh.
    lxtv::platform::clearProfileCache();
    roomy = 2 * size + 4096;

    const Answer sections = call(std::nullopt, std::nullopt, std::nullopt, roomy);
    for (const std::size_t n : sizesAround(sections.result, 204800))
        checkList(call(std::nullopt, std::nullopt, std::nullopt, n), sections, n);
    {
        char buffer[16];
        const std::size_t r =
            lxtv::platform::getPrivateProfileSectionNames(buffer, sizeof buffer, scratchFile);
        check(r < sizeof buffer && buffer[r] == '\0', "section names call");
    }
    std::size_t n = 0;
    for (const std::string& section : namesOf(sections)) {
        if (++n > 8) break;
        keyCalls(section);
    }
    // Arguments out of the bytes themselves: the first line as a section, the second as a key.
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::size_t first = text.find('\n');
    const std::string section = text.substr(0, std::min<std::size_t>(first, 64));
    const std::string key = first == std::string::npos ? "" : text.substr(first + 1, 64);
    keyCalls(section);
    valueCalls(section, key, std::string_view(key));
    valueCalls(std::string_view("config"), std::string_view(key), std::nullopt);
    return 0;
}
