#include "toolkit/edit_box.h"

#include <QPalette>
#include <QValidator>

#include "platform/ansi.h"

namespace lxtv::toolkit {
namespace {

// Cuts an edit back to the byte limit the way a limited edit control does: what was just
// inserted (the characters before the cursor) is shortened until the whole text fits.
class ByteLimitValidator : public QValidator {
  public:
    explicit ByteLimitValidator(const EditBox* box)
        : QValidator(const_cast<EditBox*>(box)), box_(box) {}

    State validate(QString& input, int& pos) const override {
        const int limit = box_->byteLimit();
        if (EditBox::byteLength(input) <= limit) return Acceptable;
        while (pos > 0 && EditBox::byteLength(input) > limit) {
            int cut = 1;
            if (pos >= 2 && input.at(pos - 1).isLowSurrogate() &&
                input.at(pos - 2).isHighSurrogate())
                cut = 2;
            input.remove(pos - cut, cut);
            pos -= cut;
        }
        return EditBox::byteLength(input) <= limit ? Acceptable : Invalid;
    }

  private:
    const EditBox* box_;
};

}  // namespace

EditBox::EditBox(QWidget* parent) : QLineEdit(parent) {
    setFrame(false);
    QPalette colours = palette();
    colours.setColor(QPalette::Text, Qt::black);
    colours.setColor(QPalette::Base, QColor(233, 240, 244));
    setPalette(colours);
    setValidator(new ByteLimitValidator(this));
}

void EditBox::setByteLimit(int bytes) {
    byteLimit_ = std::max(0, bytes);
}

std::string EditBox::text() const {
    return platform::fromQString(QLineEdit::text());
}

void EditBox::setAnsiText(const std::string& cp936) {
    QLineEdit::setText(platform::toQString(cp936));
}

int EditBox::byteLength(const QString& text) {
    return static_cast<int>(platform::fromQString(text).size());
}

}  // namespace lxtv::toolkit
