#pragma once

// A button drawn from pictures: normal, hover, pressed and disabled slots and an optional
// transparent colour that cuts the button's shape to the picture.

#include <QColor>
#include <QImage>
#include <QWidget>
#include <optional>

#include "toolkit/picture.h"

namespace lxtv::toolkit {

class PictureButton : public QWidget {
    Q_OBJECT

  public:
    explicit PictureButton(QWidget* parent);

    enum class State { Normal, Hover, Pressed, Disabled };

    void setNormalPicture(const Picture& picture);
    void setHoverPicture(const Picture& picture);
    void setPressedPicture(const Picture& picture);
    void setDisabledPicture(const Picture& picture);
    // Pixels of this colour in the current picture are cut out of the button, so the parent
    // shows (and takes the mouse) through them.
    void setTransparentColor(std::optional<QColor> color);

    State state() const;
    // The picture that the current state shows (may be null: then only the black background),
    // at its stated size; a screen of a higher pixel ratio is drawn from its finer variant.
    QImage currentPicture() const { return currentSlot().image(); }

  signals:
    void clicked();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void refresh();
    void updateMask();
    const Picture& currentSlot() const;

    Picture normal_, hover_, pressed_, disabled_;
    std::optional<QColor> transparent_;
    bool hovered_ = false;
    bool held_ = false;  // left button went down on the button and is still down
    bool overWhileHeld_ = false;
    bool maskSet_ = false;  // the mask below is in force
    qint64 maskKey_ = 0;    // picture and size that the mask was cut for
    QSize maskSize_;
};

}  // namespace lxtv::toolkit
