#pragma once

// The one place where code page 936 text meets Qt's UTF-16 strings. Everywhere else a text is
// a std::string of code page 936 bytes, counted and compared byte by byte.

#include <QString>
#include <cstddef>
#include <string>
#include <string_view>

namespace lxtv::platform {

// Code page 936 bytes to UTF-16. Bytes that do not form a character become U+FFFD.
QString toQString(std::string_view cp936);

// UTF-16 to code page 936 bytes. Characters outside the code page become "?".
std::string fromQString(const QString& text);

// Code page 936 bytes of a UTF-8 literal; for constants compared with catalogue bytes, convert
// once and keep the result.
std::string fromUtf8(std::string_view utf8);

// The address as the browser view hands it to the engine: the non-ASCII characters of its path
// as their UTF-8 bytes percent-escaped, the non-ASCII characters of its query (between the first
// "?" and the first "#") as their code page 936 bytes percent-escaped, as the provider's pages
// have always received them and read them. ASCII, escapes already present, the scheme and host
// (the engine's own IDN rules) and the fragment (never sent) are left as they are; nothing is
// escaped twice. An invalid byte of the code page stands as one character of its own.
QString wireAddress(std::string_view cp936);

// 0x81..0xFE open a two-byte character; 0x80 and 0xFF stand alone.
constexpr bool isLeadByte(unsigned char b) {
    return b >= 0x81 && b <= 0xFE;
}

// Position of the character after the one at `pos`, walking as CharNextExA(936) does: a lead
// byte followed by a byte that is not the end of the text takes two bytes, anything else one.
constexpr std::size_t charNext(std::string_view text, std::size_t pos) {
    if (pos >= text.size()) return text.size();
    if (isLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size() &&
        text[pos + 1] != '\0')
        return pos + 2;
    return pos + 1;
}

}  // namespace lxtv::platform
