#include "toolkit/strip_template.h"

namespace lxtv::toolkit {

StripTemplate::StripTemplate(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    hide();
}

}  // namespace lxtv::toolkit
