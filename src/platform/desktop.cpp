#include "platform/desktop.h"

#include <QDesktopServices>
#include <QUrl>

namespace lxtv::platform {
namespace {

void openForReal(const std::string& target) {
    const QByteArray bytes(target.data(), static_cast<qsizetype>(target.size()));
    // An absolute path is a local file, named by the file system's own bytes: escape them as
    // they are, so a name that is not valid UTF-8 still reaches the opener unchanged.
    // Everything else is taken as an address.
    const QUrl url = bytes.startsWith('/')
                         ? QUrl::fromEncoded("file://" + bytes.toPercentEncoding("/"))
                         : QUrl(QString::fromUtf8(bytes));
    QDesktopServices::openUrl(url);
}

}  // namespace

Seam<void(const std::string&)> desktopOpener(openForReal);

void openWithDesktop(const std::string& target) {
    desktopOpener(target);
}

}  // namespace lxtv::platform
