#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>
#include <functional>
#include <memory>

// A loopback HTTP server for tests: each request gets the bytes the responder makes for
// its target ("/path?query"), then the connection closes. Requests are recorded whole.
class CannedHttpServer : public QObject {
  public:
    using Responder = std::function<QByteArray(const QByteArray &target)>;

    explicit CannedHttpServer(Responder responder) : m_responder(std::move(responder)) {
        QObject::connect(&m_server, &QTcpServer::newConnection, this, [this]() {
            while (QTcpSocket *socket = m_server.nextPendingConnection())
                serve(socket);
        });
        m_server.listen(QHostAddress::LocalHost, 0);
    }

    QUrl base() const {
        return QUrl(QStringLiteral("http://127.0.0.1:%1").arg(m_server.serverPort()));
    }
    quint16 port() const { return m_server.serverPort(); }
    bool isListening() const { return m_server.isListening(); }
    QList<QByteArray> requests;
    QList<QByteArray> targets;

  private:
    void serve(QTcpSocket *socket) {
        auto buffer = std::make_shared<QByteArray>();
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, buffer]() {
            buffer->append(socket->readAll());
            if (!buffer->contains("\r\n\r\n"))
                return;
            requests << *buffer;
            const QByteArray target = buffer->split(' ').value(1);
            targets << target;
            socket->write(m_responder(target));
            socket->disconnectFromHost();
        });
    }

    QTcpServer m_server;
    Responder m_responder;
};

// Runs the event loop until the condition holds; the deadline only stops a broken test.
// The loop sleeps until an event or a short tick (for conditions other threads change):
// processEvents with a time returns at once when nothing is pending, so looping on it spins
// a core, and on a loaded machine the spinning thread waits behind every other busy one.
inline bool waitFor(const std::function<bool()> &done, int ms = 20000) {
    QDeadlineTimer deadline(ms);
    QTimer tick;
    tick.start(5);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    return done();
}
