#include "toolkit/frame_panel.h"

#include <QPainter>
#include <algorithm>

namespace lxtv::toolkit {

FramePanel::FramePanel(QWidget* parent) : QWidget(parent) {}

void FramePanel::setLine(int width, const QColor& color) {
    lineWidth_ = std::max(0, width);
    lineColor_ = color;
    update();
}

void FramePanel::setFill(const QColor& color) {
    fill_ = color;
    update();
}

void FramePanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), fill_);
    const int w = std::min(lineWidth_, std::min(width(), height()) / 2 + 1);
    if (w <= 0) return;
    // The line lies inside the edges, w pixels on each side.
    painter.fillRect(QRect(0, 0, width(), w), lineColor_);
    painter.fillRect(QRect(0, height() - w, width(), w), lineColor_);
    painter.fillRect(QRect(0, 0, w, height()), lineColor_);
    painter.fillRect(QRect(width() - w, 0, w, height()), lineColor_);
}

}  // namespace lxtv::toolkit
