#pragma once
// The password prompt of the exit dialog.

#include "skin/CGlazeDialog.h"

#include <optional>
#include <string>

class CGlazeButton;
class CGlazeEdit;
class CGlazeStatic;

class CDlgPwdSetup : public CGlazeDialog {
public:
    explicit CDlgPwdSetup(QWidget* parent = nullptr);
    bool OnInitDialog();

    // Runs the prompt modally; QDialog::Accepted when OK was pressed. A
    // pending next answer is returned instead, without showing anything.
    int DoModal();
    const std::string& Password() const { return m_strPassword; }

    // Test seam: the next DoModal answers `result` with `password` typed.
    static void SetNextAnswer(int result, std::string password);

    CGlazeEdit* Edit() const { return m_pEdit; }
    CGlazeButton* OkButton() const { return m_pOk; }

protected:
    void OnOK() override;

private:
    CGlazeEdit* m_pEdit;
    CGlazeStatic* m_pLabel;
    CGlazeButton* m_pOk;
    CGlazeButton* m_pCancel;
    CGlazeButton* m_pClose;
    std::string m_strPassword;
};
