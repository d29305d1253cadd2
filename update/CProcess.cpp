#include "update/CProcess.h"

#include "update/CServerProbe.h"
#include "update/UpdateCommandLine.h"
#include "update/UpdateLog.h"

#include <QDir>
#include <QTimer>

CProcess::CProcess() = default;

CProcess::~CProcess() {
    // Downloads and probes first: they use the session.
    m_pListDownload.reset();
    m_pProbe.reset();
}

bool CProcess::ParseCommandLine(std::string_view commandLine) {
    const auto args = update::ParseUpdateCommandLine(commandLine);
    if (!args) {
        return false;
    }
    m_strBaseName = args->strBaseName;
    m_nVersion = args->nVersion;
    m_bBackground = args->bBackground;
    return true;
}

bool CProcess::LoadServers(const char* fileName, std::function<void()> done) {
    if (!update::LoadServerList(fileName, m_vecServers)) {
        return false;
    }
    m_pProbe = std::make_unique<CServerProbe>(m_session, m_vecServers, kProbeTimeoutMs);
    m_pProbe->Start(std::move(done));
    return true;
}

bool CProcess::PickFastestServer() {
    const auto fastest = update::PickFastestServer(m_vecServers);
    if (!fastest) {
        return false;
    }
    m_strServer = m_vecServers[*fastest].strAddress;
    return true;
}

QString CProcess::VersionListName() const {
    return QString::fromStdString(m_strBaseName) + QStringLiteral(".ini");
}

void CProcess::GetUpdateSection(std::function<void(std::optional<std::string>)> done) {
    const QString name = VersionListName();
    m_pListFolder =
        std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/WarrowUpdate-XXXXXX"));
    if (!m_pListFolder->isValid()) {
        QTimer::singleShot(0, &m_session, [done] { done(std::nullopt); });
        return;
    }
    const QString path = m_pListFolder->filePath(name);
    tagDownloadOptions options;
    options.nConnectTimeoutMs = kConnectTimeoutMs;
    options.nMaxSize = kMaxVersionListSize;
    m_pListDownload = std::make_unique<CHttpDownload>(
        m_session, QUrl(QString::fromStdString(m_strServer) + name), path, options);
    m_pListDownload->Start(nullptr, [this, path, done](bool ok, const QString&) {
        if (!ok) {
            update::WriteLog(m_bBackground, "%s", update::kLogNoVersionList);
            done(std::nullopt);
            return;
        }
        update::LoadVersions(path.toStdString(), m_mapVersions);
        done(update::FindNewerVersion(m_mapVersions, m_nVersion));
    });
}

update::tagPackageEntry CProcess::ReadPackageEntry(const std::string& section) const {
    if (!m_pListFolder || !m_pListFolder->isValid()) {
        return {};
    }
    return update::ReadPackageEntry(m_pListFolder->filePath(VersionListName()).toStdString(), section);
}

std::unique_ptr<CHttpDownload> CProcess::StartDownload(const QUrl& url, const QString& targetPath,
                                                       const QByteArray& expectedSha256,
                                                       CHttpDownload::StartCallback onStart,
                                                       CHttpDownload::DoneCallback onDone) {
    tagDownloadOptions options;
    options.nConnectTimeoutMs = kConnectTimeoutMs;
    options.bRequireLength = true;
    options.expectedSha256 = expectedSha256;
    auto download = std::make_unique<CHttpDownload>(m_session, url, targetPath, options);
    download->Start(std::move(onStart), std::move(onDone));
    return download;
}

void CProcess::DeleteVersionList() {
    if (m_pListDownload) {
        m_pListDownload->Cancel(); // no answer reaches a window that is gone
    }
    m_pListFolder.reset(); // removes the folder with the list in it
}
