// The skin's files: every picture, the icon and the click sound in the exact format and
// size the window's parts expect, identical on disk and in the compiled-in resources.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QRegularExpression>
#include <QSet>
#include <QString>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

// The resources live in a static library: nothing references them, so the linker keeps
// them only when their initialiser is called.
static void initAssetResources() {
    Q_INIT_RESOURCE(assets);
}

namespace {

enum class Kind { Gif, Png, Ico, Wav };

struct Asset {
    std::string path;
    Kind kind;
    int width;
    int height;
};

// "a/b.gif" -> "a/b@2x.gif".
std::string fine(const std::string& path) {
    const auto dot = path.rfind('.');
    return path.substr(0, dot) + "@2x" + path.substr(dot);
}

// Every file that assets.qrc lists, with its kind and pixel size.
const std::vector<Asset>& assets() {
    static const std::vector<Asset> rows = [] {
        std::vector<Asset> v;
        for (const char* id :
             {"siteHomeButton", "latestPicksButton", "hotRankingButton", "recentUpdatesButton",
              "dataSyncButton", "qvodInstallButton", "onlineUpgradeButton", "feedbackButton",
              "supportChatButton", "aboutUsButton"}) {
            for (const char* suffix : {"", "_hover"})
                v.push_back({std::string("buttons/") + id + suffix + ".gif", Kind::Gif, 58, 50});
        }
        const std::vector<Asset> fixed = {
            {"buttons/homeButton.gif", Kind::Gif, 26, 26},
            {"buttons/homeButton_hover.gif", Kind::Gif, 26, 26},
            {"buttons/backButton.gif", Kind::Gif, 26, 26},
            {"buttons/backButton_hover.gif", Kind::Gif, 26, 26},
            {"buttons/forwardButton.gif", Kind::Gif, 26, 26},
            {"buttons/forwardButton_hover.gif", Kind::Gif, 26, 26},
            {"buttons/refreshButton.gif", Kind::Gif, 26, 26},
            {"buttons/refreshButton_hover.gif", Kind::Gif, 26, 26},
            {"buttons/stopButton.gif", Kind::Gif, 26, 26},
            {"buttons/stopButton_hover.gif", Kind::Gif, 26, 26},
            {"buttons/searchButton.gif", Kind::Gif, 33, 21},
            {"buttons/searchButton_hover.gif", Kind::Gif, 33, 21},
            {"buttons/searchButton_pressed.gif", Kind::Gif, 33, 21},
            {"panels/topLeftBorder.gif", Kind::Gif, 4, 86},
            {"panels/topRightBorder.gif", Kind::Gif, 4, 86},
            {"panels/middleLeftBorder.gif", Kind::Gif, 4, 67},
            {"panels/middleRightBorder.gif", Kind::Gif, 4, 19},
            {"panels/bottomLeftBorder.gif", Kind::Gif, 4, 24},
            {"panels/bottomRightBorder.gif", Kind::Gif, 4, 24},
            {"panels/bottomBar.gif", Kind::Gif, 18, 24},
            {"panels/middleBar.gif", Kind::Gif, 51, 30},
            {"panels/categoryDivider.gif", Kind::Gif, 2, 14},
            {"panels/stripBackground.gif", Kind::Gif, 716, 86},
            {"strip/closePicture.png", Kind::Png, 21, 20},
            {"strip/closeHoverPicture.png", Kind::Png, 21, 20},
            {"strip/maximizePicture.png", Kind::Png, 21, 20},
            {"strip/maximizeHoverPicture.png", Kind::Png, 21, 20},
            {"strip/restorePicture.png", Kind::Png, 21, 20},
            {"strip/restoreHoverPicture.png", Kind::Png, 21, 20},
            {"strip/minimizePicture.png", Kind::Png, 21, 20},
            {"strip/minimizeHoverPicture.png", Kind::Png, 21, 20},
            {"strip/stripIconPicture.png", Kind::Png, 20, 20},
            {"strip/messageBoardPicture.png", Kind::Png, 60, 50},
            {"strip/messageBoardHoverPicture.png", Kind::Png, 60, 50},
            {"strip/aboutPicture.png", Kind::Png, 60, 50},
            {"strip/aboutHoverPicture.png", Kind::Png, 60, 50},
            {"tree/0.png", Kind::Png, 18, 18},
            {"tree/1.png", Kind::Png, 18, 18},
            {"tree/2.png", Kind::Png, 18, 18},
            {"tree/3.png", Kind::Png, 18, 18},
            {"tree/4.png", Kind::Png, 18, 18},
            {"windowIcon.ico", Kind::Ico, 0, 0},
            {"clickSound.wav", Kind::Wav, 0, 0},
        };
        v.insert(v.end(), fixed.begin(), fixed.end());
        // Every picture of the window has its variant at twice the size for finer screens.
        for (std::size_t i = 0, n = v.size(); i < n; ++i) {
            if (v[i].kind != Kind::Gif && v[i].kind != Kind::Png) continue;
            v.push_back({fine(v[i].path), v[i].kind, 2 * v[i].width, 2 * v[i].height});
        }
        return v;
    }();
    return rows;
}

QString sourcePath(const QString& rel) {
    return QStringLiteral(LXTV_SOURCE_DIR "/assets/") + rel;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return {};
    return f.readAll();
}

uint32_t le16(const QByteArray& b, qsizetype at) {
    return uint8_t(b[at]) | uint32_t(uint8_t(b[at + 1])) << 8;
}
uint32_t le32(const QByteArray& b, qsizetype at) {
    return le16(b, at) | le16(b, at + 2) << 16;
}
uint32_t be32(const QByteArray& b, qsizetype at) {
    return uint32_t(uint8_t(b[at])) << 24 | uint32_t(uint8_t(b[at + 1])) << 16 |
           uint32_t(uint8_t(b[at + 2])) << 8 | uint8_t(b[at + 3]);
}

// Each check returns an empty string when the bytes are right, else what is wrong.

std::string checkGif(const QByteArray& b, int w, int h) {
    if (b.size() < 13 || !(b.startsWith("GIF89a") || b.startsWith("GIF87a"))) return "not a GIF";
    if (int(le16(b, 6)) != w || int(le16(b, 8)) != h)
        return "screen " + std::to_string(le16(b, 6)) + "x" + std::to_string(le16(b, 8));
    // Walk to the first image: it must cover the whole screen from the top-left corner (a
    // page offset would shift the picture inside its button).
    qsizetype at = 13;
    const uint8_t flags = uint8_t(b[10]);
    if (flags & 0x80) at += 3 * (qsizetype(1) << ((flags & 7) + 1));
    while (at < b.size() && uint8_t(b[at]) == 0x21) {  // extension blocks
        at += 2;
        while (at < b.size() && uint8_t(b[at]) != 0) at += uint8_t(b[at]) + 1;
        ++at;
    }
    if (at + 10 > b.size() || uint8_t(b[at]) != 0x2C) return "no image descriptor";
    if (le16(b, at + 1) != 0 || le16(b, at + 3) != 0 || int(le16(b, at + 5)) != w ||
        int(le16(b, at + 7)) != h)
        return "first image is not the whole screen";
    return {};
}

std::string checkPng(const QByteArray& b, int w, int h) {
    if (!b.startsWith("\x89PNG\r\n\x1a\n") || b.size() < 33) return "not a PNG";
    if (be32(b, 8) != 13 || b.mid(12, 4) != "IHDR") return "no IHDR first";
    if (int(be32(b, 16)) != w || int(be32(b, 20)) != h)
        return "size " + std::to_string(be32(b, 16)) + "x" + std::to_string(be32(b, 20));
    if (uint8_t(b[24]) != 8 || uint8_t(b[25]) != 6)
        return "bit depth " + std::to_string(uint8_t(b[24])) + ", colour type " +
               std::to_string(uint8_t(b[25])) + " (want 8, RGBA 6)";
    return {};
}

std::string checkIco(const QByteArray& b) {
    const std::vector<int> sizes = {128, 96, 64, 48, 32};
    if (b.size() < 6 || le16(b, 0) != 0 || le16(b, 2) != 1) return "not an ICO";
    if (le16(b, 4) != sizes.size()) return std::to_string(le16(b, 4)) + " images";
    for (size_t i = 0; i < sizes.size(); ++i) {
        const qsizetype e = 6 + 16 * qsizetype(i);
        if (e + 16 > b.size()) return "directory cut short";
        const int w = uint8_t(b[e]) ? uint8_t(b[e]) : 256;
        const int h = uint8_t(b[e + 1]) ? uint8_t(b[e + 1]) : 256;
        const std::string which = "image " + std::to_string(i) + ": ";
        if (w != sizes[i] || h != sizes[i])
            return which + std::to_string(w) + "x" + std::to_string(h);
        if (le16(b, e + 6) != 32) return which + std::to_string(le16(b, e + 6)) + " bpp";
        const qsizetype length = le32(b, e + 8), offset = le32(b, e + 12);
        if (offset + length > b.size() || length < 40) return which + "data outside the file";
        // The data itself: a 32-bit DIB of twice the height (colour and mask), or a PNG.
        const QByteArray data = b.mid(offset, length);
        if (data.startsWith("\x89PNG")) {
            if (auto err = checkPng(data, sizes[i], sizes[i]); !err.empty()) return which + err;
        } else if (le32(data, 0) != 40 || int(le32(data, 4)) != sizes[i] ||
                   int(le32(data, 8)) != 2 * sizes[i] || le16(data, 14) != 32) {
            return which + "not a 32-bit DIB of its size";
        }
    }
    return {};
}

constexpr int kSamples = 30768;

std::string checkWav(const QByteArray& b) {
    if (b.size() != 61580) return std::to_string(b.size()) + " bytes";
    struct Field {
        qsizetype at;
        uint32_t want;
        bool wide;
        const char* name;
    };
    if (b.mid(0, 4) != "RIFF" || b.mid(8, 4) != "WAVE" || b.mid(12, 4) != "fmt " ||
        b.mid(36, 4) != "data")
        return "chunk tags";
    for (const Field& f : {Field{4, 61572, true, "RIFF size"}, Field{16, 16, true, "fmt size"},
                           Field{20, 1, false, "PCM tag"}, Field{22, 1, false, "channels"},
                           Field{24, 44100, true, "rate"}, Field{28, 88200, true, "byte rate"},
                           Field{32, 2, false, "block align"}, Field{34, 16, false, "bits"},
                           Field{40, 2 * kSamples, true, "data size"}}) {
        const uint32_t got = f.wide ? le32(b, f.at) : le16(b, f.at);
        if (got != f.want) return std::string(f.name) + " " + std::to_string(got);
    }
    return {};
}

std::string check(const QByteArray& bytes, const Asset& a) {
    switch (a.kind) {
        case Kind::Gif:
            return checkGif(bytes, a.width, a.height);
        case Kind::Png:
            return checkPng(bytes, a.width, a.height);
        case Kind::Ico:
            return checkIco(bytes);
        case Kind::Wav:
            return checkWav(bytes);
    }
    return "unknown kind";
}

class AssetsTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { initAssetResources(); }
};

