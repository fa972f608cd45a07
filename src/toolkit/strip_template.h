#pragma once

// An invisible control that only carries a place and settings for the title strip's objects.

#include <QWidget>

namespace lxtv::toolkit {

class StripTemplate : public QWidget {
    Q_OBJECT

  public:
    explicit StripTemplate(QWidget* parent);

    // Settings copied by objects made from this template (all objects of this window share one
    // layer, so later objects lie above earlier ones).
    int layer() const { return layer_; }
    void setLayer(int layer) { layer_ = layer; }

  private:
    int layer_ = 0;
};

}  // namespace lxtv::toolkit
