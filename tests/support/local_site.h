#pragma once

// A tiny HTTP server on 127.0.0.1 for the browser tests: it records each request line and
// answers every path with a small uncached page, except paths under "/hold", which it never
// answers (a load that stays in progress), and a few whose page does something as it loads or
// when clicked anywhere (see pageScript).

#include <QByteArray>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QTcpServer>
#include <QTcpSocket>
#include <functional>

namespace lxtv::test {

class LocalSite : public QObject {
  public:
    LocalSite() {
        server_.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server_, &QTcpServer::newConnection, this, [this] { accept(); });
    }

    QString base() const { return QStringLiteral("http://127.0.0.1:%1").arg(server_.serverPort()); }
    std::string baseBytes() const { return base().toStdString(); }

    // Request targets in arrival order, e.g. "/a.html?x=1".
    const QList<QByteArray>& requests() const { return requests_; }
    // What "/files/..." serves.
    static QByteArray fileBytes() {
        QByteArray bytes(64 * 1024, '\0');
        for (qsizetype i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 % 251);
        return bytes;
    }
    qsizetype count(const QByteArray& target) const { return requests_.count(target); }

  private:
    void accept() {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            socket->setParent(this);
            QObject::connect(socket, &QTcpSocket::readyRead, this,
                             [this, socket] { read(socket); });
        }
    }

    void read(QTcpSocket* socket) {
        QByteArray& buffer = pending_[socket];
        buffer += socket->readAll();
        const qsizetype end = buffer.indexOf("\r\n\r\n");
        if (end < 0) return;
        const QList<QByteArray> words = buffer.left(buffer.indexOf("\r\n")).split(' ');
        buffer.clear();
        if (words.size() < 2) return;
        const QByteArray target = words[1];
        if (target == "/favicon.ico") {
            socket->write(
                "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\nConnection: close\r\n\r\n");
            socket->disconnectFromHost();
            return;
        }
        requests_.append(target);
        if (target.startsWith("/hold")) return;
        // "/files/..." is a file the engine cannot show: 64 KiB of numbered bytes.
        if (target.startsWith("/files/")) {
            socket->write(
                "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n"
                "Connection: close\r\nContent-Length: " +
                QByteArray::number(fileBytes().size()) + "\r\n\r\n" + fileBytes());
            socket->disconnectFromHost();
            return;
        }
        const QByteArray body = "<html><body style='margin:0;height:100vh'>" + pageScript(target) +
                                QString::fromLatin1(target).toHtmlEscaped().toUtf8() +
                                "</body></html>";
        socket->write(
            "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nCache-Control: no-store\r\n"
            "Connection: close\r\nContent-Length: " +
            QByteArray::number(body.size()) + "\r\n\r\n" + body);
        socket->disconnectFromHost();
    }

    static QByteArray pageScript(const QByteArray& target) {
        // A script dialog as the page loads.
        if (target.startsWith("/alert")) return "<script>alert('hello')</script>";
        // Ten dialogs in a row, then the page asks for "/loop-done?n=<dialogs it got through>".
        if (target.startsWith("/loop"))
            return "<script>var i=0;for(;i<10;i++)alert(i);"
                   "fetch('/loop-done?n='+i);</script>";
        // A popup of its own as it loads; a click anywhere opens one in a new window.
        if (target.startsWith("/popup"))
            return "<script>window.open('/unasked.html');"
                   "document.onclick=function(){window.open('/clicked.html')};</script>";
        // A click anywhere asks for full screen.
        if (target.startsWith("/fullscreen"))
            return "<script>document.onclick=function(){"
                   "document.documentElement.requestFullscreen()};</script>";
        return "";
    }

    QTcpServer server_;
    QList<QByteArray> requests_;
    QHash<QTcpSocket*, QByteArray> pending_;
};

// Runs the event loop until `done` holds or `ms` milliseconds have passed.
inline bool waitUntil(const std::function<bool()>& done, int ms = 15000) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return true;
}

}  // namespace lxtv::test
