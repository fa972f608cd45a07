#include "toolkit/picture.h"

#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>

namespace lxtv::toolkit {

Picture::Picture(const QImage& image, const QImage& fine) : image_(image) {
    if (!image_.isNull() && !fine.isNull() && fine.size() == image_.size() * 2) {
        fine_ = fine;
        fine_.setDevicePixelRatio(2);
    }
}

QString Picture::fineName(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    const qsizetype at = dot > slash ? dot : path.size();
    return path.left(at) + QLatin1String("@2x") + path.mid(at);
}

Picture Picture::load(const QString& path) {
    return Picture(QImage(path), QImage(fineName(path)));
}

const QImage& Picture::forRatio(qreal ratio) const {
    return ratio > 1 && !fine_.isNull() ? fine_ : image_;
}

void Picture::draw(QPainter& painter, const QRect& target) const {
    if (image_.isNull() || target.isEmpty()) return;
    // The device the engine really paints on: a window's backing store, or the image a widget
    // is rendered into, which may be finer than the widget's own screen.
    const QPaintEngine* engine = painter.paintEngine();
    const QPaintDevice* device =
        engine && engine->paintDevice() ? engine->paintDevice() : painter.device();
    const QImage& chosen = forRatio(device ? device->devicePixelRatioF() : 1.0);
    painter.drawImage(target, chosen, chosen.rect());
}

}  // namespace lxtv::toolkit
