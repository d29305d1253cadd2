#pragma once
// The console page for the allow-list: programs dropped from a file manager
// or a desktop menu, or chosen with a file dialog, renamed in place and
// removed with the Delete key or the context menu, which also sets a
// program's daily limit and marks learning programs.

#include "console/CDlgPageBase.h"

#include <QString>

#include "core/TimeTables.h"

#include <functional>
#include <optional>
#include <vector>

class CAllowListModel;
class QAction;
class QActionGroup;
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
    // Sets the daily limit of the selected programs: minutes, or -1 for none.
    void OnSetLimit(int minutes);
    // Asks for the minutes of a limit ("自定义..."), then sets it.
    void OnCustomLimit();
    // Marks the selected programs as learning programs, or no longer.
    void OnSetLearning(bool learning);

    QListView* List() const { return m_pList; }
    CAllowListModel* Model() const { return m_pModel; }
    QMenu* ContextMenu() const { return m_pMenu; }
    QMenu* LimitMenu() const { return m_pLimitMenu; }
    QAction* LearningAction() const { return m_pLearning; }
    // Brings the menu's checks and enabled items in line with the row the
    // parent right-clicked (made current and selected if it was not).
    void PrepareContextMenu(const QModelIndex& clicked);

    // The one page of the console, or null.
    static CDlgPageAppliction* Instance();

    // Test seam: the next file dialog answers this path (an empty text: cancelled) without showing.
    static void SetNextFileAnswer(const QString& path);
    // Test seam: the next "自定义..." answers these minutes (nullopt: cancelled) without showing.
    static void SetNextMinutesAnswer(std::optional<int> minutes);

private:
    std::vector<int> SelectedProgramRows() const;
    void ChangeLimits(const std::function<void(core::tagAppLimit&)>& change);

    QListView* m_pList;
    CAllowListModel* m_pModel;
    QMenu* m_pMenu;
    QMenu* m_pLimitMenu;
    QActionGroup* m_pLimitChoices;
    QAction* m_pLearning;
};
