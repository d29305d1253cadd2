#pragma once
// The console page for the allow-list: programs dropped from a file manager
// or a desktop menu, or chosen with a file dialog, renamed in place and
// removed with the Delete key or the context menu.

#include "console/CDlgPageBase.h"

#include <QString>

#include <optional>

class CAllowListModel;
class QListView;
class QMenu;

class CDlgPageAppliction : public CDlgPageBase {
public:
    explicit CDlgPageAppliction(QWidget* parent);
    ~CDlgPageAppliction() override;

    bool OnInitDialog() override;
    // Rebuilds the list from the allow-list; called each time the page is chosen.
    void Refresh();

    // The add row's file dialog; what it chose is added.
    void OnAddByDialog();
    // Starts renaming the current row in place ("编  辑").
    void OnEdit();
    // Removes the selected rows ("删  除", the Delete key).
    void OnDelete();

    QListView* List() const { return m_pList; }
    CAllowListModel* Model() const { return m_pModel; }
    QMenu* ContextMenu() const { return m_pMenu; }

    // The one page of the console, or null.
    static CDlgPageAppliction* Instance();

    // Test seam: the next file dialog answers this path (an empty text: cancelled) without showing.
    static void SetNextFileAnswer(const QString& path);

private:
    QListView* m_pList;
    CAllowListModel* m_pModel;
    QMenu* m_pMenu;
};
