#include "platform/ansi.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace lxtv::platform {

QString toQString(std::string_view cp936) {
    if (cp936.empty()) return {};
    // Building a decoder looks the code page up each time; the tree converts every item text,
    // so each thread keeps one. A complete text leaves no state behind, but reset anyway.
    thread_local QStringDecoder decoder("GBK");
    decoder.resetState();
    return decoder.decode(QByteArrayView(cp936.data(), static_cast<qsizetype>(cp936.size())));
}

std::string fromQString(const QString& text) {
    if (text.isEmpty()) return {};
    thread_local QStringEncoder encoder("GBK", QStringConverter::Flag::ConvertInvalidToNull);
    encoder.resetState();
    QByteArray bytes = encoder.encode(text);
    // Characters the code page lacks come back as NUL; the platform writes "?" for them.
    for (char& c : bytes)
        if (c == '\0') c = '?';
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

namespace {

// How many bytes the character at `pos` takes in code page 936: a lead byte with a trail byte
// (0x40..0xFE but 0x7F) two, anything else one. Unlike charNext, a lead byte never swallows a
// following ASCII delimiter such as "&" or "#".
std::size_t characterLength(std::string_view text, std::size_t pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    if (!isLeadByte(lead) || pos + 1 >= text.size()) return 1;
    const auto trail = static_cast<unsigned char>(text[pos + 1]);
    return trail >= 0x40 && trail <= 0xFE && trail != 0x7F ? 2 : 1;
}

void appendEscaped(QString& out, unsigned char byte) {
    static constexpr char hex[] = "0123456789ABCDEF";
    out += QLatin1Char('%');
    out += QLatin1Char(hex[byte >> 4]);
    out += QLatin1Char(hex[byte & 0x0F]);
}

// Calls each(bytes of one character, isAscii) across the text.
template <typename Each>
void forEachCharacter(std::string_view text, Each each) {
    for (std::size_t pos = 0; pos < text.size();) {
        const std::size_t length = characterLength(text, pos);
        each(text.substr(pos, length), static_cast<unsigned char>(text[pos]) < 0x80);
        pos += length;
    }
}

// Where the path begins: after "scheme://authority", or at the start when there is none.
std::size_t pathStart(std::string_view head) {
    const std::size_t separator = head.find("://");
    if (separator == std::string_view::npos || separator == 0) return 0;
    for (const char c : head.substr(0, separator)) {
        const bool schemeChar = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                                (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
        if (!schemeChar) return 0;
    }
    const std::size_t slash = head.find('/', separator + 3);
    return slash == std::string_view::npos ? head.size() : slash;
}

}  // namespace

QString wireAddress(std::string_view cp936) {
    // "?" and "#" are never the trail byte of a character (trail bytes start at 0x40).
    const std::size_t hash = cp936.find('#');
    const std::string_view beforeFragment = cp936.substr(0, hash);
    const std::size_t question = beforeFragment.find('?');
    const std::string_view head = beforeFragment.substr(0, question);
    const std::size_t path = pathStart(head);

    QString out = toQString(head.substr(0, path));
    forEachCharacter(head.substr(path), [&out](std::string_view character, bool ascii) {
        if (ascii) {
            out += QLatin1Char(character[0]);
            return;
        }
        for (const char byte : toQString(character).toUtf8())
            appendEscaped(out, static_cast<unsigned char>(byte));
    });
    if (question != std::string_view::npos) {
        out += QLatin1Char('?');
        forEachCharacter(beforeFragment.substr(question + 1),
                         [&out](std::string_view character, bool ascii) {
                             if (ascii) {
                                 out += QLatin1Char(character[0]);
                                 return;
                             }
                             for (const char byte : character)
                                 appendEscaped(out, static_cast<unsigned char>(byte));
                         });
    }
    if (hash != std::string_view::npos) out += toQString(cp936.substr(hash));
    return out;
}

std::string fromUtf8(std::string_view utf8) {
    return fromQString(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

}  // namespace lxtv::platform
