#pragma once

// Stand-in for MessageBoxA with MB_OK and no owner: a modal message box over the whole
// application, shown until the viewer closes it. Text and caption are code page 936 bytes.

#include <string>

#include "platform/seam.h"

namespace lxtv::platform {

enum class MessageIcon { information, warning };

struct MessageBoxCall {
    std::string text;     // code page 936
    std::string caption;  // code page 936
    MessageIcon icon = MessageIcon::information;
};

// Shows the box and returns when it is closed. Without a QApplication nothing is shown.
void showMessageBox(const std::string& text, const std::string& caption, MessageIcon icon);

// What showMessageBox shows with; tests stand in for it to record the box instead of blocking.
extern Seam<void(const MessageBoxCall&)> messageBoxShower;

}  // namespace lxtv::platform
