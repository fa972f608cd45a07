#include "toolkit/picture_button.h"

#include <QMouseEvent>
#include <QPainter>
#include <QRegion>
#include <algorithm>

namespace lxtv::toolkit {

PictureButton::PictureButton(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::NoFocus);
}

void PictureButton::setNormalPicture(const Picture& p) {
    normal_ = p;
    refresh();
}
void PictureButton::setHoverPicture(const Picture& p) {
    hover_ = p;
    refresh();
}
void PictureButton::setPressedPicture(const Picture& p) {
    pressed_ = p;
    refresh();
}
void PictureButton::setDisabledPicture(const Picture& p) {
    disabled_ = p;
    refresh();
}

void PictureButton::setTransparentColor(std::optional<QColor> color) {
    transparent_ = color;
    maskSet_ = false;
    clearMask();
    refresh();
}

PictureButton::State PictureButton::state() const {
    if (!isEnabled()) return State::Disabled;
    if (held_) return overWhileHeld_ ? State::Pressed : State::Normal;
    return hovered_ ? State::Hover : State::Normal;
}

const Picture& PictureButton::currentSlot() const {
    const Picture* slot = &normal_;
    switch (state()) {
        case State::Disabled:
            slot = &disabled_;
            break;
        case State::Pressed:
            slot = &pressed_;
            break;
        case State::Hover:
            slot = &hover_;
            break;
        case State::Normal:
            break;
    }
    // A state without a picture of its own shows the normal one.
    return slot->isNull() ? normal_ : *slot;
}

void PictureButton::refresh() {
    updateMask();
    update();
}

void PictureButton::updateMask() {
    if (!transparent_) {
        if (maskSet_) clearMask();
        maskSet_ = false;
        return;
    }
    const QImage picture = currentPicture();
    if (maskSet_ && picture.cacheKey() == maskKey_ && size() == maskSize_) return;
    maskSet_ = true;
    maskKey_ = picture.cacheKey();
    maskSize_ = size();
    // The region holds the picture's pixels that are neither of the transparent colour nor
    // fully transparent themselves; the rest of the rectangle belongs to the parent.
    QRegion region;
    if (!picture.isNull()) {
        const QImage argb = picture.convertToFormat(QImage::Format_ARGB32);
        const QRgb key = transparent_->rgb() & 0x00FFFFFF;
        const int w = std::min(argb.width(), width());
        const int h = std::min(argb.height(), height());
        for (int y = 0; y < h; ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
            int runStart = -1;
            for (int x = 0; x <= w; ++x) {
                const bool solid = x < w && qAlpha(line[x]) != 0 && (line[x] & 0x00FFFFFF) != key;
                if (solid && runStart < 0) runStart = x;
                if (!solid && runStart >= 0) {
                    region += QRect(runStart, y, x - runStart, 1);
                    runStart = -1;
                }
            }
        }
    }
    // An empty region means "no mask" to Qt; a region outside the widget hides all of it, as
    // an empty window region does.
    if (region.isEmpty()) region = QRegion(-2, -2, 1, 1);
    setMask(region);
}

void PictureButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    const Picture& picture = currentSlot();
    picture.draw(painter, QRect(QPoint(0, 0), picture.size()));
}

void PictureButton::enterEvent(QEnterEvent*) {
    hovered_ = true;
    refresh();
}

void PictureButton::leaveEvent(QEvent*) {
    hovered_ = false;
    refresh();
}

void PictureButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    // Qt grabs the mouse for this widget until the release.
    held_ = true;
    overWhileHeld_ = true;
    refresh();
}

void PictureButton::mouseMoveEvent(QMouseEvent* event) {
    if (!held_) return;
    const bool over = rect().contains(event->position().toPoint());
    if (over != overWhileHeld_) {
        overWhileHeld_ = over;
        hovered_ = over;
        refresh();
    }
}

void PictureButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !held_) return;
    held_ = false;
    const bool over = rect().contains(event->position().toPoint());
    hovered_ = over;
    refresh();
    if (over) emit clicked();
}

void PictureButton::resizeEvent(QResizeEvent*) {
    updateMask();
}

void PictureButton::changeEvent(QEvent* event) {
    if (event->type() == QEvent::EnabledChange) {
        held_ = false;
        refresh();
    }
    QWidget::changeEvent(event);
}

}  // namespace lxtv::toolkit
