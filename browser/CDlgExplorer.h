#pragma once
// One page of the browser: a web view that fills it, the page's current
// address and its tab.

#include <QWidget>
#include <string>

class CExplorer;
class CExplorerPage;
class CWarrowExplorerDlg;
class QWebEngineNewWindowRequest;
class QWebEngineProfile;

class CDlgExplorer : public QWidget {
public:
    CDlgExplorer(QWebEngineProfile* profile, CWarrowExplorerDlg* owner, QWidget* parent);
    ~CDlgExplorer() override;

    // Starts loading `url` and makes it the current address when the web tree
    // admits it (otherwise the page stays as it was); returns the tab caption.
    std::string Navigate(const std::string& url);

    const std::string& CurrentUrl() const { return m_strUrl; }
    int TabIndex() const { return m_nTabIndex; }
    void SetTabIndex(int index) { m_nTabIndex = index; }
    CExplorer* View() const { return m_pView; }
    CExplorerPage* Page() const { return m_pPage; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void OnAdmitted(const QUrl& url, bool isMainFrame);
    void OnUrlChanged(const QUrl& url);
    void OnNewWindow(QWebEngineNewWindowRequest& request);
    void OnTitleChanged(const QString& title);
    void OnLoadFinished(bool ok);

    CWarrowExplorerDlg* m_pOwner;
    CExplorer* m_pView = nullptr;
    CExplorerPage* m_pPage = nullptr;
    std::string m_strUrl;
    int m_nTabIndex = -1;
};
