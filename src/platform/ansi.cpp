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

std::string fromUtf8(std::string_view utf8) {
    return fromQString(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
}

}  // namespace lxtv::platform
