#include "toolkit/picture_panel.h"

#include <QPainter>

namespace lxtv::toolkit {

PicturePanel::PicturePanel(QWidget* parent) : QWidget(parent) {}

void PicturePanel::setPicture(const QImage& picture) {
    picture_ = picture;
    update();
}

void PicturePanel::setDisplayMode(int mode) {
    mode_ = mode;
    update();
}

QRect PicturePanel::pictureRect() const {
    if (picture_.isNull()) return {};
    const QSize natural = picture_.size();
    switch (mode_) {
        case 1:
            return rect();
        case 2: {
            QSize fitted = natural;
            if (natural.width() > width() || natural.height() > height())
                fitted = natural.scaled(size(), Qt::KeepAspectRatio);
            return QRect(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2),
                         fitted);
        }
        default:
            return QRect(QPoint(0, 0), natural);
    }
}

void PicturePanel::paintEvent(QPaintEvent*) {
    const QRect target = pictureRect();
    if (target.isEmpty()) return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, mode_ == 2);
    painter.drawImage(target, picture_);
}

}  // namespace lxtv::toolkit
