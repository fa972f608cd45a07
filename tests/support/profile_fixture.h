#pragma once

// Calls of the profile reader that show exactly which bytes of the caller's buffer were written.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "platform/profile.h"

namespace lxtv::test {

// Bytes the reader never writes: whatever still holds this after a call was left untouched.
constexpr char kUntouched = '\x0C';

struct ProfileCall {
    std::size_t ret = 0;
    std::string buffer;  // the whole buffer after the call
};

inline ProfileCall callProfile(const std::string& file, platform::ProfileArg section,
                               platform::ProfileArg key, platform::ProfileArg fallback,
                               std::size_t size) {
    ProfileCall call;
    // One spare byte past the end shows a write beyond the given size.
    call.buffer.assign(size + 1, kUntouched);
    call.ret =
        platform::getPrivateProfileString(section, key, fallback, call.buffer.data(), size, file);
    EXPECT_EQ(call.buffer[size], kUntouched) << "wrote past the buffer";
    call.buffer.resize(size);
    return call;
}

// The value text of a single lookup with a roomy buffer; checks the terminating zero.
inline std::string lookup(const std::string& file, std::string_view section, std::string_view key,
                          platform::ProfileArg fallback = "D", std::size_t size = 260) {
    const ProfileCall call = callProfile(file, section, key, fallback, size);
    EXPECT_EQ(call.buffer[call.ret], '\0');
    return call.buffer.substr(0, call.ret);
}

// A complete list: the bytes up to and including the list's final zero (the return value
// counts all but that one).
inline std::string listBytes(const std::string& file, platform::ProfileArg section,
                             std::size_t size = 1000) {
    const ProfileCall call = callProfile(file, section, std::nullopt, "D", size);
    EXPECT_LT(call.ret, size);
    EXPECT_EQ(call.buffer[call.ret], '\0');
    return call.buffer.substr(0, call.ret + 1);
}

inline std::string lines(const std::vector<std::string>& parts, std::string_view end = "\r\n") {
    std::string out;
    for (const auto& p : parts) {
        out += p;
        out += end;
    }
    return out;
}

}  // namespace lxtv::test
