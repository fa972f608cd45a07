#include "toolkit/transparent_label.h"

#include <QPainter>

#include "platform/ansi.h"

namespace lxtv::toolkit {

TransparentLabel::TransparentLabel(QWidget* parent) : QWidget(parent) {
    // The parent paints under the label; the label only adds its text.
    setAttribute(Qt::WA_TranslucentBackground);
    setAutoFillBackground(false);
    // Like a static text of the platform, the label takes no mouse input: a press on it reaches
    // whatever lies beneath (the search box under pathLabel, the strip under titleLabel).
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TransparentLabel::setText(const QString& text) {
    if (text == text_) return;
    text_ = text;
    update();
}

void TransparentLabel::setAnsiText(const std::string& cp936) {
    setText(platform::toQString(cp936));
}

std::string TransparentLabel::ansiText() const {
    return platform::fromQString(text_);
}

void TransparentLabel::setColor(const QColor& color) {
    color_ = color;
    update();
}

void TransparentLabel::paintEvent(QPaintEvent*) {
    if (text_.isEmpty()) return;
    QPainter painter(this);
    painter.setPen(color_);
    // No Qt::TextShowMnemonic: "&" stays a plain character.
    painter.drawText(rect(), Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text_);
}

}  // namespace lxtv::toolkit
