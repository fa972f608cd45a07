#include "media/icon_number.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

namespace lxtv::media {
namespace {

// Full-width forms of ASCII characters (and the ideographic space), in UTF-8 or in code
// page 936, become the ASCII characters; everything else is kept.
std::string narrowFullWidth(std::string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        const auto b = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
        if (i + 2 < text.size() && (b(0) & 0xF0) == 0xE0 && (b(1) & 0xC0) == 0x80 &&
            (b(2) & 0xC0) == 0x80) {
            const unsigned cp = ((b(0) & 0x0Fu) << 12) | ((b(1) & 0x3Fu) << 6) | (b(2) & 0x3Fu);
            if (cp >= 0xFF01 && cp <= 0xFF5E) {
                out.push_back(static_cast<char>(cp - 0xFF01 + 0x21));
                i += 3;
                continue;
            }
            if (cp == 0x3000) {
                out.push_back(' ');
                i += 3;
                continue;
            }
        }
        if (i + 1 < text.size() && b(0) == 0xA3 && b(1) >= 0xA1 && b(1) <= 0xFE) {
            out.push_back(static_cast<char>(b(1) - 0xA1 + 0x21));
            i += 2;
            continue;
        }
        if (i + 1 < text.size() && b(0) == 0xA1 && b(1) == 0xA1) {
            out.push_back(' ');
            i += 2;
            continue;
        }
        out.push_back(text[i]);
        ++i;
    }
    return out;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

double readNumber(std::string_view text) {
    const std::string s = narrowFullWidth(text);
    std::size_t i = 0;
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
    std::string number;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) {
        if (s[i] == '-') number.push_back('-');
        ++i;
    }
    std::size_t digits = 0;
    for (; i < s.size() && isDigit(s[i]); ++i, ++digits) number.push_back(s[i]);
    if (i < s.size() && s[i] == '.') {
        number.push_back('.');
        for (++i; i < s.size() && isDigit(s[i]); ++i, ++digits) number.push_back(s[i]);
    }
    if (digits == 0) return 0;
    // An exponent counts only when digits follow it.
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        std::size_t j = i + 1;
        std::string exponent = "e";
        if (j < s.size() && (s[j] == '-' || s[j] == '+')) exponent.push_back(s[j++]);
        const std::size_t start = j;
        while (j < s.size() && isDigit(s[j])) exponent.push_back(s[j++]);
        if (j > start) number += exponent;
    }
    if (number.back() == '.') number.pop_back();
    double value = 0;
    const auto result = std::from_chars(number.data(), number.data() + number.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        if (number.find("e-") != std::string::npos) return 0.0;  // too small: rounds to zero
        return number[0] == '-' ? -std::numeric_limits<double>::infinity()
                                : std::numeric_limits<double>::infinity();
    }
    return result.ec == std::errc() ? value : 0.0;
}

int iconIndexOf(std::string_view text) {
    const double value = std::trunc(readNumber(text));
    // Far out of range an index names no icon either way; held to 32 bits, never undefined.
    if (value <= std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    if (value >= std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    return static_cast<int>(value);
}

}  // namespace lxtv::media
