#pragma once
// One HTTP download into one file: the version list or the package. The body
// streams to a temporary file beside the target and is renamed to the
// target's name only when it is complete (and matches its digest, when one
// is expected), so no half or wrong file ever carries the final name.
// Everything runs on the calling thread's event loop; Qt Network reads the
// socket on its own thread and hands the bytes over in bounded portions.

#include "update/Sha256.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QSaveFile>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <memory>
#include <vector>

class QNetworkAccessManager;
class QNetworkReply;

struct tagDownloadOptions {
    int nConnectTimeoutMs = 6000; // until the request is on its way
    int nStallTimeoutMs = 30000;  // longest time without a byte
    bool bRequireLength = false;  // a positive Content-Length must be announced
    qint64 nMaxSize = -1;         // larger bodies are refused; -1: no bound
    QByteArray expectedSha256;    // hexadecimal digest the body must have; empty: not checked
};

class CHttpDownload : public QObject {
public:
    // Called once the answer's headers are accepted, with the announced size
    // (-1 when none). It must not delete the download.
    using StartCallback = std::function<void(qint64 total)>;
    // Called exactly once at the end, unless the download was cancelled: ok,
    // or why not in a few words. It may delete the download.
    using DoneCallback = std::function<void(bool ok, const QString& reason)>;

    CHttpDownload(QNetworkAccessManager& session, QUrl url, QString targetPath, tagDownloadOptions options);
    ~CHttpDownload() override;

    void Start(StartCallback onStart, DoneCallback onDone);
    // Stops between two writes; the temporary file goes, nothing is renamed
    // and no callback follows.
    void Cancel();

    qint64 Received() const { return m_nReceived; }
    qint64 Total() const { return m_nTotal; }
    const QString& TargetPath() const { return m_strTarget; }

    // The read buffer Qt may fill ahead of us: the memory a download needs
    // whatever the package's size.
    static constexpr qint64 kReadBufferSize = 1 << 20;

private:
    // Whether the answer's headers are usable yet. After HEADERS_FAILED the
    // end has been reported and the callback may have deleted this object.
    enum enHeaders { HEADERS_WAITING, HEADERS_ACCEPTED, HEADERS_FAILED };
    enHeaders OnHeaders();
    void OnReadyRead();
    void OnFinished();
    bool WriteAvailable();
    void Fail(const QString& reason);
    void Finish(bool ok, const QString& reason);

    QNetworkAccessManager& m_session;
    QUrl m_url;
    QString m_strTarget;
    tagDownloadOptions m_options;
    StartCallback m_onStart;
    DoneCallback m_onDone;

    QPointer<QNetworkReply> m_pReply;
    std::unique_ptr<QSaveFile> m_pFile;
    update::Sha256 m_hash;
    QTimer m_connectTimer;
    std::vector<char> m_buffer;
    qint64 m_nReceived = 0;
    qint64 m_nTotal = -1;
    bool m_bStarted = false;
    bool m_bEnded = false;
    bool m_bTimedOut = false;
};
