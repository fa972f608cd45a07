#include "toolkit/geometry.h"

#include <cmath>

namespace lxtv::toolkit {
namespace {

int truncateClamped(double value, int low, int high) {
    if (std::isnan(value)) return 0;
    const double t = std::trunc(value);
    if (t < low) return low;
    if (t > high) return high;
    return static_cast<int>(t);
}

// A top-level window's outer rectangle includes its frame; a child's is its geometry.
QRect outerRect(const QWidget* w) {
    return w->isWindow() ? w->frameGeometry() : w->geometry();
}

}  // namespace

int clampSize(double value) {
    return truncateClamped(value, 0, maxWrittenSize);
}
int clampPlace(double value) {
    return truncateClamped(value, -maxWrittenPlace, maxWrittenPlace);
}

int left(const QWidget* w) {
    return outerRect(w).x();
}
int top(const QWidget* w) {
    return outerRect(w).y();
}
int width(const QWidget* w) {
    return outerRect(w).width();
}
int height(const QWidget* w) {
    return outerRect(w).height();
}

void setLeft(QWidget* w, double value) {
    w->move(clampPlace(value), top(w));
}
void setTop(QWidget* w, double value) {
    w->move(left(w), clampPlace(value));
}

void setWidth(QWidget* w, double value) {
    const int extra = w->isWindow() ? w->frameGeometry().width() - w->width() : 0;
    w->resize(std::max(0, clampSize(value) - extra), w->height());
}

void setHeight(QWidget* w, double value) {
    const int extra = w->isWindow() ? w->frameGeometry().height() - w->height() : 0;
    w->resize(w->width(), std::max(0, clampSize(value) - extra));
}

}  // namespace lxtv::toolkit
