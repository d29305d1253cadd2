#include "tests/browser/LocalWebServer.h"

#include <algorithm>

LocalWebServer::LocalWebServer(const char* address) {
    m_server.listen(QHostAddress(QString::fromLatin1(address)));
    connect(&m_server, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = m_server.nextPendingConnection()) {
            connect(socket, &QTcpSocket::readyRead, this, [this, socket] { Serve(socket); });
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        }
    });
}

std::string LocalWebServer::Origin() const {
    return "http://" + m_server.serverAddress().toString().toStdString() + ":" +
           std::to_string(m_server.serverPort());
}

void LocalWebServer::Page(const std::string& path, const std::string& html) {
    m_pages[path] = html;
}

void LocalWebServer::Redirect(const std::string& path, const std::string& location) {
    m_redirects[path] = location;
}

void LocalWebServer::Attachment(const std::string& path) {
    m_attachments[path] = true;
}

std::size_t LocalWebServer::PageRequests() const {
    return static_cast<std::size_t>(
        std::count_if(m_requests.begin(), m_requests.end(),
                      [](const std::string& path) { return path != "/favicon.ico"; }));
}

int LocalWebServer::RequestsFor(const std::string& path) const {
    return static_cast<int>(std::count(m_requests.begin(), m_requests.end(), path));
}

void LocalWebServer::Serve(QTcpSocket* socket) {
    // Requests are small: wait for the whole head, then answer and close.
    QByteArray buffered = socket->property("buffered").toByteArray() + socket->readAll();
    socket->setProperty("buffered", buffered);
    if (!buffered.contains("\r\n\r\n")) {
        return;
    }
    const QList<QByteArray> words = buffered.left(buffered.indexOf("\r\n")).split(' ');
    const std::string path = words.size() >= 2 ? words[1].toStdString() : std::string("?");
    m_requests.push_back(path);

    QByteArray answer;
    if (auto redirect = m_redirects.find(path); redirect != m_redirects.end()) {
        answer = "HTTP/1.1 302 Found\r\nLocation: " + QByteArray::fromStdString(redirect->second) +
                 "\r\nContent-Length: 0\r\n";
    } else if (auto page = m_pages.find(path); page != m_pages.end()) {
        answer = "HTTP/1.1 200 OK\r\nContent-Type: text/html; charset=utf-8\r\nContent-Length: " +
                 QByteArray::number(static_cast<qsizetype>(page->second.size())) + "\r\n\r\n" +
                 QByteArray::fromStdString(page->second);
    } else if (m_attachments.count(path) != 0) {
        answer = "HTTP/1.1 200 OK\r\nContent-Type: application/octet-stream\r\n"
                 "Content-Disposition: attachment; filename=\"game.bin\"\r\nContent-Length: 4\r\n\r\nDATA";
    } else {
        answer = "HTTP/1.1 404 Not Found\r\nContent-Length: 0\r\n";
    }
    if (!answer.contains("\r\n\r\n")) {
        answer += "Connection: close\r\n\r\n";
    }
    socket->write(answer);
    socket->disconnectFromHost();
}