// Each file, from the source folder and from the resources: same bytes, right header, and
// the pictures decode (as the widgets will decode them) to their stated size.
TEST_F(AssetsTest, EveryFileHasItsFormatAndSize) {
    for (const Asset& a : assets()) {
        SCOPED_TRACE(a.path);
        const QString rel = QString::fromStdString(a.path);
        const QByteArray onDisk = readAll(sourcePath(rel));
        const QByteArray inResources = readAll(QStringLiteral(":/assets/") + rel);
        ASSERT_FALSE(onDisk.isEmpty()) << "missing in the assets folder";
        ASSERT_FALSE(inResources.isEmpty()) << "missing in the resources";
        EXPECT_TRUE(onDisk == inResources) << "resource differs from the file";
        EXPECT_EQ(check(inResources, a), "");
        if (a.kind == Kind::Gif || a.kind == Kind::Png) {
            const QImage img = QImage::fromData(inResources);
            EXPECT_EQ(img.size(), QSize(a.width, a.height));
        }
    }
}

// The table and assets.qrc name the same files, so nothing is left out of the build.
TEST_F(AssetsTest, ResourceListMatchesTheTable) {
    const QString qrc = QString::fromUtf8(readAll(sourcePath("assets.qrc")));
    ASSERT_TRUE(qrc.contains(QStringLiteral("prefix=\"/assets\"")));
    QSet<QString> listed;
    static const QRegularExpression file(QStringLiteral("<file>([^<]+)</file>"));
    for (auto m = file.globalMatch(qrc); m.hasNext();) listed.insert(m.next().captured(1));
    QSet<QString> table;
    for (const Asset& a : assets()) table.insert(QString::fromStdString(a.path));
    EXPECT_EQ(listed, table);
}

