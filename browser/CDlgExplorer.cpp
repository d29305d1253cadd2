#include "browser/CDlgExplorer.h"

#include "browser/CExplorer.h"
#include "browser/CExplorerPage.h"
#include "browser/CWarrowExplorerDlg.h"
#include "browser/TabCaption.h"
#include "core/CWarrowCoreInterface.h"

#include <QWebEngineNewWindowRequest>

namespace {

std::string Text(const QUrl& url) {
    return url.toString(QUrl::FullyEncoded).toStdString();
}

} // namespace

CDlgExplorer::CDlgExplorer(QWebEngineProfile* profile, CWarrowExplorerDlg* owner, QWidget* parent)
    : QWidget(parent), m_pOwner(owner) {
    m_pView = new CExplorer(this);
    m_pPage = new CExplorerPage(
        profile, m_pView, [this](const QUrl& url) { return m_pOwner->Admits(Text(url)); },
        [this](const QUrl& url, bool isMainFrame) { OnAdmitted(url, isMainFrame); });
    m_pView->setPage(m_pPage);
    connect(m_pPage, &QWebEnginePage::newWindowRequested, this,
            [this](QWebEngineNewWindowRequest& request) { OnNewWindow(request); });
    connect(m_pPage, &QWebEnginePage::titleChanged, this,
            [this](const QString& title) { OnTitleChanged(title); });
    connect(m_pPage, &QWebEnginePage::loadFinished, this, [this](bool ok) { OnLoadFinished(ok); });
    connect(m_pPage, &QWebEnginePage::urlChanged, this, [this](const QUrl& url) { OnUrlChanged(url); });
}

CDlgExplorer::~CDlgExplorer() {
    // The page goes before the view that shows it, as the engine wants.
    m_pView->setPage(nullptr);
    delete m_pPage;
}

std::string CDlgExplorer::Navigate(const std::string& url) {
    // The engine shows "about:blank" and source views of admitted pages
    // without asking, so what the browser opens itself is checked first.
    const QUrl address(QString::fromStdString(url));
    if (m_pOwner->Admits(url)) {
        m_pPage->load(address);
        m_strUrl = url;
    } else {
        m_pPage->NoteRefused(address);
    }
    if (url == kBlankAddress) {
        return kBlankCaption;
    }
    const QString title = m_pPage->title();
    return ShortenCaption(title.isEmpty() ? url : title.toStdString());
}

void CDlgExplorer::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    m_pView->setGeometry(rect());
}

void CDlgExplorer::OnAdmitted(const QUrl& url, bool isMainFrame) {
    if (isMainFrame) {
        return; // the address changes when the page commits it (a download never does)
    }
    // The engine reports no completion per frame; a frame is logged when its
    // navigation is let through (see docs/platform.md).
    CWarrowCoreInterface::Get()->LogOut("打开了网页%s", Text(url).c_str());
}

void CDlgExplorer::OnUrlChanged(const QUrl& url) {
    // Only admitted addresses are ever committed; the engine's own empty
    // page is not shown as an address.
    const std::string address = Text(url);
    if (m_pOwner->Admits(address)) {
        m_strUrl = address;
        m_pOwner->OnPageAddressChanged(this);
    }
}

void CDlgExplorer::OnNewWindow(QWebEngineNewWindowRequest& request) {
    // Never a window of its own: an admitted address becomes a tab once this
    // event has returned; the request itself is left unanswered, so it fails.
    const std::string url = Text(request.requestedUrl());
    if (m_pOwner->Admits(url)) {
        m_pOwner->QueueTab(url);
    }
}

void CDlgExplorer::OnTitleChanged(const QString& title) {
    const bool blank = m_pPage->url().toString() == QLatin1String(kBlankAddress);
    m_pOwner->SetPageCaption(this, blank ? kBlankCaption : ShortenCaption(title.toStdString()));
}

void CDlgExplorer::OnLoadFinished(bool ok) {
    // The engine shows "about:blank" without asking: an empty page the tree
    // does not admit is not reported as opened.
    const std::string url = Text(m_pPage->url());
    if (ok && m_pOwner->Admits(url)) {
        CWarrowCoreInterface::Get()->LogOut("打开了网页%s", url.c_str());
    }
}
