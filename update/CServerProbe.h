#pragma once
// Asks every update server for its base address at once and notes how long
// each took to answer with status 200. A server that cannot be reached, that
// answers anything else, or that stays silent for the time-out keeps kNoAnswer.

#include "update/ServerList.h"

#include <QObject>

#include <functional>
#include <vector>

class QNetworkAccessManager;
class QNetworkReply;

class CServerProbe : public QObject {
public:
    CServerProbe(QNetworkAccessManager& session, std::vector<update::tagServer>& servers, int timeoutMs);
    ~CServerProbe() override;

    // `done` runs once, from the event loop, when every server has answered or given up.
    void Start(std::function<void()> done);

private:
    void OnHeaders(std::size_t index, QNetworkReply* reply, qint64 elapsedMs);
    void OnFinished(std::size_t index, QNetworkReply* reply, qint64 elapsedMs);
    void Done(std::size_t index, QNetworkReply* reply);

    QNetworkAccessManager& m_session;
    std::vector<update::tagServer>& m_servers;
    int m_nTimeoutMs;
    std::vector<QNetworkReply*> m_replies;
    std::size_t m_nPending = 0;
    std::function<void()> m_done;
};
