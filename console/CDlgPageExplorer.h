#pragma once
// The console page that edits the child browser's web tree: folders and pages,
// their names, addresses and restriction levels. Changes stay in the web-tree
// manager's memory until they are saved.

#include "console/CDlgPageBase.h"

#include <QString>

#include <map>

class CGlazeButton;
class CGlazeSliderCtrl2;
class CGlazeStatic;
class CIEListMng;
class CScrollTree;
class QLineEdit;
class QMenu;
class QTreeWidgetItem;
struct tagIEInfo;

class CDlgPageExplorer : public CDlgPageBase {
public:
    explicit CDlgPageExplorer(QWidget* parent);

    bool OnInitDialog() override;

    // Rebuilds the tree from the manager's memory (unsaved changes included).
    void Reload();
    // Whether the tree changed since the last save; the main window asks
    // before it hides.
    bool IsDirty() const { return m_bDirty != 0; }
    // Offers to apply pending edits, then writes the whole tree.
    void Save();

    void OnNewFolder();
    void OnNewPage();
    void OnDelete();
    // False when the edits were refused (or there is nothing selected).
    bool Apply();

    // The text explaining a restriction level (0 high, 1 medium, 2 low).
    static QString LevelDescription(int level);
    // The example addresses of those texts: a portal's news site and its games site.
    static constexpr const char* kNewsExample = "http://news.sina.com.cn";
    static constexpr const char* kGamesExample = "http://games.sina.com.cn";

    // Seams for tests and the README picture.
    CScrollTree* Tree() const { return m_pTree; }
    QLineEdit* NameEdit() const { return m_pName; }
    QLineEdit* AddressEdit() const { return m_pAddress; }
    CGlazeSliderCtrl2* LevelSlider() const { return m_pLevel; }
    CGlazeStatic* Description() const { return m_pDescription; }
    CGlazeButton* ApplyButton() const { return m_pApply; }
    CGlazeButton* SaveButton() const { return m_pSave; }
    QMenu* ContextMenu() const { return m_pMenu; }
    bool IsEdited() const { return m_bEdited != 0; }
    // The tree item shown for a node name, or null.
    QTreeWidgetItem* ItemOf(const QString& name) const;
    // The highlighted item, or null.
    QTreeWidgetItem* SelectedItem() const;

private:
    CIEListMng* Web() const;
    void CreateControls();
    void LoadNode(QTreeWidgetItem* item);
    void OnSelectionChanged(QTreeWidgetItem* current);
    void OnEditorChanged();
    bool UpdateNode(const QString& oldName, const tagIEInfo& record);
    // The first name of "<base>", "<base>1", "<base>2", ... not shown in the
    // tree, searched from `counter` on, which is left at the number used.
    QString FreeName(const QString& base, int& counter) const;
    void AddAndSelect(const QString& name, QTreeWidgetItem* parent);
    void ForgetNames(QTreeWidgetItem* item);
    void SetDirty();

    CScrollTree* m_pTree = nullptr;
    QLineEdit* m_pName = nullptr;
    QLineEdit* m_pAddress = nullptr;
    CGlazeSliderCtrl2* m_pLevel = nullptr;
    CGlazeStatic* m_pDescription = nullptr;
    CGlazeButton* m_pApply = nullptr;
    CGlazeButton* m_pDelete = nullptr;
    CGlazeButton* m_pNewPage = nullptr;
    CGlazeButton* m_pNewFolder = nullptr;
    CGlazeButton* m_pSave = nullptr;
    QMenu* m_pMenu = nullptr;

    // One entry per node shown; a name stored twice keeps its first item.
    std::map<QString, QTreeWidgetItem*> m_items;
    tagIEInfo* m_pCurrent = nullptr;
    int m_bEdited = 0;
    int m_bDirty = 0;
};
