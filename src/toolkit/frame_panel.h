#pragma once

// A container that paints a flat rectangle: a line of a given width and colour inside its edges
// and a fill colour.

#include <QColor>
#include <QWidget>

namespace lxtv::toolkit {

class FramePanel : public QWidget {
    Q_OBJECT

  public:
    explicit FramePanel(QWidget* parent);

    void setLine(int width, const QColor& color);
    void setFill(const QColor& color);
    int lineWidth() const { return lineWidth_; }
    QColor lineColor() const { return lineColor_; }
    QColor fillColor() const { return fill_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    int lineWidth_ = 1;
    QColor lineColor_ = Qt::black;
    QColor fill_ = Qt::white;
};

}  // namespace lxtv::toolkit
