#pragma once
// The first-run login: the parent enters the account number and password
// registered with the account server, or asks the server for a new account;
// after the server accepts, the parent sets the parent password and the
// console changes to its main state.

#include "console/AccountFields.h"
#include "net/UserLoginMessage.h"
#include "skin/CGlazeDialog.h"

#include <QFont>
#include <QTimer>

class CGlazeButton;
class CGlazeTextButton;

class CDlgLogin : public CGlazeDialog {
public:
    explicit CDlgLogin(QWidget* parent = nullptr);
    bool OnInitDialog();

    // Answers of the account server while the console is in its login state.
    void OnLoginAnswer(const user_login_message::tagLoginAnswer& answer);
    void OnRegisterAnswer(const user_login_message::tagAccountInfo& account);

    void OnNext();
    void OnRegister();
    void OnCloseQuestion();
    void OnAnswerTimeout();

    bool IsWaitingForAnswer() const { return m_answerTimer.isActive(); }
    const console::tagAccountFields& Fields() const { return m_fields; }
    CGlazeButton* NextButton() const { return m_pNext; }
    CGlazeTextButton* RegisterButton() const { return m_pRegister; }

    // How long a login waits for the server's answer (30 s; tests shorten it).
    static void SetAnswerTimeoutMs(int ms);
    static constexpr int kAnswerTimeoutMs = 30000;

    void OnOK() override { OnNext(); }
    void OnCancel() override { OnCloseQuestion(); }

private:
    void EnableNext(bool enable);

    console::tagAccountFields m_fields;
    CGlazeTextButton* m_pRegister;
    CGlazeTextButton* m_pForgot;
    CGlazeButton* m_pNext;
    CGlazeButton* m_pClose;
    QFont m_underlined;
    QTimer m_answerTimer;
};
