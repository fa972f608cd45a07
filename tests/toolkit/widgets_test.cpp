// Behaviour of the simple widget kinds: geometry properties, picture buttons, panels, the edit
// box's byte limit.

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>

#include "support/event_helpers.h"
#include "support/test_support.h"
#include "toolkit/edit_box.h"
#include "toolkit/frame_panel.h"
#include "toolkit/geometry.h"
#include "toolkit/picture_button.h"
#include "toolkit/picture_panel.h"
#include "toolkit/transparent_label.h"

using namespace lxtv::toolkit;

namespace {

QImage solid(int w, int h, QColor colour) {
    QImage image(w, h, QImage::Format_ARGB32);
    image.fill(colour);
    return image;
}

using lxtv::test::sendMouse;

// What the widget draws on a device of the given pixel ratio, in device pixels. The shape is
// left out (rendering through a window shape draws nothing here); tests read it from mask().
QImage renderAt(QWidget& widget, qreal ratio) {
    QImage target(widget.size() * ratio, QImage::Format_ARGB32);
    target.setDevicePixelRatio(ratio);
    target.fill(Qt::transparent);
    widget.render(&target, QPoint(), QRegion(),
                  QWidget::DrawWindowBackground | QWidget::DrawChildren | QWidget::IgnoreMask);
    return target;
}

}  // namespace

// The variant's file sits beside the picture's, "@2x" before the extension; a variant of any
// other size than twice the picture is not used.
TEST(Picture, FineVariantNameSizeAndChoice) {
    const struct {
        const char* path;
        const char* fine;
    } names[] = {
        {":/assets/buttons/homeButton.gif", ":/assets/buttons/homeButton@2x.gif"},
        {"tree/0.png", "tree/0@2x.png"},
        {"a.b/noext", "a.b/noext@2x"},
        {"x.tar.gz", "x.tar@2x.gz"},
    };
    for (const auto& n : names)
        EXPECT_EQ(Picture::fineName(QString::fromUtf8(n.path)), QString::fromUtf8(n.fine));

    const QImage base = solid(10, 8, Qt::red);
    const Picture good(base, solid(20, 16, Qt::blue));
    EXPECT_EQ(good.fine().devicePixelRatio(), 2.0);
    EXPECT_EQ(good.size(), QSize(10, 8));
    EXPECT_EQ(good.forRatio(1).size(), QSize(10, 8));
    EXPECT_EQ(good.forRatio(1.5).size(), QSize(20, 16));
    EXPECT_EQ(good.forRatio(2).size(), QSize(20, 16));
    for (const QSize wrong : {QSize(20, 17), QSize(10, 8), QSize(30, 24)})
        EXPECT_TRUE(Picture(base, solid(wrong.width(), wrong.height(), Qt::blue)).fine().isNull());
    EXPECT_TRUE(Picture(QImage(), solid(20, 16, Qt::blue)).fine().isNull());

    // A real picture of the skin and its variant, by the picture's name.
    const Picture loaded =
        Picture::load(QStringLiteral(LXTV_SOURCE_DIR "/assets/buttons/homeButton.gif"));
    EXPECT_EQ(loaded.size(), QSize(26, 26));
    EXPECT_EQ(loaded.fine().size(), QSize(52, 52));
    EXPECT_TRUE(Picture::load(QStringLiteral(LXTV_SOURCE_DIR "/assets/none.gif")).isNull());
}

// On a finer screen a button and a panel draw their pictures' variants; their size and the
// button's shape still come from the picture, in device-independent pixels.
TEST(Picture, FinerScreensDrawTheVariantInThePicturesPlace) {
    QWidget parent;
    PictureButton button(&parent);
    button.setGeometry(0, 0, 10, 10);
    QImage base = solid(10, 10, Qt::white);
    QPainter(&base).fillRect(5, 0, 5, 10, Qt::red);
    button.setNormalPicture(Picture(base, solid(20, 20, Qt::blue)));
    button.setTransparentColor(QColor(Qt::white));
    EXPECT_EQ(button.mask(), QRegion(5, 0, 5, 10));
    EXPECT_EQ(button.currentPicture().size(), QSize(10, 10));
    EXPECT_EQ(renderAt(button, 1).pixel(7, 5), qRgb(255, 0, 0));
    const QImage fine = renderAt(button, 2);
    EXPECT_EQ(fine.pixel(14, 10), qRgb(0, 0, 255));
    EXPECT_EQ(fine.pixel(19, 19), qRgb(0, 0, 255));

    PicturePanel panel(&parent);
    panel.setGeometry(0, 0, 10, 10);
    panel.setPicture(Picture(solid(4, 4, Qt::red), solid(8, 8, Qt::blue)));
    EXPECT_EQ(panel.pictureRect(), QRect(0, 0, 4, 4));
    const QImage drawn = renderAt(panel, 2);
    EXPECT_EQ(drawn.pixel(7, 7), qRgb(0, 0, 255));
    EXPECT_NE(drawn.pixel(8, 8), qRgb(0, 0, 255));  // the picture ends at 4 device-independent
    EXPECT_EQ(renderAt(panel, 1).pixel(3, 3), qRgb(255, 0, 0));
}