// The checks themselves catch the faults they exist for.
TEST_F(AssetsTest, ChecksRejectWrongHeaders) {
    const QByteArray png = readAll(QStringLiteral(":/assets/tree/0.png"));
    QByteArray rgb = png;
    rgb[25] = 2;  // RGB without alpha
    EXPECT_NE(checkPng(rgb, 18, 18), "");
    EXPECT_NE(checkPng(png, 18, 17), "");

    QByteArray gif = readAll(QStringLiteral(":/assets/panels/middleBar.gif"));
    EXPECT_EQ(checkGif(gif, 51, 30), "");
    const qsizetype descriptor = gif.indexOf(char(0x2C), 13);
    ASSERT_GT(descriptor, 0);
    gif[descriptor + 1] = 3;  // a page offset
    EXPECT_NE(checkGif(gif, 51, 30), "");

    QByteArray wav = readAll(QStringLiteral(":/assets/clickSound.wav"));
    wav[22] = 2;  // stereo
    EXPECT_NE(checkWav(wav), "");
    EXPECT_NE(checkWav(wav.left(61578)), "");

    QByteArray ico = readAll(QStringLiteral(":/assets/windowIcon.ico"));
    ico[6 + 16 + 6] = 24;  // second image 24 bpp
    EXPECT_NE(checkIco(ico), "");
}

