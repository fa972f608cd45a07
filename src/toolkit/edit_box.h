#pragma once

// A single-line edit without a border whose text is limited in code page 936 bytes, so a limit
// of 40 holds 40 ASCII characters or 20 Chinese ones.

#include <QColor>
#include <QLineEdit>
#include <string>

namespace lxtv::toolkit {

class EditBox : public QLineEdit {
    Q_OBJECT

  public:
    explicit EditBox(QWidget* parent);

    void setColors(const QColor& text, const QColor& background);

    // Bytes of code page 936 that the text may hold; typing and pasting stop there.
    void setByteLimit(int bytes);
    int byteLimit() const { return byteLimit_; }

    // The text as code page 936 bytes.
    std::string text() const;
    void setAnsiText(const std::string& cp936);
    using QLineEdit::setText;

    // How many code page 936 bytes a text takes.
    static int byteLength(const QString& text);

  private:
    int byteLimit_ = 40;
};

}  // namespace lxtv::toolkit
