#include "toolkit/picture_panel.h"

#include <QPainter>

namespace lxtv::toolkit {

PicturePanel::PicturePanel(QWidget* parent) : QWidget(parent) {}

void PicturePanel::setPicture(const Picture& picture) {
    picture_ = picture;
    update();
}

void PicturePanel::setDisplayMode(DisplayMode mode) {
    mode_ = mode;
    update();
}

QRect PicturePanel::pictureRect() const {
    if (picture_.isNull()) return {};
    const QSize natural = picture_.size();
    switch (mode_) {
        case DisplayMode::stretched:
            return rect();
        case DisplayMode::fitted: {
            QSize fitted = natural;
            if (natural.width() > width() || natural.height() > height())
                fitted = natural.scaled(size(), Qt::KeepAspectRatio);
            return QRect(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2),
                         fitted);
        }
        case DisplayMode::natural:
            break;
    }
    return QRect(QPoint(0, 0), natural);
}

void PicturePanel::paintEvent(QPaintEvent*) {
    const QRect target = pictureRect();
    if (target.isEmpty()) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, mode_ == DisplayMode::fitted);
    picture_.draw(painter, target);
}

}  // namespace lxtv::toolkit
