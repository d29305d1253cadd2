#pragma once
// The setup guide's second step: the user's browser bookmarks, checked ones
// added to the web tree's "收藏夹" folder when the parent goes on.

#include "console/BrowserBookmarks.h"
#include "console/CDlgPageBase.h"
#include "core/CIEListMng.h"

#include <vector>

class CFaviconCache;
class CGlazeStatic;
class QStandardItemModel;
class QTreeView;

class CDlgSetupGuideStep2 : public CDlgPageBase {
public:
    explicit CDlgSetupGuideStep2(QWidget* parent);
    ~CDlgSetupGuideStep2() override;

    bool OnInitDialog() override;
    // Entering reads the bookmarks and lists them; their pictures follow.
    void ShowPage() override;
    // Leaving adds the checked bookmarks to the web tree and saves it.
    void HidePage() override;
    void OnCancel() override;

    // Where the bookmarks are read from; the user's browsers unless a test says otherwise.
    void SetSources(const console::tagBookmarkSources& sources) { m_sources = sources; }
    // Lists these bookmarks (one per title, web addresses only).
    void Fill(const std::vector<console::tagBookmark>& bookmarks);

    QTreeView* List() const { return m_pTree; }
    QStandardItemModel* Model() const { return m_pModel; }
    CGlazeStatic* Label() const { return m_pLabel; }
    CFaviconCache* Favicons() const { return m_pFavicons; }

private:
    CGlazeStatic* m_pLabel;
    QTreeView* m_pTree;
    QStandardItemModel* m_pModel;
    CFaviconCache* m_pFavicons;
    console::tagBookmarkSources m_sources;
    std::vector<tagIEInfo> m_favorites; // row -> the prepared page
};