// The strip hit-tests on alpha and the tree masks with it: each picture must have both
// fully transparent and fully opaque pixels.
TEST_F(AssetsTest, StripAndTreePicturesHaveRealTransparency) {
    for (const Asset& a : assets()) {
        if (a.kind != Kind::Png) continue;
        SCOPED_TRACE(a.path);
        const QImage img = QImage(QStringLiteral(":/assets/") + QString::fromStdString(a.path))
                               .convertToFormat(QImage::Format_ARGB32);
        ASSERT_FALSE(img.isNull());
        int transparent = 0, opaque = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const int alpha = qAlpha(img.pixel(x, y));
                transparent += alpha == 0;
                opaque += alpha == 255;
            }
        EXPECT_GT(transparent, 0);
        EXPECT_GT(opaque, 0);
    }
}

// White is the navigation buttons' transparent colour: the corners are white and the
// shape is a solid part of the picture.
TEST_F(AssetsTest, NavigationButtonsAreKeyedOnWhite) {
    for (const char* id :
         {"homeButton", "backButton", "forwardButton", "refreshButton", "stopButton"}) {
        for (const char* suffix : {"", "_hover", "@2x", "_hover@2x"}) {
            const QString path = QStringLiteral(":/assets/buttons/%1%2.gif").arg(id, suffix);
            SCOPED_TRACE(path.toStdString());
            const QImage img = QImage(path).convertToFormat(QImage::Format_RGB32);
            ASSERT_FALSE(img.isNull());
            const int side = img.width();
            int shape = 0;
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < img.width(); ++x) shape += img.pixel(x, y) != 0xffffffffu;
            EXPECT_EQ(img.pixel(0, side - 1), 0xffffffffu);
            EXPECT_GT(shape, side * side / 5);
            EXPECT_LT(shape, side * side);
        }
    }
}

