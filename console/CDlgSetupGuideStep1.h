#pragma once
// The setup guide's first step: the installed programs, checked ones added to
// the allow-list when the parent goes on.

#include "console/CDlgPageBase.h"

#include <string>
#include <vector>

class CGlazeStatic;
class QStandardItemModel;
class QTreeView;

class CDlgSetupGuideStep1 : public CDlgPageBase {
public:
    explicit CDlgSetupGuideStep1(QWidget* parent);

    // Lists the installed programs (the desktop's application entries).
    bool OnInitDialog() override;
    // Leaving adds the checked programs and tells how many were new.
    void HidePage() override;
    // Escape inside the step cancels the guide, as it does on the guide itself.
    void OnCancel() override;

    // Fills the list from the entries of these folders.
    void Fill(const std::vector<std::string>& folders);
    QTreeView* List() const { return m_pTree; }
    QStandardItemModel* Model() const { return m_pModel; }

private:
    CGlazeStatic* m_pLabel;
    QTreeView* m_pTree;
    QStandardItemModel* m_pModel;
};
