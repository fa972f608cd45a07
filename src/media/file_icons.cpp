#include "media/file_icons.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

#include "media/movie_list.h"
#include "platform/ascii.h"
#include "platform/file_types.h"
#include "platform/image_list.h"
#include "state/app_state.h"
#include "toolkit/list_view.h"

namespace lxtv::media {
namespace {

constexpr int kVideoFileSlot = 1;

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

void resetFileIcons() {
    state::AppState& s = state::appState();
    s.fileIconImages = defaultListImages();
    s.knownIconExtensions.clear();
}

int findOrAddIconExtension(const std::string& ext) {
    auto& known = state::appState().knownIconExtensions;
    for (std::size_t i = 0; i < known.size(); ++i)
        if (known[i].extension == ext) return static_cast<int>(i) + 1;
    known.push_back(state::KnownIcon{ext, kVideoFileSlot});
    return 0;
}

int addFileTypeIcon(toolkit::ListView& list, const std::string& name,
                    const std::string& folderPath) {
    const std::string ext = fileExtensionOf(name);
    state::AppState& s = state::appState();
    if (const int position = findOrAddIconExtension(ext); position != 0)
        return s.knownIconExtensions[static_cast<std::size_t>(position) - 1].slot;
    std::string iconFile;
    int iconIndex = 0;
    resolveIconSource(folderPath + "/" + name, iconFile, iconIndex);
    const int slot = appendIconToImageList(s.fileIconImages, iconFile, iconIndex);
    list.setImageList(s.fileIconImages);
    const int shown = slot >= 0 ? slot : kVideoFileSlot;
    s.knownIconExtensions.back().slot = shown;
    return shown;
}

void resolveIconSource(const std::string& path, std::string& iconFile, int& iconIndex) {
    std::string ext;
    if (const std::size_t dot = path.rfind('.'); dot != std::string::npos)
        ext = platform::asciiLowered(std::string_view(path).substr(dot));
    const std::string progId = platform::readRegistryText(ext + "\\");
    // Asked also for an empty program identifier, which names the key "\DefaultIcon".
    const std::string iconSpec = platform::readRegistryText(progId + "\\DefaultIcon\\");
    const std::size_t comma = iconSpec.find(',');
    if (comma == std::string::npos) {
        iconFile = platform::systemFolderPath() + platform::stockIconLibrary;
        iconIndex = 0;
        return;
    }
    iconFile = iconSpec.substr(0, comma);
    const std::size_t next = iconSpec.find(',', comma + 1);
    iconIndex = iconIndexOf(std::string_view(iconSpec).substr(
        comma + 1, next == std::string::npos ? std::string::npos : next - comma - 1));
}

int appendIconToImageList(std::string& blob, const std::string& iconFile, int iconIndex) {
    if (blob.empty()) return -1;
    auto list = platform::readImageListBlob(blob);
    if (!list) return -1;
    const QImage icon = platform::extractIcon(iconFile, iconIndex);
    if (icon.isNull()) return -1;
    const int slot = list->addIcon(icon);
    if (slot == -1) return -1;
    blob = platform::writeImageListBlob(*list);
    return slot;
}

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
