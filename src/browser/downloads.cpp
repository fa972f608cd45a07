#include "browser/downloads.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QWebEngineDownloadRequest>

#include "chrome/main_window.h"
#include "platform/ansi.h"
#include "platform/dialogs.h"
#include "platform/message_box.h"
#include "toolkit/download_bar.h"

namespace lxtv::browser {
namespace {

// Set on a download whose partial file this client may remove: it was not there before.
constexpr char partialIsOurs[] = "lxtvPartialIsOurs";

void tell(const QString& text, platform::MessageIcon icon) {
    static const std::string caption = platform::fromUtf8("LXTV：温馨提示");
    platform::showMessageBox(platform::fromQString(text), caption, icon);
}

QString savedPath(const QWebEngineDownloadRequest* download) {
    return QDir(download->downloadDirectory()).filePath(download->downloadFileName());
}

}  // namespace

QString partialPathOf(const QString& path) {
    return path + QStringLiteral(".download");
}

void onDownloadRequested(QWebEngineDownloadRequest* download) {
    if (download == nullptr || download->state() != QWebEngineDownloadRequest::DownloadRequested)
        return;
    if (!chrome::hasMainWindow()) {
        download->cancel();
        return;
    }
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    const QString proposed = QDir(folder).filePath(QFileInfo(download->downloadFileName()).fileName());
    const std::optional<QString> chosen = platform::askSavePath(proposed);
    if (!chosen) {
        download->cancel();
        return;
    }
    const QFileInfo target(*chosen);
    download->setDownloadDirectory(target.absolutePath());
    download->setDownloadFileName(target.fileName());
    download->setProperty(partialIsOurs, !QFileInfo::exists(partialPathOf(target.absoluteFilePath())));
    download->accept();
    chrome::mainWindow().downloadBar->track(download);
}

void onDownloadEnded(QWebEngineDownloadRequest* download) {
    if (download == nullptr) return;
    const QString path = savedPath(download);
    const QString name = download->downloadFileName();
    const auto state = download->state();
    if (state == QWebEngineDownloadRequest::DownloadCompleted) {
        tell(QString::fromUtf8("“%1”已下载完成，保存在：\n%2").arg(name, QDir::toNativeSeparators(path)),
             platform::MessageIcon::information);
        return;
    }
    // The engine keeps what it got of a failed download for a resume that never comes; the file
    // under the chosen name was never touched.
    if (download->property(partialIsOurs).toBool()) QFile::remove(partialPathOf(path));
    if (state == QWebEngineDownloadRequest::DownloadInterrupted)
        tell(QString::fromUtf8("“%1”下载失败：%2").arg(name, download->interruptReasonString()),
             platform::MessageIcon::warning);
}

}  // namespace lxtv::browser
