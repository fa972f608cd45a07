// The text routines over any bytes: the channel address cut out of a catalogue value, the
// script-address check, Windows wildcard matching, the code page 936 round trip and the
// number reading of icon sources. Each is checked against a property it must keep.

#include <QString>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "catalogue/channel_address.h"
#include "media/icon_number.h"
#include "platform/ansi.h"
#include "platform/ascii.h"
#include "platform/directory_search.h"

namespace {

void check(bool ok, const char* what) {
    if (ok) return;
    std::fprintf(stderr, "property broken: %s\n", what);
    std::abort();
}

void channelAddress(const std::string& value) {
    const std::string address = lxtv::catalogue::channelAddress(value);
    if (value.size() <= 2) {
        check(address.empty(), "address out of a value of two bytes");
        return;
    }
    check(address.size() <= value.size() - 2, "address longer than the value");
    check(value.find(address, 2) != std::string::npos, "address not taken from the value");
    check(address.empty() || (address[0] != ' ' && !address.starts_with("\xA1\xA1")),
          "address begins with a space");
    check(lxtv::catalogue::isScriptAddress("javascript:" + value), "script prefix not seen");
    if (lxtv::catalogue::isScriptAddress(value)) check(value.size() >= 11, "short script");
}

void wildcards(const std::string& name, const std::string& pattern) {
    using lxtv::platform::matchesWildcard;
    check(matchesWildcard(name, "*") && matchesWildcard(name, "*.*"), "* or *.* missed a name");
    const bool matched = matchesWildcard(name, pattern);
    std::string upper = name;
    for (char& c : upper)
        c = static_cast<char>(lxtv::platform::asciiUpper(static_cast<unsigned char>(c)));
    check(matchesWildcard(upper, pattern) == matched, "letter case changed the match");
    // An empty pattern names no file at all.
    if (!pattern.empty() && pattern.find_first_of("*?. ") == std::string::npos)
        check(matched == lxtv::platform::equalsIgnoringAsciiCase(name, pattern),
              "plain pattern is not a comparison");
}

void codePage(const std::string& bytes) {
    using namespace lxtv::platform;
    const std::string once = fromQString(toQString(bytes));
    check(fromQString(toQString(once)) == once, "code page round trip not stable");
}

void numbers(const std::string& text) {
    using namespace lxtv::media;
    const double value = readNumber(text);
    check(!std::isnan(value), "number reading gave NaN");
    check(readNumber(" \t" + text) == value, "leading blanks changed the number");
    const int index = iconIndexOf(text);
    if (std::isfinite(value) && std::abs(value) < 2e9)
        check(index == static_cast<int>(std::trunc(value)), "index not the number cut");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    channelAddress(bytes);
    codePage(bytes);
    numbers(bytes);
    // Name and pattern: the bytes before and after the first zero byte, each held short (the
    // matcher's memo grows with both lengths).
    const std::size_t zero = bytes.find('\0');
    const std::string name = bytes.substr(0, std::min<std::size_t>(zero, 200));
    const std::string pattern =
        zero == std::string::npos ? std::string("*.rm") : bytes.substr(zero + 1, 200);
    wildcards(name, pattern);
    return 0;
}
