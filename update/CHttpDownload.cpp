#include "update/CHttpDownload.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {

// Large enough that a fast loopback download costs few system calls.
constexpr qsizetype kWriteBlock = 256 * 1024;

} // namespace

CHttpDownload::CHttpDownload(QNetworkAccessManager& session, QUrl url, QString targetPath,
                             tagDownloadOptions options)
    : m_session(session), m_url(std::move(url)), m_strTarget(std::move(targetPath)),
      m_options(std::move(options)), m_buffer(kWriteBlock) {
    m_connectTimer.setSingleShot(true);
}

CHttpDownload::~CHttpDownload() {
    Cancel();
}

void CHttpDownload::Start(StartCallback onStart, DoneCallback onDone) {
    m_onStart = std::move(onStart);
    m_onDone = std::move(onDone);

    QNetworkRequest request(m_url);
    // The bytes as the server stores them: the announced length and the
    // digest are those of the file, not of a compressed transfer.
    request.setRawHeader("Accept-Encoding", "identity");
    request.setHeader(QNetworkRequest::UserAgentHeader, QByteArrayLiteral("WarrowUpdate"));
    request.setTransferTimeout(m_options.nStallTimeoutMs);
    m_pReply = m_session.get(request);
    m_pReply->setReadBufferSize(kReadBufferSize);

    connect(m_pReply, &QNetworkReply::metaDataChanged, this, [this] { OnHeaders(); });
    connect(m_pReply, &QNetworkReply::readyRead, this, &CHttpDownload::OnReadyRead);
    connect(m_pReply, &QNetworkReply::finished, this, &CHttpDownload::OnFinished);
    connect(m_pReply, &QNetworkReply::requestSent, &m_connectTimer, &QTimer::stop);
    connect(&m_connectTimer, &QTimer::timeout, this, [this] {
        m_bTimedOut = true;
        if (m_pReply) {
            m_pReply->abort(); // finishes the reply with an error
        }
    });
    m_connectTimer.start(m_options.nConnectTimeoutMs);
}

void CHttpDownload::Cancel() {
    if (m_bEnded) {
        return;
    }
    m_bEnded = true;
    m_connectTimer.stop();
    if (m_pReply) {
        m_pReply->disconnect(this);
        // Deleting the reply aborts it, from the event loop: an abort from
        // inside one of its own signals upsets Qt's error reporting.
        m_pReply->deleteLater();
    }
    m_pFile.reset(); // an uncommitted file takes its temporary file with it
}

CHttpDownload::enHeaders CHttpDownload::OnHeaders() {
    if (m_bEnded || !m_pReply) {
        return HEADERS_FAILED;
    }
    if (m_bStarted) {
        return HEADERS_ACCEPTED;
    }
    const QVariant status = m_pReply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid()) {
        return HEADERS_WAITING;
    }
    const int code = status.toInt();
    if (code >= 300 && code < 400 &&
        m_pReply->attribute(QNetworkRequest::RedirectionTargetAttribute).isValid()) {
        return HEADERS_WAITING; // Qt follows it; the headers that count come with the next answer
    }
    if (code != 200) {
        Fail(QStringLiteral("HTTP status %1").arg(code));
        return HEADERS_FAILED;
    }
    const QVariant length = m_pReply->header(QNetworkRequest::ContentLengthHeader);
    if (length.isValid()) {
        m_nTotal = length.toLongLong();
    }
    if (m_options.bRequireLength && m_nTotal <= 0) {
        Fail(m_nTotal == 0 ? QStringLiteral("the server announced an empty file")
                           : QStringLiteral("the server announced no length"));
        return HEADERS_FAILED;
    }
    if (m_options.nMaxSize >= 0 && m_nTotal > m_options.nMaxSize) {
        Fail(QStringLiteral("%1 bytes is too large").arg(m_nTotal));
        return HEADERS_FAILED;
    }
    m_pFile = std::make_unique<QSaveFile>(m_strTarget);
    if (!m_pFile->open(QIODevice::WriteOnly)) {
        Fail(QStringLiteral("cannot write %1: %2").arg(m_strTarget, m_pFile->errorString()));
        return HEADERS_FAILED;
    }
    m_bStarted = true;
    m_connectTimer.stop();
    if (m_onStart) {
        m_onStart(m_nTotal);
    }
    return m_bEnded ? HEADERS_FAILED : HEADERS_ACCEPTED;
}

void CHttpDownload::OnReadyRead() {
    if (OnHeaders() == HEADERS_ACCEPTED) {
        WriteAvailable();
    }
}

bool CHttpDownload::WriteAvailable() {
    while (m_pReply && m_pReply->bytesAvailable() > 0) {
        const qint64 n = m_pReply->read(m_buffer.data(), static_cast<qint64>(m_buffer.size()));
        if (n <= 0) {
            break;
        }
        if (m_nTotal >= 0 && m_nReceived + n > m_nTotal) {
            Fail(QStringLiteral("the body is longer than announced"));
            return false;
        }
        if (m_options.nMaxSize >= 0 && m_nReceived + n > m_options.nMaxSize) {
            Fail(QStringLiteral("more than %1 bytes").arg(m_options.nMaxSize));
            return false;
        }
        if (m_pFile->write(m_buffer.data(), n) != n) {
            Fail(QStringLiteral("cannot write %1: %2").arg(m_strTarget, m_pFile->errorString()));
            return false;
        }
        m_hash.Add(m_buffer.data(), static_cast<std::size_t>(n));
        m_nReceived += n;
    }
    return true;
}

void CHttpDownload::OnFinished() {
    if (m_bEnded || !m_pReply) {
        return;
    }
    if (m_pReply->error() != QNetworkReply::NoError) {
        Fail(m_bTimedOut ? QStringLiteral("no connection within %1 ms").arg(m_options.nConnectTimeoutMs)
                         : m_pReply->errorString());
        return;
    }
    switch (OnHeaders()) {
    case HEADERS_FAILED:
        return; // already reported; this object may be gone
    case HEADERS_WAITING:
        Fail(QStringLiteral("no HTTP answer"));
        return;
    case HEADERS_ACCEPTED:
        break;
    }
    if (!WriteAvailable()) {
        return;
    }
    if (m_nTotal >= 0 && m_nReceived != m_nTotal) {
        Fail(QStringLiteral("the body is shorter than announced (%1 of %2 bytes)")
                 .arg(m_nReceived)
                 .arg(m_nTotal));
        return;
    }
    const std::string digest = m_hash.HexDigest();
    if (!m_options.expectedSha256.isEmpty() &&
        !update::SameDigest(digest, m_options.expectedSha256.toStdString())) {
        Fail(QStringLiteral("its SHA-256 %1 is not the published %2")
                 .arg(QString::fromStdString(digest), QString::fromLatin1(m_options.expectedSha256)));
        return;
    }
    if (!m_pFile->commit()) {
        Fail(QStringLiteral("cannot write %1: %2").arg(m_strTarget, m_pFile->errorString()));
        return;
    }
    Finish(true, QString());
}

void CHttpDownload::Fail(const QString& reason) {
    Finish(false, reason);
}

void CHttpDownload::Finish(bool ok, const QString& reason) {
    if (m_bEnded) {
        return;
    }
    DoneCallback onDone = std::move(m_onDone);
    Cancel(); // drops the reply and, unless committed, the temporary file
    // Last: the callback may delete this object.
    if (onDone) {
        onDone(ok, reason);
    }
}
