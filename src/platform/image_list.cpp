#include "platform/image_list.h"

#include <algorithm>
#include <cstring>

namespace lxtv::platform {
namespace {

constexpr std::uint16_t kMagic = 0x4C49;  // "IL"
constexpr std::uint16_t kVersion = 0x0101;
constexpr std::size_t kHeaderSize = 28;
constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
// A pixel whose alpha is above this counts as opaque when a mask is made from alpha.
constexpr int kOpaqueAlpha = 25;
// The most pixels a list may grow to by adding images: 64 MiB of colour. The movie list's holds
// 32 by 32 icons, one per kind of file, so this is room for 16,384 of them.
constexpr std::uint64_t kMaxPixels = std::uint64_t{1} << 24;

class Reader {
  public:
    explicit Reader(std::string_view data) : data_(data) {}
    bool has(std::size_t n) const { return data_.size() - pos_ >= n; }
    std::uint8_t u8() { return static_cast<std::uint8_t>(data_[pos_++]); }
    std::uint16_t u16() {
        const std::uint16_t lo = u8();
        return static_cast<std::uint16_t>(lo | (u8() << 8));
    }
    std::uint32_t u32() {
        const std::uint32_t lo = u16();
        return lo | (static_cast<std::uint32_t>(u16()) << 16);
    }
    std::string_view take(std::size_t n) {
        auto out = data_.substr(pos_, n);
        pos_ += n;
        return out;
    }

