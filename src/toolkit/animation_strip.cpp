#include "toolkit/animation_strip.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>

#include "platform/png_decode.h"
#include "toolkit/geometry.h"
#include "toolkit/strip_template.h"

namespace lxtv::toolkit {

platform::Seam<QWidget*()> widgetUnderPointer([] {
    return QApplication::widgetAt(QCursor::pos());
});

namespace {

int keyState(Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers) {
    int keys = 0;
    if (buttons & Qt::LeftButton) keys |= 0x0001;
    if (buttons & Qt::RightButton) keys |= 0x0002;
    if (modifiers & Qt::ShiftModifier) keys |= 0x0004;
    if (modifiers & Qt::ControlModifier) keys |= 0x0008;
    if (buttons & Qt::MiddleButton) keys |= 0x0010;
    return keys;
}

QImage decodePicture(const QByteArray& bytes) {
    QImage image =
        platform::looksLikePng(bytes) ? platform::decodePng(bytes) : QImage::fromData(bytes);
    if (image.isNull() || image.width() <= 0 || image.height() <= 0) return {};
    return image.convertToFormat(QImage::Format_ARGB32);
}

}  // namespace

QPoint AnimationStrip::Object::place() const {
    return QPoint(clampPlace(left), clampPlace(top));
}

QRect AnimationStrip::Object::rect() const {
    return picture.isNull() ? QRect() : QRect(place(), picture.size());
}

AnimationStrip::AnimationStrip(QWidget* parent) : QWidget(parent) {
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    leaveTimer_.setInterval(5);
    connect(&leaveTimer_, &QTimer::timeout, this, &AnimationStrip::checkPointerLeft);
}

void AnimationStrip::setBackgroundPicture(const Picture& picture) {
    background_ = picture;
    update();
}

AnimationStrip::Object* AnimationStrip::find(int id) {
    for (auto& o : objects_)
        if (o.id == id) return &o;
    return nullptr;
}

const AnimationStrip::Object* AnimationStrip::find(int id) const {
    for (const auto& o : objects_)
        if (o.id == id) return &o;
    return nullptr;
}

int AnimationStrip::createObject(const StripTemplate* templ, double left, double top) {
    Object o;
    o.id = nextId_++;
    o.layer = templ ? templ->layer() : 0;
    o.left = std::trunc(left);
    o.top = std::trunc(top);
    // Keep the list ordered by layer; within a layer the newest goes on top.
    auto at = objects_.end();
    while (at != objects_.begin() && std::prev(at)->layer > o.layer) --at;
    objects_.insert(at, o);
    return o.id;
}

bool AnimationStrip::hasObject(int id) const {
    return find(id) != nullptr;
}

QPoint AnimationStrip::objectPlace(int id) const {
    const Object* o = find(id);
    return o ? o->place() : QPoint();
}

QImage AnimationStrip::objectPicture(int id) const {
    const Object* o = find(id);
    return o ? o->picture.image() : QImage();
}

void AnimationStrip::setObjectPicture(int id, const QByteArray& bytes,
                                      const QByteArray& fineBytes) {
    Object* o = find(id);
    if (!o) return;
    const QRect old = o->rect();
    const QImage picture = decodePicture(bytes);
    o->picture = Picture(picture, picture.isNull() ? QImage() : decodePicture(fineBytes));
    update(old.united(o->rect()));
}

void AnimationStrip::moveObject(int id, double left, double top) {
    Object* o = find(id);
    if (!o) return;
    const QPoint oldPlace = o->place();
    const QRect old = o->rect();
    o->left = left;
    o->top = top;
    if (o->place() == oldPlace) return;  // same pixels: nothing to repaint
    update(old.united(o->rect()));
}

int AnimationStrip::objectAt(QPoint point) const {
    for (auto it = objects_.rbegin(); it != objects_.rend(); ++it) {
        if (!it->rect().contains(point)) continue;
        const QPoint inside = point - it->place();
        if (qAlpha(it->picture.image().pixel(inside)) != 0) return it->id;
    }
    return 0;
}

void AnimationStrip::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    painter.setClipRegion(event->region());
    painter.fillRect(rect(), Qt::white);
    background_.draw(painter, rect());
    for (const auto& o : objects_) o.picture.draw(painter, o.rect());
}

void AnimationStrip::setHovered(int hit) {
    if (hovered_ != 0 && hovered_ != hit) {
        const int left = hovered_;
        hovered_ = 0;
        leaveTimer_.stop();
        emit objectLeft(left, pressed_);
    }
    if (hit != 0 && hit != hovered_) {
        hovered_ = hit;
        leaveTimer_.start();
        emit objectEntered(hit, pressed_);
    }
}

void AnimationStrip::checkPointerLeft() {
    if (hovered_ == 0) {
        leaveTimer_.stop();
        return;
    }
    if (widgetUnderPointer() != this) setHovered(0);
}

void AnimationStrip::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    const QPoint p = event->position().toPoint();
    leftHeld_ = true;
    lastHeldPointer_ = event->globalPosition().toPoint();
    pressed_ = objectAt(p);
    emit leftButtonDown(p.x(), p.y(), keyState(event->buttons(), event->modifiers()));
    emit objectPressed(objectAt(p));
}

void AnimationStrip::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press of a double click is not a press of an object.
    event->accept();
}

void AnimationStrip::mouseMoveEvent(QMouseEvent* event) {
    const QPoint global = event->globalPosition().toPoint();
    if (leftHeld_ && !(event->buttons() & Qt::LeftButton)) {
        // The release went elsewhere (the mouse grab was taken away). The press ended where the
        // pointer was last seen held; report that first, so a window drag stops following.
        leftHeld_ = false;
        pressed_ = 0;
        emit leftButtonLost(lastHeldPointer_);
    }
    if (leftHeld_) lastHeldPointer_ = global;
    emit pointerMoved(global);
    setHovered(objectAt(event->position().toPoint()));
}

void AnimationStrip::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return;
    leftHeld_ = false;
    pressed_ = 0;
    emit leftButtonUp(event->globalPosition().toPoint());
}

}  // namespace lxtv::toolkit
