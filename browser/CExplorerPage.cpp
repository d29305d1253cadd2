#include "browser/CExplorerPage.h"

CExplorerPage::CExplorerPage(QWebEngineProfile* profile, QObject* parent, Admits admits, Admitted admitted)
    : QWebEnginePage(profile, parent), m_admits(std::move(admits)), m_admitted(std::move(admitted)) {}

bool CExplorerPage::IsAllowedAction(WebAction action) {
    switch (action) {
    case ViewSource:
    case SavePage:
    case InspectElement:
    case DownloadLinkToDisk:
    case DownloadImageToDisk:
    case DownloadMediaToDisk:
        return false;
    default:
        return true;
    }
}

void CExplorerPage::triggerAction(WebAction action, bool checked) {
    if (IsAllowedAction(action)) {
        QWebEnginePage::triggerAction(action, checked);
    }
}

bool CExplorerPage::acceptNavigationRequest(const QUrl& url, NavigationType /*type*/, bool isMainFrame) {
    if (!m_admits(url)) {
        NoteRefused(url);
        return false;
    }
    m_admitted(url, isMainFrame);
    return true;
}

void CExplorerPage::NoteRefused(const QUrl& url) {
    ++m_nRefused;
    m_lastRefused = url;
}
