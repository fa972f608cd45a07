#pragma once

// Image lists held as bytes. The stream layout is the common controls' version 0x0101 one: a
// 28-byte "IL" header, then the colour bitmap and (with a mask) the mask bitmap, each written as
// a BMP file image. Images are cx by cy tiles, four to a row, left to right, top row first; the
// bitmaps are as tall as the capacity needs. An ImageListBlob puts "MITL" and a mark dword in
// front of such a stream.

#include <QImage>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lxtv::platform {

class ImageList {
  public:
    static constexpr std::uint16_t kMask = 0x0001;          // ILC_MASK
    static constexpr std::uint16_t kColour24 = 0x0018;      // ILC_COLOR24
    static constexpr std::uint16_t kColour32 = 0x0020;      // ILC_COLOR32
    static constexpr std::uint32_t kNoColour = 0xFFFFFFFF;  // CLR_NONE

    // An empty list as the common controls create one: room for `initial` + 1 images, growth
    // rounded up to a multiple of four (at least four). Only 24- and 32-bit colour are kept;
    // any other colour depth, or a size of zero, gives no list.
    static std::optional<ImageList> create(int cx, int cy, std::uint16_t flags, int initial,
                                           int grow);

    // Reads a stream as written by write(); nullopt when it does not read (short data, wrong
    // magic or version, a bitmap that is not a plain BMP of the size the header calls for).
    static std::optional<ImageList> read(std::string_view stream);

    // The stream, byte for byte as the common controls write it.
    std::string write() const;

    // ImageList_ReplaceIcon with index -1: appends the icon, scaled to cx by cy, and gives its
    // slot; -1 when the list cannot grow.
    int addIcon(const QImage& icon);

    // Image `index` as a cx by cy picture with transparency (alpha when the image carries any,
    // otherwise the mask); a null image for an index out of range.
    QImage image(int index) const;

    int count() const { return count_; }
    int capacity() const { return capacity_; }
    int grow() const { return grow_; }
    int width() const { return cx_; }
    int height() const { return cy_; }
    std::uint16_t flags() const { return flags_; }
    std::uint32_t backgroundColour() const { return background_; }
    void setBackgroundColour(std::uint32_t colour) { background_ = colour; }
    const std::array<std::int16_t, 4>& overlays() const { return overlays_; }

  private:
    ImageList() = default;
    int bitmapWidth() const { return 4 * cx_; }
    int bitmapHeight() const { return (capacity_ + 3) / 4 * cy_; }
    int bitsPerPixel() const { return flags_ & 0xFE; }
    bool hasMask() const { return (flags_ & kMask) != 0; }
    void resizeBitmaps(int newCapacity);

    int cx_ = 0;
    int cy_ = 0;
    std::uint16_t flags_ = 0;
    int count_ = 0;
    int capacity_ = 0;
    int grow_ = 4;
    std::uint32_t background_ = kNoColour;
    std::array<std::int16_t, 4> overlays_{-1, -1, -1, -1};
    // Both bitmaps top row first: colour as 0xAARRGGBB (alpha unused at 24 bits), mask as one
    // byte per pixel, 1 = transparent.
    std::vector<std::uint32_t> colour_;
    std::vector<std::uint8_t> mask_;
};

// The blob form: "MITL", the mark (bytes 00 00 00 FF), then the stream.
inline constexpr std::uint32_t kImageListBlobMark = 0xFF000000;

// nullopt for a blob of 8 bytes or fewer, one without "MITL" in front, or whose stream does not
// read. The mark is not checked.
std::optional<ImageList> readImageListBlob(std::string_view blob);
std::string writeImageListBlob(const ImageList& list);

}  // namespace lxtv::platform
