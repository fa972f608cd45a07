#pragma once

// A window that paints a background picture stretched over a white background and holds
// picture objects, numbered from 1 in creation order. Objects of one layer stack in creation
// order, the later on top. It reports presses, and the pointer entering and leaving objects.

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <vector>

#include "platform/seam.h"
#include "toolkit/picture.h"

namespace lxtv::toolkit {

class StripTemplate;

// Which widget is under the pointer, as the strip's leave timer asks:
// QApplication::widgetAt(QCursor::pos()). Tests stand in for it.
extern platform::Seam<QWidget*()> widgetUnderPointer;

class AnimationStrip : public QWidget {
    Q_OBJECT

  public:
    explicit AnimationStrip(QWidget* parent);

    void setBackgroundPicture(const Picture& picture);

    // Creates an object with the template's settings and no picture at (left, top), truncated
    // toward zero; returns its id (1, 2, ... never reused).
    int createObject(const StripTemplate* templ, double left, double top);
    // Decodes PNG or GIF bytes and shows the result as the object's picture, with its own
    // transparency. Bytes that give no picture leave the object without one. Unknown ids are
    // ignored. `fineBytes`, when given, are the same picture at twice the size, drawn instead on
    // a screen of a higher pixel ratio; the place, size and hit test keep to `bytes`.
    void setObjectPicture(int id, const QByteArray& bytes, const QByteArray& fineBytes = {});
    void moveObject(int id, double left, double top);

    bool hasObject(int id) const;
    QPoint objectPlace(int id) const;  // integer place; (0,0) for an unknown id
    QImage objectPicture(int id) const;
    int objectCount() const { return static_cast<int>(objects_.size()); }

    // The topmost object with a non-transparent pixel of its picture at `point`, or 0.
    int objectAt(QPoint point) const;
    int hoveredObject() const { return hovered_; }

    // Runs the leave timer's check once.
    void checkPointerLeft();

  signals:
    // keys: 0x0001 left button, 0x0002 right, 0x0004 Shift, 0x0008 Ctrl, 0x0010 middle.
    void leftButtonDown(int x, int y, int keys);
    void objectPressed(int id);
    void objectEntered(int id, int pressedId);
    void objectLeft(int id, int pressedId);
    // Global pointer positions while the mouse moves over the strip (or is held from a press on
    // it) and when the left button is released; the window drag follows these.
    void pointerMoved(QPoint globalPos);
    void leftButtonUp(QPoint globalPos);
    // A press whose release went elsewhere (the mouse grab was taken away, by a dialog say),
    // noticed at the first move over the strip without the left button; with the position last
    // seen while the button was held.
    void leftButtonLost(QPoint globalPos);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    struct Object {
        int id = 0;
        int layer = 0;
        double left = 0, top = 0;
        Picture picture;  // ARGB32, null when none
        QPoint place() const;
        QRect rect() const;
    };
    Object* find(int id);
    const Object* find(int id) const;
    void setHovered(int hit);

    Picture background_;
    std::vector<Object> objects_;  // in stacking order, bottom first
    int nextId_ = 1;
    int hovered_ = 0;
    int pressed_ = 0;
    bool leftHeld_ = false;   // a left press on the strip whose release has not come yet
    QPoint lastHeldPointer_;  // global pointer position last seen with that press held
    QTimer leaveTimer_;
};

}  // namespace lxtv::toolkit
