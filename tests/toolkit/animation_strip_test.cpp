// The title strip's widget: objects, pictures decoded from PNG and GIF, the hit test, presses
// and the enter/leave sequence.

#include <gtest/gtest.h>

#include "support/event_helpers.h"

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QMouseEvent>

#include "platform/png_decode.h"
#include "toolkit/animation_strip.h"
#include "toolkit/strip_template.h"

using namespace lxtv::toolkit;

namespace {

// A w x h PNG whose left half is transparent and right half opaque red.
QByteArray halfTransparentPng(int w, int h) {
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    for (int y = 0; y < h; ++y)
        for (int x = w / 2; x < w; ++x) image.setPixel(x, y, qRgba(255, 0, 0, 255));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

QByteArray opaquePng(int w, int h, QColor colour) {
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

using lxtv::test::sendMouse;

struct StripFixture : ::testing::Test {
    QWidget window;
    AnimationStrip* strip = new AnimationStrip(&window);
    StripTemplate* templ = new StripTemplate(&window);
    std::vector<std::string> events;

    void SetUp() override {
        window.resize(300, 100);
        strip->setGeometry(0, 0, 300, 86);
        QObject::connect(strip, &AnimationStrip::objectEntered,
                         [this](int id, int) { events.push_back("enter " + std::to_string(id)); });
        QObject::connect(strip, &AnimationStrip::objectLeft,
                         [this](int id, int) { events.push_back("leave " + std::to_string(id)); });
        QObject::connect(strip, &AnimationStrip::leftButtonDown, [this](int x, int y, int keys) {
            events.push_back("down " + std::to_string(x) + "," + std::to_string(y) + " " +
                             std::to_string(keys));
        });
        QObject::connect(strip, &AnimationStrip::objectPressed,
                         [this](int id) { events.push_back("pressed " + std::to_string(id)); });
        window.show();
    }
};

}  // namespace

TEST(PngDecode, DecodesWithTransparencyAndRejectsBadBytes) {
    const QImage image = lxtv::platform::decodePng(halfTransparentPng(10, 4));
    ASSERT_EQ(image.size(), QSize(10, 4));
    EXPECT_EQ(image.format(), QImage::Format_ARGB32);
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
    EXPECT_EQ(image.pixel(9, 3), qRgba(255, 0, 0, 255));

    QByteArray truncated = halfTransparentPng(10, 4);
    truncated.chop(20);
    EXPECT_TRUE(lxtv::platform::decodePng(truncated).isNull());
    EXPECT_TRUE(lxtv::platform::decodePng(QByteArray("GIF89a....")).isNull());
    EXPECT_TRUE(lxtv::platform::decodePng(QByteArray()).isNull());
}

// Ids count from 1 and are never reused; places are truncated toward zero; unknown ids are
// ignored; bytes that give no picture leave the object without one.
TEST_F(StripFixture, ObjectsIdsPlacesAndPictures) {
    EXPECT_EQ(strip->createObject(templ, 10.9, -3.7), 1);
    EXPECT_EQ(strip->createObject(templ, 0, 0), 2);
    EXPECT_EQ(strip->objectPlace(1), QPoint(10, -3));

    strip->setObjectPicture(1, opaquePng(21, 20, Qt::red));
    EXPECT_EQ(strip->objectPicture(1).size(), QSize(21, 20));
    strip->setObjectPicture(1, QByteArray("not a picture"));
    EXPECT_TRUE(strip->objectPicture(1).isNull());

    // GIF goes through Qt's reader.
    QFile gif(QStringLiteral(":/assets/buttons/homeButton.gif"));
    if (gif.open(QIODevice::ReadOnly)) {
        strip->setObjectPicture(2, gif.readAll());
        EXPECT_FALSE(strip->objectPicture(2).isNull());
    }

    strip->setObjectPicture(99, opaquePng(5, 5, Qt::red));
    strip->moveObject(99, 1, 1);
    EXPECT_FALSE(strip->hasObject(99));

    strip->moveObject(1, 100.7, 7.2);
    EXPECT_EQ(strip->objectPlace(1), QPoint(100, 7));
}

// The topmost object with a non-transparent pixel at the point wins; transparent pixels and
// objects without a picture do not count.
TEST_F(StripFixture, HitTestIgnoresTransparentPixels) {
    const int lower = strip->createObject(templ, 10, 10);
    const int upper = strip->createObject(templ, 10, 10);
    const int bare = strip->createObject(templ, 0, 0);
    strip->setObjectPicture(lower, opaquePng(20, 20, Qt::blue));
    strip->setObjectPicture(upper, halfTransparentPng(20, 20));
    (void)bare;

    EXPECT_EQ(strip->objectAt({12, 15}), lower);  // upper is transparent here
    EXPECT_EQ(strip->objectAt({25, 15}), upper);
    EXPECT_EQ(strip->objectAt({9, 15}), 0);
    EXPECT_EQ(strip->objectAt({30, 15}), 0);  // just right of both pictures
    EXPECT_EQ(strip->objectAt({1, 1}), 0);    // an object without a picture
}

// A finer screen shows the object's variant; the place, size and hit test keep to the picture,
// and a variant that is not twice the picture's size is left unused.
TEST_F(StripFixture, FinerScreensDrawTheVariantHitTestKeepsThePicture) {
    const int id = strip->createObject(templ, 10, 10);
    strip->setObjectPicture(id, halfTransparentPng(20, 20), opaquePng(40, 40, Qt::blue));
    EXPECT_EQ(strip->objectPicture(id).size(), QSize(20, 20));
    EXPECT_EQ(strip->objectAt({12, 15}), 0);  // transparent in the picture, solid in the variant
    EXPECT_EQ(strip->objectAt({25, 15}), id);

    const auto drawnAt = [this](qreal ratio, QPoint devicePoint) {
        QImage target(strip->size() * ratio, QImage::Format_ARGB32);
        target.setDevicePixelRatio(ratio);
        strip->render(&target);
        return target.pixel(devicePoint);
    };
    EXPECT_EQ(drawnAt(2, {24, 30}), qRgb(0, 0, 255));  // left half of the object, variant solid
    EXPECT_EQ(drawnAt(2, {58, 30}), qRgb(0, 0, 255));
    EXPECT_NE(drawnAt(2, {62, 30}), qRgb(0, 0, 255));  // past the object's 20 pixels
    EXPECT_EQ(drawnAt(1, {25, 15}), qRgb(255, 0, 0));

    strip->setObjectPicture(id, halfTransparentPng(20, 20), opaquePng(41, 40, Qt::blue));
    EXPECT_EQ(drawnAt(2, {50, 30}), qRgb(255, 0, 0));
}

// Moving from one object straight onto another: leave the first, then enter the second; moving
// within an object raises nothing more.
TEST_F(StripFixture, EnterAndLeaveSequence) {
    strip->createObject(templ, 10, 10);
    strip->createObject(templ, 30, 10);
    strip->setObjectPicture(1, opaquePng(20, 20, Qt::blue));
    strip->setObjectPicture(2, opaquePng(20, 20, Qt::red));

    sendMouse(strip, QEvent::MouseMove, {5, 5});
    sendMouse(strip, QEvent::MouseMove, {15, 15});
    sendMouse(strip, QEvent::MouseMove, {16, 15});
    sendMouse(strip, QEvent::MouseMove, {35, 15});
    sendMouse(strip, QEvent::MouseMove, {100, 50});
    EXPECT_EQ(events, (std::vector<std::string>{"enter 1", "leave 1", "enter 2", "leave 2"}));
    EXPECT_EQ(strip->hoveredObject(), 0);
}

// The leave timer's check: as soon as the widget under the pointer is not the strip, the hovered
// object is left (the pointer went onto a control above the strip or out of the window).
TEST_F(StripFixture, LeaveWhenPointerIsNoLongerOverTheStrip) {
    strip->createObject(templ, 10, 10);
    strip->setObjectPicture(1, opaquePng(20, 20, Qt::blue));
    QWidget* under = strip;
    const auto probe = widgetUnderPointer.replaceWith([&under] { return under; });

    sendMouse(strip, QEvent::MouseMove, {15, 15});
    strip->checkPointerLeft();
    EXPECT_EQ(events, (std::vector<std::string>{"enter 1"}));
    under = &window;
    strip->checkPointerLeft();
    strip->checkPointerLeft();
    EXPECT_EQ(events, (std::vector<std::string>{"enter 1", "leave 1"}));

    // The real timer does the same on its own.
    under = strip;
    sendMouse(strip, QEvent::MouseMove, {16, 15});
    under = nullptr;
    EXPECT_TRUE(lxtv::test::waitFor([this] { return events.size() == 4; }, 1000));
    EXPECT_EQ(events.back(), "leave 1");
}

// A press raises leftButtonDown first, then objectPressed with the object (0 for none); the
// second press of a double click raises neither.
TEST_F(StripFixture, PressesAndDoubleClicks) {
    strip->createObject(templ, 10, 10);
    strip->setObjectPicture(1, halfTransparentPng(20, 20));

    sendMouse(strip, QEvent::MouseButtonPress, {25, 12}, Qt::LeftButton, Qt::LeftButton,
              Qt::ShiftModifier);
    sendMouse(strip, QEvent::MouseButtonRelease, {25, 12}, Qt::LeftButton);
    sendMouse(strip, QEvent::MouseButtonDblClick, {25, 12}, Qt::LeftButton, Qt::LeftButton);
    sendMouse(strip, QEvent::MouseButtonRelease, {25, 12}, Qt::LeftButton);
    sendMouse(strip, QEvent::MouseButtonPress, {12, 12}, Qt::LeftButton, Qt::LeftButton);
    sendMouse(strip, QEvent::MouseButtonPress, {25, 12}, Qt::RightButton, Qt::RightButton);

    EXPECT_EQ(events,
              (std::vector<std::string>{"down 25,12 5", "pressed 1", "down 12,12 1", "pressed 0"}));
}
