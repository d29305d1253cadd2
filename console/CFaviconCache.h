#pragma once
// The small pictures of web sites for the setup guide's bookmark list:
// "/favicon.ico" of each site, fetched in the background and kept in the
// user's cache folder, so the list shows at once and fills in its pictures
// as they come. Nothing is ever written into the current folder.

#include <QHash>
#include <QIcon>
#include <QObject>
#include <QQueue>
#include <QSet>
#include <QString>
#include <QUrl>

#include <functional>

class QNetworkAccessManager;
class QNetworkReply;

class CFaviconCache : public QObject {
public:
    using IconHandler = std::function<void(const QString& site, const QIcon& icon)>;

    // `folder` holds the pictures; by default $XDG_CACHE_HOME/warrow/favicons
    // (~/.cache/warrow/favicons).
    explicit CFaviconCache(QObject* parent = nullptr, QString folder = DefaultFolder());
    ~CFaviconCache() override;

    static QString DefaultFolder();
    // The key a page's picture is announced under: its site (scheme, host, port).
    static QString SiteOf(const QUrl& page);

    // Who hears of each picture that arrives.
    void SetIconHandler(IconHandler handler) { m_onIcon = std::move(handler); }

    // Announces the picture of the page's site to the handler, from the cache
    // when it is there (still after the call returns), otherwise once it has
    // been fetched. Sites that have no picture are never announced. Each site
    // is asked once per cache object.
    void Request(const QUrl& page);
    // Sites being fetched and sites waiting for their turn.
    int PendingCount() const { return static_cast<int>(m_pending.size() + m_waiting.size()); }

    // Pictures larger than this are not pictures of a site.
    static constexpr qint64 kMaxBytes = 512 * 1024;
    static constexpr int kTimeoutMs = 15000;
    // A thousand bookmarks of a thousand sites are fetched a few at a time,
    // not over a thousand connections at once.
    static constexpr int kMaxParallel = 6;

private:
    QString CacheFile(const QString& site) const;
    void Fetch(const QString& site);
    void StartWaiting();
    void Finished(QNetworkReply* reply, const QString& site);
    void Announce(const QString& site, const QIcon& icon);

    QString m_folder;
    QNetworkAccessManager* m_pNetwork;
    QHash<QString, QNetworkReply*> m_pending;
    QQueue<QString> m_waiting;
    QSet<QString> m_asked;
    IconHandler m_onIcon;
};
