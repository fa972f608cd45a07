#pragma once

// A panel that paints one picture, in one of three display modes.

#include <QImage>
#include <QWidget>

#include "toolkit/picture.h"

namespace lxtv::toolkit {

class PicturePanel : public QWidget {
    Q_OBJECT

  public:
    enum class DisplayMode {
        natural = 0,    // at its own size from the top-left corner
        stretched = 1,  // over the whole client area
        fitted = 2,     // scaled down proportionally when too large, and centred
    };

    explicit PicturePanel(QWidget* parent);

    void setPicture(const Picture& picture);
    QImage picture() const { return picture_.image(); }
    void setDisplayMode(DisplayMode mode);
    DisplayMode displayMode() const { return mode_; }

    // Where the picture is drawn for the panel's current size (empty when there is none).
    QRect pictureRect() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    Picture picture_;
    DisplayMode mode_ = DisplayMode::natural;
};

}  // namespace lxtv::toolkit
