#include "browser/BrowserProfile.h"

#include <QDir>
#include <QStandardPaths>
#include <QWebEngineDownloadRequest>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

QWebEngineProfile* CreateBrowserProfile(QObject* parent) {
    const QString data = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    auto* profile = new QWebEngineProfile(QStringLiteral("WarrowExplorer"), parent);
    profile->setPersistentStoragePath(data + QStringLiteral("/warrow/WarrowExplorer"));
    profile->setCachePath(cache + QStringLiteral("/warrow/WarrowExplorer"));
    // A login that lives in a session cookie survives a restart too.
    profile->setPersistentCookiesPolicy(QWebEngineProfile::ForcePersistentCookies);

    QWebEngineSettings* settings = profile->settings();
    // Local pages (admitted only by an explicit entry) reach nothing else.
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, false);
    settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
    settings->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);

    QObject::connect(profile, &QWebEngineProfile::downloadRequested, profile,
                     [](QWebEngineDownloadRequest* download) { download->cancel(); });
    return profile;
}
