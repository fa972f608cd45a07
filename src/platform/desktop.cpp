#include "platform/desktop.h"

#include <QDesktopServices>
#include <QUrl>
#include <utility>

namespace lxtv::platform {
namespace {

DesktopOpener& currentOpener() {
    static DesktopOpener opener;
    return opener;
}

void openForReal(const std::string& target) {
    const QString text = QString::fromUtf8(target.data(), static_cast<qsizetype>(target.size()));
    // An absolute path is a local file; everything else is taken as an address.
    const QUrl url = text.startsWith('/') ? QUrl::fromLocalFile(text) : QUrl(text);
    QDesktopServices::openUrl(url);
}

}  // namespace

void openWithDesktop(const std::string& target) {
    if (const auto& opener = currentOpener()) {
        opener(target);
        return;
    }
    openForReal(target);
}

DesktopOpener setDesktopOpener(DesktopOpener opener) {
    return std::exchange(currentOpener(), std::move(opener));
}

}  // namespace lxtv::platform
