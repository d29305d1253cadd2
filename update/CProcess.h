#pragma once
// What one run of the updater knows and does: its command line, the update
// servers and the one chosen, the versions the chosen server offers, and the
// HTTP session every request goes through.

#include "ltl/CSingleton.h"
#include "update/CHttpDownload.h"
#include "update/ServerList.h"
#include "update/VersionList.h"

#include <QNetworkAccessManager>
#include <QTemporaryDir>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class CServerProbe;

class CProcess : public ltl::CSingleton<CProcess> {
public:
    static constexpr int kProbeTimeoutMs = 2000;
    static constexpr int kConnectTimeoutMs = 6000;
    // A version list is a few lines per version; anything bigger is not one.
    static constexpr qint64 kMaxVersionListSize = 1 << 20;

    CProcess();
    ~CProcess() override;

    bool ParseCommandLine(std::string_view commandLine);

    // Reads the server list and starts asking every server for its base
    // address; `done` runs from the event loop when all have answered or
    // given up. False, and `done` never runs, when the list cannot be read.
    bool LoadServers(const char* fileName, std::function<void()> done);
    bool PickFastestServer();

    // Fetches the version list "<base name>.ini" from the chosen server and
    // hands `done` the section of the version to install, or nothing (the
    // reason is logged).
    void GetUpdateSection(std::function<void(std::optional<std::string>)> done);
    // The keys of a section of the fetched version list.
    update::tagPackageEntry ReadPackageEntry(const std::string& section) const;

    // Starts the package download of `url` into `targetPath`; a positive
    // Content-Length is required and, when given, the digest.
    std::unique_ptr<CHttpDownload> StartDownload(const QUrl& url, const QString& targetPath,
                                                 const QByteArray& expectedSha256,
                                                 CHttpDownload::StartCallback onStart,
                                                 CHttpDownload::DoneCallback onDone);
    // Removes the fetched version list.
    void DeleteVersionList();

    bool IsBackground() const { return m_bBackground; }
    const std::string& GetBaseName() const { return m_strBaseName; }
    std::uint64_t GetVersion() const { return m_nVersion; }
    const std::vector<update::tagServer>& GetServers() const { return m_vecServers; }
    const std::string& GetServer() const { return m_strServer; }
    void SetServer(std::string address) { m_strServer = std::move(address); }
    const update::VersionMap& GetVersions() const { return m_mapVersions; }
    QNetworkAccessManager& Session() { return m_session; }

private:
    QString VersionListName() const;

    QNetworkAccessManager m_session;
    std::string m_strServer;
    update::VersionMap m_mapVersions;
    std::string m_strBaseName;
    std::uint64_t m_nVersion = 0;
    std::vector<update::tagServer> m_vecServers;
    bool m_bBackground = false;

    std::unique_ptr<CServerProbe> m_pProbe;
    std::unique_ptr<CHttpDownload> m_pListDownload;
    // The version list lives in a private temporary folder, never beside the
    // installation's own files (a base name such as "Config" would otherwise
    // overwrite and then delete Config.ini).
    std::unique_ptr<QTemporaryDir> m_pListFolder;
};