// Written values are truncated toward zero, then clamped (sizes 0..32627, places +-32627).
TEST(Geometry, WritesTruncateAndClamp) {
    QWidget parent;
    QWidget child(&parent);
    child.setGeometry(10, 20, 30, 40);
    struct Row {
        double value;
        int size;
        int place;
    } rows[] = {
        {12.9, 12, 12},        {-12.9, 0, -12},     {-0.5, 0, 0},
        {40000, 32627, 32627}, {-40000, 0, -32627}, {32627.99, 32627, 32627},
    };
    for (const auto& r : rows) {
        setWidth(&child, r.value);
        setHeight(&child, r.value);
        setLeft(&child, r.value);
        setTop(&child, r.value);
        EXPECT_EQ(width(&child), r.size) << r.value;
        EXPECT_EQ(height(&child), r.size) << r.value;
        EXPECT_EQ(left(&child), r.place) << r.value;
        EXPECT_EQ(top(&child), r.place) << r.value;
    }
}

// A hidden control keeps and reports the values written to it.
TEST(Geometry, HiddenControlReadsBackItsValues) {
    QWidget parent;
    QWidget hidden(&parent);
    hidden.hide();
    hidden.setGeometry(774, 7, 21, 20);
    setLeft(&hidden, 5);
    EXPECT_EQ(left(&hidden), 5);
    EXPECT_EQ(top(&hidden), 7);
    EXPECT_EQ(width(&hidden), 21);
}

