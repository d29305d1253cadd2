#pragma once
// A small HTTP server on a loopback address for the browser tests: it serves
// fixed pages and redirects by path and records the path of every request
// it receives, so a test can tell that a refused site was never asked.

#include <QHostAddress>
#include <QTcpServer>
#include <QTcpSocket>

#include <map>
#include <string>
#include <vector>

class LocalWebServer : public QObject {
public:
    explicit LocalWebServer(const char* address);

    // "http://127.0.0.2:port" (no slash at the end).
    std::string Origin() const;
    // The page at `path` (starting with "/").
    void Page(const std::string& path, const std::string& html);
    // `path` answers 302 with `location`.
    void Redirect(const std::string& path, const std::string& location);
    // `path` answers with a file to save, not to show.
    void Attachment(const std::string& path);

    const std::vector<std::string>& Requests() const { return m_requests; }
    // Requests for anything but the engine's favicon probe.
    std::size_t PageRequests() const;
    int RequestsFor(const std::string& path) const;

private:
    void Serve(QTcpSocket* socket);

    QTcpServer m_server;
    std::map<std::string, std::string> m_pages;
    std::map<std::string, std::string> m_redirects;
    std::map<std::string, bool> m_attachments;
    std::vector<std::string> m_requests;
};
