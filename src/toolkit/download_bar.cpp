#include "toolkit/download_bar.h"

#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QWebEngineDownloadRequest>

namespace lxtv::toolkit {

DownloadBar::DownloadBar(QWidget* parent) : QWidget(parent) {
    label_ = new QLabel(this);
    label_->setTextFormat(Qt::PlainText);
    cancel_ = new QPushButton(QString::fromUtf8("取消"), this);
    cancel_->setCursor(Qt::PointingHandCursor);
    cancel_->setFocusPolicy(Qt::NoFocus);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(6);
    layout->addWidget(label_, 1);
    layout->addWidget(cancel_);

    connect(cancel_, &QPushButton::clicked, this, [this] {
        if (QWebEngineDownloadRequest* download = shown()) download->cancel();
    });
    if (parent) parent->installEventFilter(this);
    placeAtParentsRight();
    hide();
}

QString DownloadBar::progressText(const QString& name, qint64 received, qint64 total) {
    if (total > 0) {
        const qint64 percent = received >= total ? 100 : received * 100 / total;
        return QStringLiteral("%1  %2%").arg(name).arg(percent);
    }
    const double mb = double(received < 0 ? 0 : received) / (1024.0 * 1024.0);
    return QStringLiteral("%1  %2 MB").arg(name).arg(mb, 0, 'f', 1);
}

void DownloadBar::track(QWebEngineDownloadRequest* download) {
    if (download == nullptr || active_.contains(download)) return;
    // A download the engine resumes comes back as a new request under the same id: it takes
    // the place of the one that broke off, which will never report again.
    for (auto& other : active_)
        if (other && other->id() == download->id()) other = nullptr;
    active_.removeAll(nullptr);
    active_.append(download);
    connect(download, &QWebEngineDownloadRequest::receivedBytesChanged, this,
            &DownloadBar::refresh);
    connect(download, &QWebEngineDownloadRequest::totalBytesChanged, this, &DownloadBar::refresh);
    // An interrupted download is not "finished" to the engine (it could be resumed), but the
    // engine has given up on it: it has ended for the viewer.
    const auto endOnce = [this, download] {
        const bool over = download->isFinished() ||
                          download->state() == QWebEngineDownloadRequest::DownloadInterrupted;
        if (!over || !active_.contains(download)) return;
        active_.removeAll(download);
        refresh();
        emit ended(download);
    };
    connect(download, &QWebEngineDownloadRequest::isFinishedChanged, this, endOnce);
    connect(download, &QWebEngineDownloadRequest::stateChanged, this, endOnce);
    refresh();
}

QWebEngineDownloadRequest* DownloadBar::shown() const {
    for (auto it = active_.crbegin(); it != active_.crend(); ++it)
        if (*it) return *it;
    return nullptr;
}

QString DownloadBar::text() const {
    return label_->text();
}

void DownloadBar::refresh() {
    active_.removeAll(nullptr);
    QWebEngineDownloadRequest* download = shown();
    if (download == nullptr) {
        hide();
        return;
    }
    QString text = progressText(download->downloadFileName(), download->receivedBytes(),
                                download->totalBytes());
    if (active_.size() > 1) text += QStringLiteral("  (+%1)").arg(active_.size() - 1);
    label_->setText(label_->fontMetrics().elidedText(text, Qt::ElideMiddle,
                                                     barWidth - cancel_->sizeHint().width() - 16));
    placeAtParentsRight();
    show();
    raise();
}

void DownloadBar::placeAtParentsRight() {
    QWidget* parent = parentWidget();
    if (parent == nullptr) return;
    setGeometry(parent->width() - barWidth, 0, barWidth, parent->height());
}

bool DownloadBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize) placeAtParentsRight();
    return QWidget::eventFilter(watched, event);
}

}  // namespace lxtv::toolkit
