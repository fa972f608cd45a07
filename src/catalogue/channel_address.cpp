#include "catalogue/channel_address.h"

#include <string_view>

#include "platform/ansi.h"
#include "platform/ascii.h"

namespace lxtv::catalogue {

std::string channelAddress(const std::string& value) {
    // The kind byte and the separator go, whatever they are.
    if (value.size() <= 2) return {};
    const std::string_view text = std::string_view(value).substr(2);

    // Walk by characters of the code page, so a trail byte is never taken for a space.
    std::size_t begin = std::string_view::npos;  // first character that is not a space
    std::size_t end = 0;                         // just past the last one
    std::size_t lastStart = 0;
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t next = platform::charNext(text, pos);
        const bool space = (next - pos == 1 && text[pos] == ' ') ||
                           (next - pos == 2 && static_cast<unsigned char>(text[pos]) == 0xA1 &&
                            static_cast<unsigned char>(text[pos + 1]) == 0xA1);
        if (!space) {
            if (begin == std::string_view::npos) begin = pos;
            end = next;
        }
        lastStart = pos;
        pos = next;
    }
    if (begin == std::string_view::npos) return {};

    // A lead byte left alone at the very end is dropped instead of the trailing spaces.
    const bool loneLead = lastStart + 1 == text.size() &&
                          platform::isLeadByte(static_cast<unsigned char>(text[lastStart]));
    if (loneLead) return std::string(text.substr(begin, lastStart - begin));
    return std::string(text.substr(begin, end - begin));
}

bool isScriptAddress(const std::string& address) {
    static constexpr std::string_view scheme = "javascript:";
    std::size_t matched = 0;
    bool started = false;
    for (const char c : address) {
        const auto b = static_cast<unsigned char>(c);
        if (c == '\t' || c == '\n' || c == '\r') continue;
        if (!started && b <= 0x20) continue;
        started = true;
        if (platform::asciiLower(c) != scheme[matched]) return false;
        if (++matched == scheme.size()) return true;
    }
    return false;
}

}  // namespace lxtv::catalogue
