#pragma once
// A small HTTP server on loopback for the updater's tests, on the test's own
// event loop: each path answers as the test sets it up, early, late, short,
// without a length, half and then silent, or not at all.

#include <QByteArray>
#include <QHash>
#include <QHostAddress>
#include <QStringList>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

struct tagRoute {
    int status = 200;
    QByteArray body;
    qint64 announced = -2;  // Content-Length sent; -2: the body's size, -1: none (ends at close)
    int delayMs = 0;        // before the answer goes out
    qint64 sendOnly = -1;   // send this many body bytes ...
    bool closeAfter = true; // ... and close (a short body), or stay silent and open
    bool silent = false;    // accept the request and never answer
};

class CTestHttpServer : public QObject {
public:
    CTestHttpServer() {
        m_server.listen(QHostAddress::LocalHost, 0);
        connect(&m_server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                socket->setParent(this);
                connect(socket, &QTcpSocket::readyRead, this, [this, socket] { OnRequestBytes(socket); });
            }
        });
    }

    quint16 Port() const { return m_server.serverPort(); }
    QString Base() const { return QStringLiteral("http://127.0.0.1:%1/").arg(Port()); }
    void Route(const QString& path, tagRoute route) { m_routes.insert(path, std::move(route)); }
    // The paths asked for, in order.
    const QStringList& Requests() const { return m_requests; }

private:
    void OnRequestBytes(QTcpSocket* socket) {
        QByteArray& pending = m_pending[socket];
        pending += socket->readAll();
        const auto end = pending.indexOf("\r\n\r\n");
        if (end < 0)
            return;
        const QList<QByteArray> words = pending.left(pending.indexOf("\r\n")).split(' ');
        pending.clear();
        const QString path = words.size() > 1 ? QString::fromLatin1(words[1]) : QString();
        m_requests.append(path);
        const tagRoute route = m_routes.value(path, tagRoute{404, "not here", -2, 0, -1, true, false});
        if (route.silent)
            return;
        QTimer::singleShot(route.delayMs, socket, [socket, route] { Answer(socket, route); });
    }

    static void Answer(QTcpSocket* socket, const tagRoute& route) {
        QByteArray head = "HTTP/1.1 " + QByteArray::number(route.status) + " X\r\nConnection: close\r\n";
        const qint64 length = route.announced == -2 ? route.body.size() : route.announced;
        if (length >= 0)
            head += "Content-Length: " + QByteArray::number(length) + "\r\n";
        socket->write(head + "\r\n");
        socket->write(route.sendOnly >= 0 ? route.body.left(route.sendOnly) : route.body);
        if (route.sendOnly < 0 || route.closeAfter)
            socket->disconnectFromHost(); // after the written bytes have gone out
    }

    QTcpServer m_server;
    QHash<QString, tagRoute> m_routes;
    QHash<QTcpSocket*, QByteArray> m_pending;
    QStringList m_requests;
};
