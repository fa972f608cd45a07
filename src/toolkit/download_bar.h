#pragma once

// The progress of the downloads under way, in one line at the right end of its parent (the
// bottom bar): the file's name, how far it has come, and a button that cancels it. Hidden
// while nothing downloads. The newest download is shown; older ones go on behind it and come
// back into view when it ends.

#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

class QLabel;
class QPushButton;
class QWebEngineDownloadRequest;

namespace lxtv::toolkit {

class DownloadBar : public QWidget {
    Q_OBJECT

  public:
    static constexpr int barWidth = 260;

    explicit DownloadBar(QWidget* parent);

    // Shows an accepted download until it ends (completed, failed or cancelled).
    void track(QWebEngineDownloadRequest* download);
    QWebEngineDownloadRequest* shown() const;
    QString text() const;

    // "name  45%" when the size is known, "name  1.5 MB" when it is not.
    static QString progressText(const QString& name, qint64 received, qint64 total);

  signals:
    // A tracked download has ended, whichever way.
    void ended(QWebEngineDownloadRequest* download);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void refresh();
    void placeAtParentsRight();

    QList<QPointer<QWebEngineDownloadRequest>> active_;  // oldest first
    QLabel* label_;
    QPushButton* cancel_;
};

}  // namespace lxtv::toolkit