// A big button's hover picture is its normal picture with the caption in red: the drawing
// above the caption is the same, and only the hover caption has red in it.
TEST_F(AssetsTest, BigButtonHoverChangesOnlyTheCaptionColour) {
    const auto reddish = [](QRgb p) { return qRed(p) > 150 && qGreen(p) < 80 && qBlue(p) < 80; };
    for (const char* id :
         {"siteHomeButton", "latestPicksButton", "hotRankingButton", "recentUpdatesButton",
          "dataSyncButton", "qvodInstallButton", "onlineUpgradeButton", "feedbackButton",
          "supportChatButton", "aboutUsButton"}) {
        SCOPED_TRACE(id);
        for (const int scale : {1, 2}) {
            SCOPED_TRACE(scale);
            const QString variant = scale == 1 ? QString() : QStringLiteral("@2x");
            const QImage normal =
                QImage(QStringLiteral(":/assets/buttons/%1%2.gif").arg(id, variant))
                    .convertToFormat(QImage::Format_RGB32);
            const QImage hover =
                QImage(QStringLiteral(":/assets/buttons/%1_hover%2.gif").arg(id, variant))
                    .convertToFormat(QImage::Format_RGB32);
            ASSERT_EQ(normal.size(), QSize(58, 50) * scale);
            ASSERT_EQ(hover.size(), QSize(58, 50) * scale);
            int differentAbove = 0, redInNormal = 0, redInHover = 0;
            for (int y = 0; y < 50 * scale; ++y)
                for (int x = 0; x < 58 * scale; ++x) {
                    if (y < 34 * scale) differentAbove += normal.pixel(x, y) != hover.pixel(x, y);
                    if (y >= 34 * scale) {
                        redInNormal += reddish(normal.pixel(x, y));
                        redInHover += reddish(hover.pixel(x, y));
                    }
                }
            EXPECT_EQ(differentAbove, 0);
            EXPECT_EQ(redInNormal, 0);
            EXPECT_GT(redInHover, 20 * scale * scale);
        }
    }
}

// A picture averaged over square blocks of `block` pixels: premultiplied red, green, blue and
// alpha of each block, row by row.
std::vector<double> coarse(const QImage& picture, int block) {
    const QImage img = picture.convertToFormat(QImage::Format_ARGB32);
    std::vector<double> cells;
    for (int by = 0; by + block <= img.height(); by += block)
        for (int bx = 0; bx + block <= img.width(); bx += block) {
            double sum[4] = {0, 0, 0, 0};
            for (int y = by; y < by + block; ++y)
                for (int x = bx; x < bx + block; ++x) {
                    const QRgb q = img.pixel(x, y);
                    const double alpha = qAlpha(q) / 255.0;
                    sum[0] += qRed(q) * alpha;
                    sum[1] += qGreen(q) * alpha;
                    sum[2] += qBlue(q) * alpha;
                    sum[3] += qAlpha(q);
                }
            for (const double v : sum) cells.push_back(v / (block * block));
        }
    return cells;
}

// Mean difference per channel (0..255) between a picture and its @2x variant, both seen at half
// the picture's size: the crisp 1x captions and the smooth 2x ones differ in single pixels,
// different drawings differ in shapes.
double differenceFromFine(const QImage& picture, const QImage& fine) {
    const std::vector<double> a = coarse(picture, 2), b = coarse(fine, 4);
    if (a.empty() || a.size() != b.size()) return 255;
    double total = 0;
    for (std::size_t i = 0; i < a.size(); ++i) total += std::abs(a[i] - b[i]);
    return total / double(a.size());
}

