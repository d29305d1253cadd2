#pragma once
// Asks for another account number and password ("[更换]" in the main window).

#include "console/AccountFields.h"
#include "skin/CGlazeDialog.h"

#include <string>

class CGlazeButton;

class CDlgChangeAccount : public CGlazeDialog {
public:
    explicit CDlgChangeAccount(QWidget* parent = nullptr);
    bool OnInitDialog();

    // IDOK with both texts entered, IDCANCEL otherwise.
    int DoModal();
    const std::string& AccountText() const { return m_strAccount; }
    const std::string& PasswordText() const { return m_strPassword; }

    // Test seam: the next DoModal answers at once with these entries.
    static void SetNextAnswer(int result, std::string account, std::string password);
    static void ClearNextAnswer();

    const console::tagAccountFields& Fields() const { return m_fields; }
    void OnOK() override;
    void OnCancel() override;

private:
    console::tagAccountFields m_fields;
    CGlazeButton* m_pOk;
    CGlazeButton* m_pCancel;
    CGlazeButton* m_pClose;
    std::string m_strAccount;
    std::string m_strPassword;
};