// Hover, press and normal pictures; a state with no picture of its own shows the normal one.
TEST(PictureButton, ShowsThePictureOfItsState) {
    QWidget parent;
    PictureButton button(&parent);
    button.setGeometry(0, 0, 20, 20);
    const QImage normal = solid(20, 20, Qt::blue), hover = solid(20, 20, Qt::red),
                 pressed = solid(20, 20, Qt::green);
    button.setNormalPicture(normal);
    button.setHoverPicture(hover);
    parent.show();

    EXPECT_EQ(button.currentPicture(), normal);
    QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), QPointF(5, 5));
    QApplication::sendEvent(&button, &enter);
    EXPECT_EQ(button.currentPicture(), hover);
    // No pressed picture yet: the pressed state shows the normal one.
    sendMouse(&button, QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(button.state(), PictureButton::State::Pressed);
    EXPECT_EQ(button.currentPicture(), normal);
    button.setPressedPicture(pressed);
    EXPECT_EQ(button.currentPicture(), pressed);
    // Dragged off while held: no longer pressed.
    sendMouse(&button, QEvent::MouseMove, {50, 5}, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(button.currentPicture(), normal);
    sendMouse(&button, QEvent::MouseMove, {6, 6}, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(button.currentPicture(), pressed);

    button.setEnabled(false);
    EXPECT_EQ(button.currentPicture(), normal);  // no disabled picture
    button.setDisabledPicture(hover);
    EXPECT_EQ(button.currentPicture(), hover);
}

// clicked comes with a release over the button only, and only after a press on it.
TEST(PictureButton, ClickedOnReleaseOverTheButton) {
    QWidget parent;
    PictureButton button(&parent);
    button.setGeometry(0, 0, 20, 20);
    parent.show();
    int clicks = 0;
    QObject::connect(&button, &PictureButton::clicked, [&clicks] { ++clicks; });

    sendMouse(&button, QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(clicks, 0);
    sendMouse(&button, QEvent::MouseButtonRelease, {5, 5}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(clicks, 1);

    sendMouse(&button, QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton, Qt::LeftButton);
    sendMouse(&button, QEvent::MouseButtonRelease, {30, 5}, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(clicks, 1);

    sendMouse(&button, QEvent::MouseButtonRelease, {5, 5}, Qt::LeftButton, Qt::NoButton);
    sendMouse(&button, QEvent::MouseButtonPress, {5, 5}, Qt::RightButton, Qt::RightButton);
    sendMouse(&button, QEvent::MouseButtonRelease, {5, 5}, Qt::RightButton, Qt::NoButton);
    EXPECT_EQ(clicks, 1);
}

// With a transparent colour the button's shape is the picture's other pixels, clipped to the
// button; without one it is the whole rectangle.
TEST(PictureButton, TransparentColourCutsTheShape) {
    QWidget parent;
    PictureButton button(&parent);
    button.setGeometry(0, 0, 25, 25);
    QImage picture = solid(26, 26, Qt::white);
    for (int y = 10; y < 16; ++y)
        for (int x = 20; x < 26; ++x) picture.setPixel(x, y, qRgb(0, 0, 128));
    button.setNormalPicture(picture);
    EXPECT_TRUE(button.mask().isEmpty());

    button.setTransparentColor(QColor(Qt::white));
    const QRegion shape = button.mask();
    EXPECT_EQ(shape.boundingRect(), QRect(20, 10, 5, 6));  // the 26th column is clipped
    EXPECT_FALSE(shape.contains(QPoint(0, 0)));

    // A hover picture changes the shape while hovered.
    button.setHoverPicture(solid(26, 26, Qt::black));
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QApplication::sendEvent(&button, &enter);
    EXPECT_EQ(button.mask().boundingRect(), QRect(0, 0, 25, 25));

    button.setTransparentColor(std::nullopt);
    EXPECT_TRUE(button.mask().isEmpty());
}

// Mode 0 natural size at the corner, 1 stretched, 2 scaled down to fit and centred (never up).
TEST(PicturePanel, DisplayModes) {
    PicturePanel panel(nullptr);
    panel.resize(100, 50);
    panel.setPicture(solid(40, 20, Qt::red));
    struct Row {
        int mode;
        QSize picture;
        QRect expected;
    } rows[] = {
        {0, {40, 20}, {0, 0, 40, 20}},   {1, {40, 20}, {0, 0, 100, 50}},
        {2, {40, 20}, {30, 15, 40, 20}}, {2, {200, 50}, {0, 12, 100, 25}},
        {2, {50, 100}, {37, 0, 25, 50}},
    };
    for (const auto& r : rows) {
        panel.setPicture(solid(r.picture.width(), r.picture.height(), Qt::red));
        panel.setDisplayMode(static_cast<PicturePanel::DisplayMode>(r.mode));
        EXPECT_EQ(panel.pictureRect(), r.expected) << r.mode;
    }
    panel.setPicture(QImage());
    EXPECT_TRUE(panel.pictureRect().isEmpty());
}

TEST(TransparentLabel, KeepsTextInBothEncodings) {
    TransparentLabel label(nullptr);
    label.setAnsiText(lxtv::test::gbk("电影 & 电视"));
    EXPECT_EQ(label.text(), QString::fromUtf8("电影 & 电视"));
    EXPECT_EQ(label.ansiText(), lxtv::test::gbk("电影 & 电视"));
}

// A label draws nothing but its text: the parent shows through everywhere else, "&" is drawn
// as a character (no mnemonic underline in its place), the text starts at the left edge and
// sits in the middle of the label's height.
TEST(TransparentLabel, DrawsOnlyItsTextLeftAlignedAndCentred) {
    const QColor ground(0, 255, 0);
    QWidget parent;
    parent.resize(200, 40);
    QPalette colours = parent.palette();
    colours.setColor(QPalette::Window, ground);
    parent.setPalette(colours);
    parent.setAutoFillBackground(true);
    TransparentLabel label(&parent);
    label.setGeometry(0, 0, 200, 40);
    label.setColor(Qt::black);

    // Bounding box of every pixel the label changed.
    const auto ink = [&](const QString& text) {
        label.setText(text);
        QImage image(parent.size(), QImage::Format_RGB32);
        parent.render(&image);
        QRect box;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (QColor(image.pixel(x, y)) != ground) box |= QRect(x, y, 1, 1);
        return box;
    };
    EXPECT_TRUE(ink(QString()).isEmpty());
    const QRect plain = ink(QStringLiteral("HH"));
    ASSERT_FALSE(plain.isEmpty());
    EXPECT_LE(plain.left(), 3);
    EXPECT_NEAR(plain.center().y(), 20, 3);
    EXPECT_GT(plain.top(), 8);
    const QRect withAmpersand = ink(QStringLiteral("&HH"));
    EXPECT_GT(withAmpersand.width(), plain.width() + 3);
    EXPECT_LE(withAmpersand.left(), 3);
}

// A frame draws its line inside its edges, its fill inside the line.
TEST(FramePanel, LineInsideTheEdgesAndFill) {
    const QColor line(149, 178, 200), fill(233, 240, 244);
    FramePanel frame(nullptr);
    frame.resize(20, 10);
    frame.setFill(fill);
    for (const int lineWidth : {1, 2}) {
        frame.setLine(lineWidth, line);
        QImage image(frame.size(), QImage::Format_RGB32);
        frame.render(&image);
        const int w = lineWidth;
        for (const QPoint p : {QPoint(0, 0), QPoint(19, 9), QPoint(10, w - 1), QPoint(w - 1, 5),
                               QPoint(20 - w, 5), QPoint(10, 10 - w)})
            EXPECT_EQ(QColor(image.pixel(p)), line) << lineWidth << " at " << p.x() << "," << p.y();
        for (const QPoint p : {QPoint(w, w), QPoint(19 - w, 9 - w), QPoint(10, 5)})
            EXPECT_EQ(QColor(image.pixel(p)), fill) << lineWidth << " at " << p.x() << "," << p.y();
    }
}

// The limit counts code page 936 bytes: 40 ASCII characters or 20 Chinese ones, for typing and
// for pasting (a paste is cut to what fits).
TEST(EditBox, FortyByteLimitForTypingAndPasting) {
    QWidget parent;
    EditBox edit(&parent);
    parent.show();

    lxtv::test::typeText(&edit, QString(45, QLatin1Char('a')));
    EXPECT_EQ(edit.text(), std::string(40, 'a'));

    edit.clear();
    lxtv::test::typeText(&edit, QString::fromUtf8("一二三四五六七八九十一二三四五六七八九十一二"));
    EXPECT_EQ(edit.QLineEdit::text(),
              QString::fromUtf8("一二三四五六七八九十一二三四五六七八九十"));
    EXPECT_EQ(edit.text().size(), 40u);

    // 39 bytes leave no room for a two-byte character, but room for one more ASCII byte.
    edit.clear();
    edit.insert(QString(39, QLatin1Char('x')));
    lxtv::test::typeText(&edit, QString::fromUtf8("中"));
    EXPECT_EQ(edit.text().size(), 39u);
    lxtv::test::typeText(&edit, QStringLiteral("yz"));
    EXPECT_EQ(edit.text(), std::string(39, 'x') + "y");

    // A paste in the middle is cut so the text still fits; what was there stays.
    edit.clear();
    edit.insert(QStringLiteral("abcdef"));
    edit.setCursorPosition(3);
    edit.insert(QString::fromUtf8("电视电视电视电视电视电视电视电视电视电视电视"));
    EXPECT_EQ(edit.text().size(), 40u);
    EXPECT_EQ(edit.QLineEdit::text(), QStringLiteral("abc") +
                                          QString::fromUtf8("电视电视电视电视电视电视电视电视电") +
                                          QStringLiteral("def"));
    EXPECT_EQ(edit.text(), lxtv::test::gbk("abc电视电视电视电视电视电视电视电视电def"));

    // A paste as long as the edit takes at all is cut just the same (and at once).
    edit.clear();
    edit.insert(QStringLiteral("ab"));
    edit.setCursorPosition(1);
    edit.insert(QString(32000, QChar(0x4E2D)));
    EXPECT_EQ(edit.QLineEdit::text(),
              QStringLiteral("a") + QString(19, QChar(0x4E2D)) + QStringLiteral("b"));

    // A character outside the basic plane is cut whole, never leaving half of it behind.
    edit.clear();
    edit.insert(QString(40, QLatin1Char('x')));
    edit.insert(QString::fromUtf8("😀"));
    EXPECT_EQ(edit.QLineEdit::text(), QString(40, QLatin1Char('x')));
}
