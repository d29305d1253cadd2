// The bookmark pictures: fetched from each site a few at a time, kept in the
// cache folder, and taken from there the next time without the network.

#include "console/CFaviconCache.h"

#include <QBuffer>
#include <QImage>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Requests seen by all the sites of a test, and how many were open at once.
struct tagTraffic {
    int arrived = 0;
    int answered = 0;
    int mostOpen = 0;
    std::vector<QTcpSocket*> held;
};

// A site on the loopback that holds each request until the test releases it.
class HeldSite {
public:
    explicit HeldSite(tagTraffic& traffic) {
        m_server.listen(QHostAddress::LocalHost);
        QObject::connect(&m_server, &QTcpServer::newConnection, &m_server, [this, &traffic] {
            while (QTcpSocket* socket = m_server.nextPendingConnection()) {
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [socket, &traffic] {
                    if (socket->readAll().contains("\r\n\r\n")) {
                        ++traffic.arrived;
                        traffic.mostOpen = std::max(traffic.mostOpen, traffic.arrived - traffic.answered);
                        traffic.held.push_back(socket);
                    }
                });
            }
        });
    }
    QUrl Page() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/page").arg(m_server.serverPort())); }

private:
    QTcpServer m_server;
};

QByteArray Png() {
    QImage picture(16, 16, QImage::Format_ARGB32);
    picture.fill(QColor(30, 120, 200));
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return png;
}

} // namespace

TEST(FaviconCacheTest, SitesAreAskedAFewAtATimeAndTheirPicturesComeFromTheCacheAfterwards) {
    const fs::path folder = fs::path(std::getenv("WARROW_TEST_SCRATCH")) / "favicons";
    fs::remove_all(folder);
    tagTraffic traffic;
    std::vector<std::unique_ptr<HeldSite>> sites;
    constexpr int kSites = CFaviconCache::kMaxParallel + 4;
    for (int i = 0; i < kSites; ++i) {
        sites.push_back(std::make_unique<HeldSite>(traffic));
    }
    QSet<QString> announced;
    {
        CFaviconCache cache(nullptr, QString::fromStdString(folder.string()));
        cache.SetIconHandler([&](const QString& site, const QIcon& icon) {
            EXPECT_FALSE(icon.isNull());
            announced.insert(site);
        });
        for (const auto& site : sites) {
            cache.Request(site->Page());
            cache.Request(site->Page()); // a second bookmark of the same site asks nothing more
        }
        const QByteArray png = Png();
        while (traffic.answered < kSites) {
            QTRY_VERIFY_WITH_TIMEOUT(!traffic.held.empty(), 30000);
            QTcpSocket* socket = traffic.held.front();
            traffic.held.erase(traffic.held.begin());
            ++traffic.answered;
            socket->write(
                "HTTP/1.1 200 OK\r\nContent-Type: image/x-icon\r\nConnection: close\r\nContent-Length: " +
                QByteArray::number(png.size()) + "\r\n\r\n" + png);
            socket->disconnectFromHost();
        }
        QTRY_COMPARE_WITH_TIMEOUT(announced.size(), kSites, 30000);
        EXPECT_EQ(traffic.arrived, kSites);
        EXPECT_LE(traffic.mostOpen, CFaviconCache::kMaxParallel);
        EXPECT_EQ(cache.PendingCount(), 0);
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), kSites);

    announced.clear();
    CFaviconCache again(nullptr, QString::fromStdString(folder.string()));
    again.SetIconHandler([&](const QString& site, const QIcon&) { announced.insert(site); });
    for (const auto& site : sites) {
        again.Request(site->Page());
    }
    QTRY_COMPARE_WITH_TIMEOUT(announced.size(), kSites, 30000);
    EXPECT_EQ(traffic.arrived, kSites) << "cached pictures need no request";

    // Addresses that are no web sites are never asked for.
    again.Request(QUrl(QStringLiteral("file:///etc/passwd")));
    again.Request(QUrl(QStringLiteral("javascript:alert(1)")));
    EXPECT_EQ(again.PendingCount(), 0);
}
