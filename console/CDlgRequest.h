#pragma once
// Sends a help request (contact e-mail and the problem) to the account server.

#include "skin/CGlazeDialog.h"

class CGlazeButton;
class CGlazeEdit;
class CGlazeStatic;
class QPlainTextEdit;

class CDlgRequest : public CGlazeDialog {
public:
    explicit CDlgRequest(QWidget* parent = nullptr);
    bool OnInitDialog();
    int DoModal();

    CGlazeEdit* MailEdit() const { return m_pMail; }
    QPlainTextEdit* QuestionEdit() const { return m_pQuestion; }
    void OnOK() override;
    void OnCancel() override;

private:
    CGlazeStatic* m_pMailLabel;
    CGlazeEdit* m_pMail;
    CGlazeStatic* m_pQuestionLabel;
    QPlainTextEdit* m_pQuestion;
    CGlazeButton* m_pSubmit;
    CGlazeButton* m_pCancel;
    CGlazeButton* m_pClose;
};
