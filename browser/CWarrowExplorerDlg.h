#pragma once
// The child browser's main window: the parent's web tree on the left, the
// pages in fixed-width tabs on the right (the last tab, "新建选项卡", opens a
// new page), a toolbar with back, forward, refresh, stop and a read-only
// address field. Only addresses the web tree admits are opened.

#include "browser/SiteTree.h"
#include "skin/CGlazeBitmap.h"
#include "skin/CGlazeDialog.h"

#include <deque>
#include <memory>
#include <string>
#include <vector>

class CDlgExplorer;
class CGlazeButton;
class CGlazeCheckButton;
class CGlazeTabCtrl;
class CIEListMng;
class QLineEdit;
class QTreeWidget;
class QTreeWidgetItem;
class QWebEngineProfile;

class CWarrowExplorerDlg : public CGlazeDialog {
public:
    // Control ids of the window, kept as the names of its parts.
    enum {
        IDC_TREE = 1001,
        IDC_TAB = 1003,
        IDC_BACK = 1005,
        IDC_FORWARD = 1006,
        IDC_REFRESH = 1007,
        IDC_CLOSEPAGE = 1008,
        IDC_SHOWTREE = 1009,
        IDC_ADDRESS = 1010,
        IDC_STOP = 1011
    };

    // `web` is the tree every address is checked against; pages live in `profile`.
    CWarrowExplorerDlg(CIEListMng* web, QWebEngineProfile* profile);
    ~CWarrowExplorerDlg() override;

    // Builds the window and opens the first page ("about:blank"), maximised.
    void OnInitDialog();

    bool OpenPage(const std::string& url);
    void ShowSelectedPage();
    void ClosePage();
    void FillSiteTree();
    void ArrangeControls();
    void PlaceCloseButton();
    // Opens every queued address as a new tab (the posted "open tab" message).
    void OnOpenTab();
    // Opens the site of a tree item in the selected page; folders do nothing.
    void OpenSiteItem(QTreeWidgetItem* item);
    void OnAbout();

    // For the pages.
    bool Admits(const std::string& url) const;
    void QueueTab(const std::string& url);
    void OnPageAddressChanged(CDlgExplorer* page);
    void SetPageCaption(CDlgExplorer* page, const std::string& caption);

    // The window's parts.
    const std::vector<std::unique_ptr<CDlgExplorer>>& Pages() const { return m_pages; }
    CDlgExplorer* SelectedPage() const;
    CGlazeTabCtrl* Tabs() const { return m_pTabs; }
    QTreeWidget* Tree() const { return m_pTree; }
    QLineEdit* AddressField() const { return m_pAddress; }
    CGlazeButton* Button(int id) const;

    void OnOK() override {}
    void OnCancel() override {}

protected:
    bool OnEraseBkgnd(QPainter* dc) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    void CreateControls();
    void OnCommand(int id);
    void ShowSelectedPageUnguarded();

    CIEListMng* m_pWeb;
    QWebEngineProfile* m_pProfile;
    std::vector<std::unique_ptr<CDlgExplorer>> m_pages;
    std::deque<std::string> m_urlQueue;
    bool m_bTreeShown = true;
    bool m_bOpenTabPosted = false;
    QTreeWidgetItem* m_pFirstFolder = nullptr;
    std::vector<SiteTreeItem> m_siteItems; // what the tree's items stand for

    QTreeWidget* m_pTree = nullptr;
    QWidget* m_pTabControl = nullptr; // the tab strip with the pages under it
    CGlazeTabCtrl* m_pTabs = nullptr;
    QLineEdit* m_pAddress = nullptr;
    CGlazeButton* m_pBack = nullptr;
    CGlazeButton* m_pForward = nullptr;
    CGlazeButton* m_pRefresh = nullptr;
    CGlazeButton* m_pStop = nullptr;
    CGlazeButton* m_pClosePage = nullptr;
    CGlazeCheckButton* m_pShowTree = nullptr;
    CGlazeBitmap m_back;
    CGlazeBitmap m_head;
    CGlazeBitmap m_body;
};
