// The movie list's built-in image list, as the movie list hands it to its view.

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <cstdint>
#include <cstring>

#include "media/movie_list.h"
#include "platform/image_list.h"

namespace lxtv {
namespace {

// The built-in blob: its size and header are fixed, and its two pictures are the folder and
// the video file.
TEST(DefaultListImages, HeaderAndPictures) {
    const std::string& blob = media::defaultListImages();
    ASSERT_EQ(blob.size(), 33944u);
    const unsigned char head[] = {'M',  'I',  'T',  'L',  0x00, 0x00, 0x00, 0xFF, 0x49,
                                  0x4C, 0x01, 0x01, 0x02, 0x00, 0x06, 0x00, 0x04, 0x00,
                                  0x20, 0x00, 0x20, 0x00, 0xFF, 0xFF, 0xFF, 0x00, 0x21,
                                  0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
    EXPECT_EQ(std::memcmp(blob.data(), head, sizeof head), 0);
    // Both bitmap headers in full: bfSize and bfOffBits count the headers (and the mask's
    // two-colour palette, black then white) but not the pixels.
    auto le = [](std::uint32_t v, int bytes) {
        std::string out;
        for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
        return out;
    };
    const std::string noResolutionNoColoursUsed(16, '\0');
    const std::string colourHeader = "BM" + le(54, 4) + le(0, 4) + le(54, 4) + le(40, 4) +
                                     le(128, 4) + le(64, 4) + le(1, 2) + le(32, 2) + le(0, 4) +
                                     le(32768, 4) + noResolutionNoColoursUsed;
    const std::string maskHeader = "BM" + le(62, 4) + le(0, 4) + le(62, 4) + le(40, 4) +
                                   le(128, 4) + le(64, 4) + le(1, 2) + le(1, 2) + le(0, 4) +
                                   le(1024, 4) + noResolutionNoColoursUsed + le(0x00000000, 4) +
                                   le(0x00FFFFFF, 4);
    const std::size_t colour = 8 + 28;
    EXPECT_EQ(blob.substr(colour, colourHeader.size()), colourHeader);
    const std::size_t mask = colour + 54 + 32768;
    EXPECT_EQ(blob.substr(mask, maskHeader.size()), maskHeader);
    EXPECT_EQ(mask + 62 + 1024, blob.size());

    const auto list = platform::readImageListBlob(blob);
    ASSERT_TRUE(list);
    EXPECT_EQ(platform::writeImageListBlob(*list), blob);
    const QColor folder = list->image(0).pixelColor(16, 20);
    EXPECT_GT(folder.red(), 200);
    EXPECT_GT(folder.green(), 150);
    EXPECT_LT(folder.blue(), 120);
    EXPECT_EQ(list->image(0).pixelColor(0, 0).alpha(), 0);
    const QImage sheet = list->image(1);
    EXPECT_EQ(sheet.pixelColor(12, 6), QColor(Qt::white));
    const QColor strip = sheet.pixelColor(4, 17);
    EXPECT_GT(strip.blue(), 150);
    EXPECT_LT(strip.red(), 100);
}

}  // namespace
}  // namespace lxtv
