#include "console/CFaviconCache.h"

#include <QCryptographicHash>
#include <QDir>
#include <QImage>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPixmap>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTimer>

#include <utility>

namespace {

QIcon IconFromImage(const QImage& image) {
    return image.isNull() ? QIcon() : QIcon(QPixmap::fromImage(image));
}

} // namespace

CFaviconCache::CFaviconCache(QObject* parent, QString folder)
    : QObject(parent), m_folder(std::move(folder)), m_pNetwork(new QNetworkAccessManager(this)) {
    m_pNetwork->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
    m_pNetwork->setTransferTimeout(kTimeoutMs);
}

CFaviconCache::~CFaviconCache() {
    for (QNetworkReply* reply : std::as_const(m_pending)) {
        reply->disconnect(this);
        reply->abort();
    }
}

QString CFaviconCache::DefaultFolder() {
    QString base = qEnvironmentVariable("XDG_CACHE_HOME");
    if (base.isEmpty()) {
        base = QDir::homePath() + QStringLiteral("/.cache");
    }
    return base + QStringLiteral("/warrow/favicons");
}

QString CFaviconCache::SiteOf(const QUrl& page) {
    return page.adjusted(QUrl::RemovePath | QUrl::RemoveQuery | QUrl::RemoveFragment | QUrl::RemoveUserInfo)
        .toString(QUrl::FullyEncoded);
}

// A hash names the file, so no host text (which the bookmark file chose) ever
// becomes part of a path.
QString CFaviconCache::CacheFile(const QString& site) const {
    const QByteArray digest = QCryptographicHash::hash(site.toUtf8(), QCryptographicHash::Sha1).toHex();
    return m_folder + QLatin1Char('/') + QString::fromLatin1(digest) + QStringLiteral(".png");
}

void CFaviconCache::Request(const QUrl& page) {
    if (!page.isValid() ||
        (page.scheme() != QStringLiteral("http") && page.scheme() != QStringLiteral("https")) ||
        page.host().isEmpty()) {
        return;
    }
    const QString site = SiteOf(page);
    if (m_asked.contains(site)) {
        return;
    }
    m_asked.insert(site);
    const QImage cached(CacheFile(site), "PNG");
    if (!cached.isNull()) {
        // Announced from the event loop, as a fetched one would be.
        QTimer::singleShot(0, this, [this, site, icon = IconFromImage(cached)] { Announce(site, icon); });
        return;
    }
    m_waiting.enqueue(site);
    StartWaiting();
}

void CFaviconCache::StartWaiting() {
    while (m_pending.size() < kMaxParallel && !m_waiting.isEmpty()) {
        Fetch(m_waiting.dequeue());
    }
}

void CFaviconCache::Fetch(const QString& site) {
    QNetworkRequest request(QUrl(site + QStringLiteral("/favicon.ico")));
    request.setMaximumRedirectsAllowed(5);
    QNetworkReply* reply = m_pNetwork->get(request);
    m_pending.insert(site, reply);
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply](qint64 received, qint64) {
        if (received > kMaxBytes) {
            reply->abort();
        }
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply, site] { Finished(reply, site); });
}

void CFaviconCache::Finished(QNetworkReply* reply, const QString& site) {
    m_pending.remove(site);
    reply->deleteLater();
    if (reply->error() == QNetworkReply::NoError) {
        // Sites serve PNG, GIF or ICO under that name; the content decides.
        const QImage image = QImage::fromData(reply->read(kMaxBytes));
        if (!image.isNull()) {
            const QImage small = image.width() > 64 || image.height() > 64
                                     ? image.scaled(64, 64, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                                     : image;
            if (QDir().mkpath(m_folder)) {
                QSaveFile file(CacheFile(site));
                if (file.open(QIODevice::WriteOnly) && small.save(&file, "PNG")) {
                    file.commit();
                }
            }
            Announce(site, IconFromImage(small));
        }
    }
    StartWaiting();
}

void CFaviconCache::Announce(const QString& site, const QIcon& icon) {
    if (m_onIcon) {
        m_onIcon(site, icon);
    }
}
