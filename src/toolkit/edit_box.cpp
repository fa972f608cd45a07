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
        // The fewest characters before the cursor whose removal lets the text fit. Cutting more
        // never lengthens the text, so halving the range finds it in a few encodings even for a
        // paste of tens of thousands of characters.
        const QString after = input.mid(pos);
        const auto fitsCutting = [&](int cut) {
            return EditBox::byteLength(input.left(pos - cut) + after) <= limit;
        };
        if (!fitsCutting(pos)) return Invalid;
        int tooFew = 0, enough = pos;
        while (enough - tooFew > 1) {
            const int middle = tooFew + (enough - tooFew) / 2;
            (fitsCutting(middle) ? enough : tooFew) = middle;
        }
        int cut = enough;
        // Never leave half of a surrogate pair behind.
        const int keep = pos - cut;
        if (keep > 0 && input.at(keep - 1).isHighSurrogate() && input.at(keep).isLowSurrogate())
            ++cut;
        input.remove(pos - cut, cut);
        pos -= cut;
        return Acceptable;
    }

  private:
    const EditBox* box_;
};

}  // namespace

EditBox::EditBox(QWidget* parent) : QLineEdit(parent) {
    setFrame(false);
    setColors(Qt::black, Qt::white);
    setValidator(new ByteLimitValidator(this));
}

void EditBox::setColors(const QColor& text, const QColor& background) {
    QPalette colours = palette();
    colours.setColor(QPalette::Text, text);
    colours.setColor(QPalette::Base, background);
    setPalette(colours);
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