  private:
    std::string_view data_;
    std::size_t pos_ = 0;
};

void put16(std::string& out, std::uint32_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void put32(std::string& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

std::size_t strideOf(int width, int bpp) {
    return ((static_cast<std::size_t>(width) * static_cast<std::size_t>(bpp) + 31) / 8) &
           ~std::size_t{3};
}

// The pixel bytes of a bitmap, or nullopt when they could not be counted in 64 bits. The
// sizes come from the stream, so nothing here may wrap.
std::optional<std::uint64_t> pixelBytes(std::uint64_t width, std::uint64_t height,
                                        std::uint64_t bpp) {
    std::uint64_t bits = 0;
    std::uint64_t bytes = 0;
    if (__builtin_mul_overflow(width, bpp, &bits) || bits > UINT64_MAX - 31) return std::nullopt;
    const std::uint64_t stride = ((bits + 31) / 8) & ~std::uint64_t{3};
    if (__builtin_mul_overflow(stride, height, &bytes)) return std::nullopt;
    return bytes;
}

// A BMP file image as the list writes it: both headers, the palette for small depths, then the
// rows bottom-up. bfSize holds the header size only, as the common controls write it.
void writeBmpHeaders(std::string& out, int width, int height, int bpp) {
    const std::uint32_t paletteSize = bpp <= 8 ? (4u << bpp) : 0u;
    const std::uint32_t headers = kFileHeaderSize + kInfoHeaderSize + paletteSize;
    out += "BM";
    put32(out, headers);
    put32(out, 0);
    put32(out, headers);
    put32(out, kInfoHeaderSize);
    put32(out, static_cast<std::uint32_t>(width));
    put32(out, static_cast<std::uint32_t>(height));
    put16(out, 1);
    put16(out, static_cast<std::uint32_t>(bpp));
    put32(out, 0);  // BI_RGB
    put32(out, static_cast<std::uint32_t>(strideOf(width, bpp) * static_cast<std::size_t>(height)));
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    put32(out, 0);
    if (bpp == 1) {
        put32(out, 0x00000000);  // black: opaque
        put32(out, 0x00FFFFFF);  // white: transparent
    }
}

struct Bmp {
    int width = 0;
    int height = 0;  // rows, always positive
    bool topDown = false;
    int bpp = 0;
    std::string_view bits;
};

// One BMP file image from the stream. The checks keep every later pixel access in bounds:
// plain BI_RGB data, a 40-byte info header, the whole palette and all pixel rows present.
std::optional<Bmp> readBmp(Reader& in) {
    if (!in.has(kFileHeaderSize + kInfoHeaderSize)) return std::nullopt;
    if (in.u8() != 'B' || in.u8() != 'M') return std::nullopt;
    in.take(12);  // bfSize, reserved, bfOffBits: the data follows the headers directly
    if (in.u32() != kInfoHeaderSize) return std::nullopt;
    Bmp bmp;
    const auto width = static_cast<std::int32_t>(in.u32());
    const auto height = static_cast<std::int32_t>(in.u32());
    in.u16();  // planes
    bmp.bpp = in.u16();
    const std::uint32_t compression = in.u32();
    in.take(20);
    if (compression != 0 || width < 0 || height == INT32_MIN) return std::nullopt;
    bmp.width = width;
    bmp.topDown = height < 0;
    bmp.height = height < 0 ? -height : height;
    if (bmp.bpp <= 8) {
        const std::size_t palette = std::size_t{4} << bmp.bpp;
        if (!in.has(palette)) return std::nullopt;
        in.take(palette);
    }
    const auto size =
        pixelBytes(static_cast<std::uint64_t>(bmp.width), static_cast<std::uint64_t>(bmp.height),
                   static_cast<std::uint64_t>(bmp.bpp));
    if (!size || !in.has(*size)) return std::nullopt;
    bmp.bits = in.take(*size);
    return bmp;
}

std::size_t sourceRow(const Bmp& bmp, int y) {
    return static_cast<std::size_t>(bmp.topDown ? y : bmp.height - 1 - y);
}

int roundGrow(int grow) {
    const int g = std::max(grow, 1);
    return (g + 3) & ~3;
}

}  // namespace

std::optional<ImageList> ImageList::create(int cx, int cy, std::uint16_t flags, int initial,
                                           int grow) {
    const int bpp = flags & 0xFE;
    if (cx <= 0 || cy <= 0 || cx > 0xFFFF || cy > 0xFFFF) return std::nullopt;
    if (bpp != 24 && bpp != 32) return std::nullopt;
    ImageList list;
    list.cx_ = cx;
    list.cy_ = cy;
    list.flags_ = flags;
    list.grow_ = std::min(roundGrow(grow), 0xFFFC);
    const int capacity = std::clamp(initial, 0, 0xFFFE) + 1;
    list.resizeBitmaps(capacity);
    return list;
}

void ImageList::resizeBitmaps(int newCapacity) {
    // Tiles keep their place when rows are added or dropped at the bottom.
    capacity_ = newCapacity;
    const std::size_t pixels =
        static_cast<std::size_t>(bitmapWidth()) * static_cast<std::size_t>(bitmapHeight());
    colour_.resize(pixels, 0);
    if (hasMask()) mask_.resize(pixels, 0);
}

std::optional<ImageList> ImageList::read(std::string_view stream) {
    Reader in(stream);
    if (!in.has(kHeaderSize)) return std::nullopt;
    if (in.u16() != kMagic || in.u16() != kVersion) return std::nullopt;
    const int count = in.u16();
    const int capacity = in.u16();
    const int grow = in.u16();
    const int cx = in.u16();
    const int cy = in.u16();
    const std::uint32_t background = in.u32();
    const std::uint16_t flags = in.u16();
    std::array<std::int16_t, 4> overlays{};
    for (auto& o : overlays) o = static_cast<std::int16_t>(in.u16());

    // The header's counts are taken as they are; a count beyond the capacity would name images
    // that have no pixels, so such a stream does not read.
    if (count > capacity) return std::nullopt;
    const int bpp = flags & 0xFE;
    if (cx == 0 || cy == 0 || (bpp != 24 && bpp != 32)) return std::nullopt;
    // Nothing is allocated before the stream is known to hold every pixel the header calls for:
    // a header alone may ask for gigabytes. The bitmaps are exactly as large as the capacity
    // needs, no larger, and the stream must hold them whole.
    const std::uint64_t rows = static_cast<std::uint64_t>((capacity + 3) / 4) * cy;
    const auto colourBytes = pixelBytes(std::uint64_t{4} * cx, rows, bpp);
    const auto maskBytes = pixelBytes(std::uint64_t{4} * cx, rows, 1);
    if (!colourBytes || !maskBytes) return std::nullopt;
    std::uint64_t needed = kFileHeaderSize + kInfoHeaderSize + *colourBytes;
    if (flags & kMask) needed += kFileHeaderSize + kInfoHeaderSize + 8 + *maskBytes;
    if (!in.has(needed)) return std::nullopt;
    std::optional<ImageList> list{ImageList{}};
    list->cx_ = cx;
    list->cy_ = cy;
    list->flags_ = flags;
    list->grow_ = std::min(roundGrow(grow), 0xFFFC);
    list->resizeBitmaps(capacity);
    list->count_ = count;
    list->background_ = background;
    list->overlays_ = overlays;

    const int width = list->bitmapWidth();
    const int height = list->bitmapHeight();
    const auto colour = readBmp(in);
    if (!colour || colour->bpp != list->bitsPerPixel() || colour->width != width ||
        colour->height != height)
        return std::nullopt;
    const std::size_t stride = strideOf(width, colour->bpp);
    const int bytesPerPixel = colour->bpp / 8;
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const unsigned char*>(colour->bits.data()) +
                          sourceRow(*colour, y) * stride;
        for (int x = 0; x < width; ++x) {
            const unsigned char* p = row + static_cast<std::size_t>(x) * bytesPerPixel;
            std::uint32_t v = p[0] | (p[1] << 8) | (static_cast<std::uint32_t>(p[2]) << 16);
            if (bytesPerPixel == 4) v |= static_cast<std::uint32_t>(p[3]) << 24;
            list->colour_[static_cast<std::size_t>(y) * width + x] = v;
        }
    }
    if (list->hasMask()) {
        const auto mask = readBmp(in);
        if (!mask || mask->bpp != 1 || mask->width != width || mask->height != height)
            return std::nullopt;
        const std::size_t maskStride = strideOf(width, 1);
        for (int y = 0; y < height; ++y) {
            const auto* row = reinterpret_cast<const unsigned char*>(mask->bits.data()) +
                              sourceRow(*mask, y) * maskStride;
            for (int x = 0; x < width; ++x)
                list->mask_[static_cast<std::size_t>(y) * width + x] =
                    (row[x / 8] >> (7 - x % 8)) & 1;
        }
    }
    return list;
}

std::string ImageList::write() const {
    const int width = bitmapWidth();
    const int height = bitmapHeight();
    const int bpp = bitsPerPixel();
    std::string out;
    put16(out, kMagic);
    put16(out, kVersion);
    put16(out, static_cast<std::uint32_t>(count_));
    put16(out, static_cast<std::uint32_t>(capacity_));
    put16(out, static_cast<std::uint32_t>(grow_));
    put16(out, static_cast<std::uint32_t>(cx_));
    put16(out, static_cast<std::uint32_t>(cy_));
    put32(out, background_);
    put16(out, flags_);
    for (auto o : overlays_) put16(out, static_cast<std::uint16_t>(o));

    writeBmpHeaders(out, width, height, bpp);
    const std::size_t stride = strideOf(width, bpp);
    for (int y = height - 1; y >= 0; --y) {
        std::string row(stride, '\0');
        for (int x = 0; x < width; ++x) {
            const std::uint32_t v = colour_[static_cast<std::size_t>(y) * width + x];
            char* p = row.data() + static_cast<std::size_t>(x) * (bpp / 8);
            p[0] = static_cast<char>(v & 0xFF);
            p[1] = static_cast<char>((v >> 8) & 0xFF);
            p[2] = static_cast<char>((v >> 16) & 0xFF);
            if (bpp == 32) p[3] = static_cast<char>(v >> 24);
        }
        out += row;
    }
    if (hasMask()) {
        writeBmpHeaders(out, width, height, 1);
        const std::size_t maskStride = strideOf(width, 1);
        for (int y = height - 1; y >= 0; --y) {
            std::string row(maskStride, '\0');
            for (int x = 0; x < width; ++x)
                if (mask_[static_cast<std::size_t>(y) * width + x])
                    row[static_cast<std::size_t>(x / 8)] |= static_cast<char>(0x80 >> (x % 8));
            out += row;
        }
    }
    return out;
}

int ImageList::addIcon(const QImage& icon) {
    if (icon.isNull()) return -1;
    if (count_ + 1 >= capacity_) {
        const int newCapacity = capacity_ + std::max(1, grow_) + 1;
        if (newCapacity > 0xFFFF) return -1;  // the header holds the capacity in 16 bits
        // A list read from a stream may have images of up to 65,535 by 65,535 pixels; growing
        // such a list would ask for more memory than any icon list needs.
        const std::uint64_t pixels = std::uint64_t{4} * static_cast<std::uint64_t>(cx_) *
                                     static_cast<std::uint64_t>((newCapacity + 3) / 4) *
                                     static_cast<std::uint64_t>(cy_);
        if (pixels > kMaxPixels) return -1;
        resizeBitmaps(newCapacity);
    }
    QImage scaled = icon.convertToFormat(QImage::Format_ARGB32);
    if (scaled.width() != cx_ || scaled.height() != cy_)
        scaled = scaled.scaled(cx_, cy_, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                     .convertToFormat(QImage::Format_ARGB32);
    const int slot = count_;
    const int left = slot % 4 * cx_;
    const int top = slot / 4 * cy_;
    const int width = bitmapWidth();
    for (int y = 0; y < cy_; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(scaled.constScanLine(y));
        for (int x = 0; x < cx_; ++x) {
            const QRgb px = line[x];
            const bool opaque = qAlpha(px) > kOpaqueAlpha;
            const std::size_t at = static_cast<std::size_t>(top + y) * width + left + x;
            if (bitsPerPixel() == 32)
                colour_[at] = qAlpha(px) == 0 ? 0u : px;
            else
                colour_[at] = (opaque || !hasMask()) ? (px & 0x00FFFFFF) : 0u;
            if (hasMask()) mask_[at] = opaque ? 0 : 1;
        }
    }
    ++count_;
    return slot;
}

QImage ImageList::image(int index) const {
    if (index < 0 || index >= count_) return {};
    const int left = index % 4 * cx_;
    const int top = index / 4 * cy_;
    const int width = bitmapWidth();
    auto at = [&](int x, int y) { return static_cast<std::size_t>(top + y) * width + left + x; };
    // A 32-bit image with any alpha in it is drawn by its alpha; otherwise the mask decides.
    bool useAlpha = false;
    if (bitsPerPixel() == 32)
        for (int y = 0; y < cy_ && !useAlpha; ++y)
            for (int x = 0; x < cx_ && !useAlpha; ++x) useAlpha = (colour_[at(x, y)] >> 24) != 0;
    QImage out(cx_, cy_, QImage::Format_ARGB32);
    for (int y = 0; y < cy_; ++y) {
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < cx_; ++x) {
            const std::uint32_t v = colour_[at(x, y)];
            if (useAlpha)
                line[x] = v;
            else if (hasMask() && mask_[at(x, y)])
                line[x] = 0;
            else
                line[x] = 0xFF000000u | (v & 0x00FFFFFF);
        }
    }
    return out;
}

std::optional<ImageList> readImageListBlob(std::string_view blob) {
    if (blob.size() <= 8 || blob.substr(0, 4) != "MITL") return std::nullopt;
    return ImageList::read(blob.substr(8));
}

std::string writeImageListBlob(const ImageList& list) {
    std::string out = "MITL";
    put32(out, kImageListBlobMark);
    out += list.write();
    return out;
}

}  // namespace lxtv::platform