// Each @2x variant is the same drawing as its picture, made finer: seen coarsely it is close to
// its picture, and nearer to it than to any other picture of that size (a hover picture, the other
// state of a window button, the other link object), so a variant left over from an older drawing,
// or put under another picture's name, shows.
TEST_F(AssetsTest, FineVariantsFollowTheirPictures) {
    std::vector<std::pair<std::string, QImage>> pictures;
    for (const Asset& a : assets()) {
        if ((a.kind != Kind::Gif && a.kind != Kind::Png) || a.path.find("@2x") != std::string::npos)
            continue;
        pictures.emplace_back(a.path,
                              QImage(QStringLiteral(":/assets/") + QString::fromStdString(a.path)));
    }
    for (const auto& [path, picture] : pictures) {
        SCOPED_TRACE(path);
        const QImage variant(QStringLiteral(":/assets/") + QString::fromStdString(fine(path)));
        ASSERT_EQ(variant.size(), picture.size() * 2);
        const double own = differenceFromFine(picture, variant);
        // Pictures that are mostly caption differ most, by some 14 (crisp against smooth
        // strokes); a variant of an older drawing of a link object differs by over 100.
        EXPECT_LT(own, 20.0);
        for (const auto& [otherPath, other] : pictures) {
            if (otherPath == path || other.size() != picture.size()) continue;
            EXPECT_LT(own, differenceFromFine(other, variant)) << "nearer to " << otherPath;
        }
    }
}

// The desktop's icons of the installed client are the window icon's own images, pixel for
// pixel, plus a 256-pixel one; the resources do not carry them.
TEST_F(AssetsTest, DesktopIconsAreTheWindowIconsImages) {
    QImageReader ico(sourcePath(QStringLiteral("windowIcon.ico")));
    std::vector<QImage> frames;
    for (int i = 0; i < ico.imageCount(); ++i) {
        ico.jumpToImage(i);
        // Premultiplied: the colour a fully transparent pixel happens to keep is no part of it.
        frames.push_back(ico.read().convertToFormat(QImage::Format_ARGB32_Premultiplied));
    }
    ASSERT_EQ(frames.size(), 5u);
    for (const QImage& frame : frames) {
        SCOPED_TRACE(frame.width());
        const QString path = sourcePath(QStringLiteral("icons/%1.png").arg(frame.width()));
        const QByteArray bytes = readAll(path);
        EXPECT_EQ(checkPng(bytes, frame.width(), frame.width()), "");
        EXPECT_TRUE(QImage::fromData(bytes).convertToFormat(QImage::Format_ARGB32_Premultiplied) ==
                    frame);
    }
    EXPECT_EQ(checkPng(readAll(sourcePath(QStringLiteral("icons/256.png"))), 256, 256), "");
    EXPECT_FALSE(QFile::exists(QStringLiteral(":/assets/icons/32.png")));
}

// The click is short: the sound has decayed to silence well before the end of the data.
TEST_F(AssetsTest, ClickSoundDecaysToSilence) {
    const QByteArray wav = readAll(QStringLiteral(":/assets/clickSound.wav"));
    ASSERT_EQ(wav.size(), 44 + 2 * kSamples);
    int loudest = 0, loudestInTail = 0;
    for (int i = 0; i < kSamples; ++i) {
        const int s = int16_t(le16(wav, 44 + 2 * i));
        loudest = std::max(loudest, std::abs(s));
        if (i > kSamples / 2) loudestInTail = std::max(loudestInTail, std::abs(s));
    }
    EXPECT_GT(loudest, 8000);
    EXPECT_LE(loudestInTail, 2);
}

}  // namespace
