#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <cstring>

#include "platform/image_list.h"

namespace lxtv {
namespace {

using platform::ImageList;

std::uint32_t u32At(const std::string& s, std::size_t at) {
    std::uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(s[at + i]);
    return v;
}

QImage solid(QColor c, int size = 16) {
    QImage img(size, size, QImage::Format_ARGB32);
    img.fill(c);
    return img;
}

// The header and bitmap layout the common controls write, for a 24-bit list without a mask.
TEST(ImageListCodec, WritesTheKnownHeaderAndBitmapSizes) {
    auto list = ImageList::create(16, 16, ImageList::kColour24, 1, 1);
    ASSERT_TRUE(list);
    const std::string s = list->write();
    const unsigned char header[] = {0x49, 0x4C, 0x01, 0x01, 0x00, 0x00, 0x02, 0x00, 0x04, 0x00,
                                    0x10, 0x00, 0x10, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x18, 0x00,
                                    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    // 28 + 54 + 64 pixels * 3 bytes * 16 rows.
    ASSERT_EQ(s.size(), 3154u);
    EXPECT_EQ(std::memcmp(s.data(), header, sizeof header), 0);
    EXPECT_EQ(s.substr(28, 2), "BM");
    EXPECT_EQ(u32At(s, 30), 54u);  // bfSize: headers only
    EXPECT_EQ(u32At(s, 38), 54u);  // bfOffBits
    EXPECT_EQ(u32At(s, 46), 64u);  // 4 images wide
    EXPECT_EQ(u32At(s, 50), 16u);  // one row for a capacity of 2
}

// Capacity grows by the rounded growth step plus one whenever the next add would fill it.
TEST(ImageListCodec, CapacityFollowsTheGrowthRules) {
    auto list = ImageList::create(8, 8, ImageList::kColour24, 1, 1);
    ASSERT_TRUE(list);
    std::vector<int> capacities;
    for (int i = 0; i < 8; ++i) {
        list->addIcon(solid(Qt::red, 8));
        capacities.push_back(list->capacity());
    }
    EXPECT_EQ(capacities, (std::vector<int>{2, 7, 7, 7, 7, 7, 12, 12}));
    EXPECT_EQ(ImageList::create(8, 8, ImageList::kColour24, 0, 32)->grow(), 32);
    EXPECT_EQ(ImageList::create(8, 8, ImageList::kColour24, 2, -20)->grow(), 4);
    EXPECT_EQ(ImageList::create(8, 8, ImageList::kColour24, 5, 9)->grow(), 12);
    EXPECT_FALSE(ImageList::create(0, 8, ImageList::kColour24, 1, 1));
}

// Images tile four to a row from the top; reading gives back what was written, byte for byte.
TEST(ImageListCodec, RoundTripsTiledImagesWithMask) {
    auto list = ImageList::create(16, 16, ImageList::kColour32 | ImageList::kMask, 1, 1);
    ASSERT_TRUE(list);
    const QColor colours[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::magenta};
    for (const QColor& c : colours) list->addIcon(solid(c));
    QImage half = solid(Qt::cyan);
    for (int y = 0; y < 16; ++y)
        for (int x = 8; x < 16; ++x) half.setPixelColor(x, y, Qt::transparent);
    EXPECT_EQ(list->addIcon(half), 5);
    const std::string stream = list->write();
    EXPECT_EQ(u32At(stream, 28 + 22), 32u);  // capacity 7: two rows of 16

    const auto back = ImageList::read(stream);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->write(), stream);
    EXPECT_EQ(back->count(), 6);
    EXPECT_EQ(back->capacity(), 7);
    EXPECT_EQ(back->image(4).pixelColor(3, 3), QColor(Qt::magenta));
    EXPECT_EQ(back->image(5).pixelColor(2, 2), QColor(Qt::cyan));
    EXPECT_EQ(back->image(5).pixelColor(12, 2).alpha(), 0);
    EXPECT_TRUE(back->image(6).isNull());
    // The fifth image sits at the start of the second row, counted from the top: in the
    // bottom-up pixel data that is the first row.
    const std::size_t pixels = 28 + 54;
    EXPECT_EQ(static_cast<unsigned char>(stream[pixels + 2]), 0xFF);  // red of magenta
    EXPECT_EQ(static_cast<unsigned char>(stream[pixels + 1]), 0x00);  // green
}

// A 24-bit list keeps only the mask for transparency.
TEST(ImageListCodec, MaskCarriesTransparencyWithoutAlpha) {
    auto list = ImageList::create(4, 4, ImageList::kColour24 | ImageList::kMask, 0, 4);
    QImage img = solid(Qt::blue, 4);
    img.setPixelColor(0, 0, Qt::transparent);
    list->addIcon(img);
    const auto back = ImageList::read(list->write());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->image(0).pixelColor(0, 0).alpha(), 0);
    EXPECT_EQ(back->image(0).pixelColor(1, 1), QColor(Qt::blue));
}

std::string goodBlob() {
    auto list = ImageList::create(4, 4, ImageList::kColour32 | ImageList::kMask, 1, 4);
    list->addIcon(solid(Qt::red, 4));
    return platform::writeImageListBlob(*list);
}

TEST(ImageListCodec, RejectsBlobsThatDoNotRead) {
    const std::string good = goodBlob();
    ASSERT_TRUE(platform::readImageListBlob(good));
    auto patched = [&](std::size_t at, std::string bytes) {
        std::string b = good;
        b.replace(at, bytes.size(), bytes);
        return b;
    };
    const std::size_t colourInfo = 8 + 28 + 14;
    const std::size_t maskStart = 8 + 28 + 54 + 16 * 8;  // colour pixels: 16 wide, 8 high, 4 bytes
    const struct {
        const char* what;
        std::string blob;
    } rows[] = {
        {"empty", ""},
        {"eight bytes", good.substr(0, 8)},
        {"no MITL", patched(0, "MITX")},
        {"magic", patched(8, "IM")},
        {"version 0x0102", patched(10, std::string("\x02\x01", 2))},
        {"header cut short", good.substr(0, 8 + 27)},
        {"count above capacity", patched(12, std::string("\x09\x00", 2))},
        {"zero width", patched(8 + 10, std::string("\x00\x00", 2))},
        {"colour depth 8", patched(8 + 18, std::string("\x09\x00", 2))},
        {"not BM", patched(8 + 28, "XM")},
        {"biSize 124", patched(colourInfo, std::string("\x7C\x00\x00\x00", 4))},
        {"width disagrees", patched(colourInfo + 4, std::string("\x20\x00\x00\x00", 4))},
        {"compressed", patched(colourInfo + 16, std::string("\x01\x00\x00\x00", 4))},
        {"pixels cut short", good.substr(0, maskStart - 1)},
        {"mask missing", good.substr(0, maskStart)},
        {"mask cut short", good.substr(0, good.size() - 1)},
        // A header asking for a huge bitmap over a few bytes of data.
        {"huge header", patched(8 + 6, std::string("\xFF\xFF\x04\x00\xFF\xFF\xFF\xFF", 8))},
    };
    for (const auto& r : rows) EXPECT_FALSE(platform::readImageListBlob(r.blob)) << r.what;
    // The mark is written but not checked.
    EXPECT_TRUE(platform::readImageListBlob(patched(4, "abcd")));
    EXPECT_EQ(u32At(good, 4), platform::kImageListBlobMark);
}

// A header that asks for huge images in a list of capacity 0: the bitmaps it claims hold no
// row, so the 144-byte stream reads as an empty list without allocating for images it does not
// have, writes back byte for byte, and refuses to grow to a size no icon list needs (one row of
// 65,535 by 255 tiles is half a gigabyte).
TEST(ImageListCodec, HugeImagesOfAnEmptyListAllocateNothing) {
    for (const std::uint16_t height : {std::uint16_t{65535}, std::uint16_t{255}}) {
        SCOPED_TRACE(height);
        std::string stream("IL\x01\x01\x00\x00\x00\x00\x04\x00\xFF\xFF", 12);
        stream.push_back(static_cast<char>(height & 0xFF));
        stream.push_back(static_cast<char>(height >> 8));
        stream += std::string("\xFF\xFF\xFF\xFF\x21\x00", 6) + std::string(8, '\xFF');
        auto bmp = [&](std::uint32_t bpp) {
            const std::uint32_t headers = 54 + (bpp == 1 ? 8 : 0);
            std::string out = "BM";
            for (const std::uint32_t v : {headers, 0u, headers, 40u, 4u * 65535u, 0u})
                for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(v >> (8 * i)));
            out += std::string("\x01\x00", 2);
            out.push_back(static_cast<char>(bpp));
            out.push_back('\0');
            out += std::string(24, '\0');
            if (bpp == 1) out += std::string("\0\0\0\0\xFF\xFF\xFF\0", 8);
            return out;
        };
        stream += bmp(32) + bmp(1);
        ASSERT_EQ(stream.size(), 144u);

        auto list = ImageList::read(stream);
        ASSERT_TRUE(list);
        EXPECT_EQ(list->count(), 0);
        EXPECT_EQ(list->capacity(), 0);
        EXPECT_EQ(list->width(), 65535);
        EXPECT_EQ(list->height(), height);
        EXPECT_TRUE(list->image(0).isNull());
        EXPECT_EQ(list->write(), stream);
        EXPECT_EQ(list->addIcon(solid(Qt::red)), -1);
        EXPECT_EQ(list->count(), 0);
    }
}

}  // namespace
}  // namespace lxtv
