#pragma once

// PNG decoding for pictures that carry real transparency (the title strip's objects).

#include <QByteArray>
#include <QImage>

namespace lxtv::platform {

// Decodes PNG bytes into a non-premultiplied ARGB32 image. Returns a null image when the bytes
// are not a PNG that libpng can read in full.
QImage decodePng(const QByteArray& bytes);

// True when the bytes start with the eight-byte PNG signature.
bool looksLikePng(const QByteArray& bytes);

}  // namespace lxtv::platform
