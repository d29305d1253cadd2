#include "update/CServerProbe.h"

#include <QElapsedTimer>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>

#include <memory>

CServerProbe::CServerProbe(QNetworkAccessManager& session, std::vector<update::tagServer>& servers,
                           int timeoutMs)
    : m_session(session), m_servers(servers), m_nTimeoutMs(timeoutMs) {}

CServerProbe::~CServerProbe() {
    for (QNetworkReply* reply : m_replies) {
        if (reply != nullptr) {
            reply->disconnect(this);
            reply->deleteLater();
        }
    }
}

void CServerProbe::Start(std::function<void()> done) {
    m_done = std::move(done);
    m_nPending = m_servers.size();
    m_replies.assign(m_servers.size(), nullptr);
    if (m_nPending == 0) {
        QTimer::singleShot(0, this, [this] { m_done(); });
        return;
    }
    // All at once: a server that does not answer costs its time-out once,
    // not once for every server after it.
    for (std::size_t i = 0; i < m_servers.size(); ++i) {
        m_servers[i].nTime = update::kNoAnswer;
        QNetworkRequest request(QUrl(QString::fromStdString(m_servers[i].strAddress)));
        request.setTransferTimeout(m_nTimeoutMs);
        request.setHeader(QNetworkRequest::UserAgentHeader, QByteArrayLiteral("WarrowUpdate"));
        auto clock = std::make_shared<QElapsedTimer>();
        clock->start();
        QNetworkReply* reply = m_session.get(request);
        m_replies[i] = reply;
        connect(reply, &QNetworkReply::metaDataChanged, this,
                [this, i, reply, clock] { OnHeaders(i, reply, clock->elapsed()); });
        connect(reply, &QNetworkReply::finished, this,
                [this, i, reply, clock] { OnFinished(i, reply, clock->elapsed()); });
    }
}

void CServerProbe::OnHeaders(std::size_t index, QNetworkReply* reply, qint64 elapsedMs) {
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid() || reply->attribute(QNetworkRequest::RedirectionTargetAttribute).isValid()) {
        return;
    }
    if (status.toInt() == 200) {
        m_servers[index].nTime =
            static_cast<std::uint32_t>(std::min<qint64>(elapsedMs, update::kNoAnswer - 1));
    }
    Done(index, reply); // the answer's status is all a probe wants, not the page
}

void CServerProbe::OnFinished(std::size_t index, QNetworkReply* reply, qint64 elapsedMs) {
    if (m_servers[index].nTime == update::kNoAnswer && reply->error() == QNetworkReply::NoError &&
        reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() == 200) {
        m_servers[index].nTime =
            static_cast<std::uint32_t>(std::min<qint64>(elapsedMs, update::kNoAnswer - 1));
    }
    Done(index, reply);
}

void CServerProbe::Done(std::size_t index, QNetworkReply* reply) {
    if (m_replies[index] == nullptr) {
        return;
    }
    m_replies[index] = nullptr;
    reply->disconnect(this);
    reply->deleteLater(); // deleting an unfinished reply aborts it
    if (--m_nPending == 0) {
        QTimer::singleShot(0, this, [this] { m_done(); });
    }
}
