#include "platform/png_decode.h"

#include <png.h>

#include <cstring>

namespace lxtv::platform {

bool looksLikePng(const QByteArray& bytes) {
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    return bytes.size() >= 8 && std::memcmp(bytes.constData(), signature, 8) == 0;
}

QImage decodePng(const QByteArray& bytes) {
    if (!looksLikePng(bytes)) return {};

    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.constData(),
                                          static_cast<size_t>(bytes.size()))) {
        png_image_free(&image);
        return {};
    }
    // QImage::Format_ARGB32 keeps each pixel as one 32-bit 0xAARRGGBB word, so the byte order
    // in memory follows the machine's.
#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
    image.format = PNG_FORMAT_BGRA;
#else
    image.format = PNG_FORMAT_ARGB;
#endif
    if (image.width == 0 || image.height == 0 || image.width > 32767 || image.height > 32767) {
        png_image_free(&image);
        return {};
    }
    QImage result(static_cast<int>(image.width), static_cast<int>(image.height),
                  QImage::Format_ARGB32);
    if (result.isNull()) {
        png_image_free(&image);
        return {};
    }
    const png_int_32 stride = static_cast<png_int_32>(result.bytesPerLine());
    if (!png_image_finish_read(&image, nullptr, result.bits(), stride, nullptr)) {
        png_image_free(&image);
        return {};
    }
    return result;
}

}  // namespace lxtv::platform
