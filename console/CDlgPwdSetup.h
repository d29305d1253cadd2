#pragma once
// Sets the parent password (the one that unlocks the child shell) the first
// time after a login, or changes it when the old one is given.

#include "skin/CGlazeDialog.h"

#include <string>

class CGlazeButton;
class CGlazeEdit;
class CGlazeStatic;

class CDlgPwdSetup : public CGlazeDialog {
public:
    explicit CDlgPwdSetup(QWidget* parent = nullptr);
    bool OnInitDialog();

    // IDOK (1) only with valid entries, IDCANCEL (2) otherwise. A pending next
    // answer is returned instead, without showing anything.
    int DoModal();
    const std::string& NewPassword() const { return m_strNew; }

    bool m_bFirstSet = false;

    // Test seam: the next DoModal answers `result` with `password` as the new one.
    static void SetNextAnswer(int result, std::string password);
    static void ClearNextAnswer();

    CGlazeEdit* OldEdit() const { return m_pOld; }
    CGlazeEdit* NewEdit() const { return m_pNew; }
    CGlazeEdit* ConfirmEdit() const { return m_pConfirm; }

    void OnOK() override;
    void OnCancel() override;

private:
    CGlazeEdit* m_pOld;
    CGlazeEdit* m_pNew;
    CGlazeEdit* m_pConfirm;
    CGlazeStatic* m_pFirstLabel;
    CGlazeStatic* m_pNewLabel;
    CGlazeStatic* m_pConfirmLabel;
    CGlazeStatic* m_pHint;
    CGlazeButton* m_pOk;
    CGlazeButton* m_pCancel;
    CGlazeButton* m_pClose;
    std::string m_strOld;
    std::string m_strNew;
    std::string m_strConfirm;
};
