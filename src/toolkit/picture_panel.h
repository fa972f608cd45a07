#pragma once

// A panel that paints one picture: 0 at natural size from the top-left corner, 1 stretched over
// the whole client area, 2 scaled down proportionally when too large, and centred.

#include <QImage>
#include <QWidget>

namespace lxtv::toolkit {

class PicturePanel : public QWidget {
    Q_OBJECT

  public:
    explicit PicturePanel(QWidget* parent);

    void setPicture(const QImage& picture);
    QImage picture() const { return picture_; }
    void setDisplayMode(int mode);
    int displayMode() const { return mode_; }

    // Where the picture is drawn for the panel's current size (empty when there is none).
    QRect pictureRect() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QImage picture_;
    int mode_ = 0;
};

}  // namespace lxtv::toolkit
