#include "browser/downloads.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QWebEngineDownloadRequest>
#include <map>

#include "chrome/main_window.h"
#include "platform/ansi.h"
#include "platform/dialogs.h"
#include "platform/message_box.h"
#include "toolkit/download_bar.h"

namespace lxtv::browser {
namespace {

void tell(const QString& text, platform::MessageIcon icon) {
    static const std::string caption = platform::fromUtf8("LXTV：温馨提示");
    platform::showMessageBox(platform::fromQString(text), caption, icon);
}

// What the viewer chose for a download of this session, by the engine's id for it. The engine
// resumes a download that broke off under the same id with a new request: that one goes on to
// the same file without asking again.
struct Chosen {
    QString path;
    // Whether a file stood under the partial name before the download started: if not, the
    // partial file is the engine's for this download, and this client may remove it.
    bool partialWasThere = false;
};
std::map<quint32, Chosen>& chosenFor() {
    static std::map<quint32, Chosen> chosen;
    return chosen;
}

void start(QWebEngineDownloadRequest* download, const QString& path) {
    const QFileInfo target(path);
    download->setDownloadDirectory(target.absolutePath());
    download->setDownloadFileName(target.fileName());
    download->accept();
    chrome::mainWindow().downloadBar->track(download);
}

// Why a download failed, in the viewer's words. The engine's own reason texts are English and
// do not know every reason it reports (a server that sends less than it announced reads as
// "canceled by the user"), so go by the reason's kind.
QString failureReason(int reason) {
    if (reason > 0 && reason < 20) return QString::fromUtf8("无法写入所选的位置");
    if (reason >= 20 && reason < 30) return QString::fromUtf8("网络连接中断");
    if (reason >= 30 && reason < 40) return QString::fromUtf8("服务器未能传完文件");
    return QString::fromUtf8("下载中断");
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
    if (const auto known = chosenFor().find(download->id()); known != chosenFor().end()) {
        start(download, known->second.path);
        return;
    }
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
    // A desktop without a Downloads folder: the home folder rather than wherever the program is.
    if (!QFileInfo(folder).isDir()) folder = QDir::homePath();
    const QString proposed =
        QDir(folder).filePath(QFileInfo(download->downloadFileName()).fileName());
    const std::optional<QString> chosen = platform::askSavePath(proposed);
    if (!chosen) {
        download->cancel();
        return;
    }
    const QString path = QFileInfo(*chosen).absoluteFilePath();
    chosenFor()[download->id()] = Chosen{path, QFileInfo::exists(partialPathOf(path))};
    start(download, path);
}

void onDownloadEnded(QWebEngineDownloadRequest* download) {
    if (download == nullptr) return;
    const QString path = savedPath(download);
    const QString name = download->downloadFileName();
    const auto state = download->state();
    if (state == QWebEngineDownloadRequest::DownloadCompleted) {
        tell(QString::fromUtf8("“%1”已下载完成，保存在：\n%2")
                 .arg(name, QDir::toNativeSeparators(path)),
             platform::MessageIcon::information);
        return;
    }
    // The engine keeps what it got of a failed download for a resume that never comes; the file
    // under the chosen name was never touched.
    const auto known = chosenFor().find(download->id());
    if (known == chosenFor().end() || !known->second.partialWasThere)
        QFile::remove(partialPathOf(path));
    if (state == QWebEngineDownloadRequest::DownloadInterrupted)
        tell(QString::fromUtf8("“%1”下载失败：%2")
                 .arg(name, failureReason(download->interruptReason())),
             platform::MessageIcon::warning);
}

}  // namespace lxtv::browser
