#pragma once

// One line of text drawn without a background, left-aligned and centred vertically, in a given
// colour; "&" is shown as it is. The mouse goes through it to what lies beneath.

#include <QColor>
#include <QString>
#include <QWidget>
#include <string>

namespace lxtv::toolkit {

class TransparentLabel : public QWidget {
    Q_OBJECT

  public:
    explicit TransparentLabel(QWidget* parent);

    void setText(const QString& text);
    QString text() const { return text_; }
    // The same text as code page 936 bytes, as the handlers keep texts.
    void setAnsiText(const std::string& cp936);
    std::string ansiText() const;

    void setColor(const QColor& color);
    QColor color() const { return color_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString text_;
    QColor color_ = Qt::black;
};

}  // namespace lxtv::toolkit
