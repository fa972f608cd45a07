// Draws the movie list's two built-in pictures and writes them as the default image list blob.
// Run with LXTV_WRITE_DEFAULT_LIST_IMAGES set to refresh assets/defaultListImages.bin (and
// LXTV_PREVIEW_PNG set to a path for an enlarged preview); otherwise the test is skipped.

#include <gtest/gtest.h>

#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdlib>

#include "platform/image_list.h"
#include "support/test_support.h"

namespace lxtv {
namespace {

QImage closedFolder() {
    QImage img(32, 32, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor outline(160, 110, 10);
    // The tab behind the body.
    QPainterPath tab;
    tab.moveTo(3.5, 9.5);
    tab.lineTo(3.5, 6.5);
    tab.quadTo(3.5, 5.5, 4.5, 5.5);
    tab.lineTo(12.5, 5.5);
    tab.lineTo(15.5, 8.5);
    tab.lineTo(27.5, 8.5);
    tab.quadTo(28.5, 8.5, 28.5, 9.5);
    tab.lineTo(28.5, 12.5);
    tab.lineTo(3.5, 12.5);
    tab.closeSubpath();
    p.setPen(QPen(outline, 1));
    p.setBrush(QColor(232, 176, 40));
    p.drawPath(tab);
    // The closed front cover.
    QLinearGradient body(0, 11, 0, 27);
    body.setColorAt(0, QColor(255, 226, 110));
    body.setColorAt(1, QColor(240, 186, 40));
    p.setBrush(body);
    p.drawRoundedRect(QRectF(2.5, 11.5, 27, 15), 1.5, 1.5);
    p.setPen(QPen(QColor(255, 244, 190), 1));
    p.drawLine(QPointF(4, 13), QPointF(28, 13));
    p.end();
    return img.convertToFormat(QImage::Format_ARGB32);
}

QImage videoSheet() {
    QImage img(32, 32, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    // A sheet with its top right corner folded over.
    QPainterPath sheet;
    sheet.moveTo(6.5, 2.5);
    sheet.lineTo(20.5, 2.5);
    sheet.lineTo(26.5, 8.5);
    sheet.lineTo(26.5, 29.5);
    sheet.lineTo(6.5, 29.5);
    sheet.closeSubpath();
    p.setPen(QPen(QColor(120, 120, 120), 1));
    p.setBrush(Qt::white);
    p.drawPath(sheet);
    QPainterPath fold;
    fold.moveTo(20.5, 2.5);
    fold.lineTo(20.5, 8.5);
    fold.lineTo(26.5, 8.5);
    p.setBrush(QColor(225, 225, 225));
    p.drawPath(fold);
    // The film strip across it: a blue band with sprocket holes along both edges and frames.
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(30, 80, 200));
    p.drawRect(QRect(3, 12, 27, 11));
    p.setBrush(Qt::white);
    for (int x = 5; x < 29; x += 4) {
        p.drawRect(QRect(x, 13, 2, 1));
        p.drawRect(QRect(x, 21, 2, 1));
    }
    p.setBrush(QColor(120, 170, 255));
    for (int x = 5; x < 28; x += 8) p.drawRect(QRect(x, 15, 6, 5));
    p.end();
    return img.convertToFormat(QImage::Format_ARGB32);
}

TEST(DefaultListImagesTool, WritesTheBlob) {
    const char* write = std::getenv("LXTV_WRITE_DEFAULT_LIST_IMAGES");
    if (write == nullptr || *write == '\0') GTEST_SKIP() << "only run to refresh the asset";
    auto list = platform::ImageList::create(
        32, 32, platform::ImageList::kMask | platform::ImageList::kColour32, 5, 4);
    ASSERT_TRUE(list);
    list->setBackgroundColour(0x00FFFFFF);
    ASSERT_EQ(list->addIcon(closedFolder()), 0);
    ASSERT_EQ(list->addIcon(videoSheet()), 1);
    const std::string blob = platform::writeImageListBlob(*list);
    ASSERT_EQ(blob.size(), 33944u);
    test::writeFile(std::string(LXTV_SOURCE_DIR) + "/assets/defaultListImages.bin", blob);
    if (const char* preview = std::getenv("LXTV_PREVIEW_PNG")) {
        QImage sheet(2 * 32 * 8 + 8, 32 * 8, QImage::Format_ARGB32);
        sheet.fill(QColor(200, 200, 200));
        QPainter p(&sheet);
        for (int i = 0; i < 2; ++i)
            p.drawImage(QPoint(i * (32 * 8 + 8), 0), list->image(i).scaled(256, 256));
        p.end();
        sheet.save(QString::fromUtf8(preview));
    }
}

}  // namespace
}  // namespace lxtv
