#include "console/CDlgChangeAccount.h"

#include "console/ConsoleMessageBox.h"
#include "console/DialogLook.h"
#include "skin/CGlazeButton.h"
#include "skin/CGlazeEdit.h"

#include <optional>
#include <utility>

using console::Box;

namespace {

struct tagNextAnswer {
    int result;
    std::string account;
    std::string password;
};
std::optional<tagNextAnswer> s_nextAnswer;

} // namespace

CDlgChangeAccount::CDlgChangeAccount(QWidget* parent)
    : CGlazeDialog(parent), m_fields(console::CreateAccountFields(this, 62, 106, 266)),
      m_pOk(new CGlazeButton(this)), m_pCancel(new CGlazeButton(this)), m_pClose(new CGlazeButton(this)) {
    setWindowTitle(QStringLiteral("请输入账号和密码"));
    m_pOk->setText(QStringLiteral("确 定"));
    m_pCancel->setText(QStringLiteral("取 消"));
    connect(m_pOk, &QAbstractButton::clicked, this, [this] { OnOK(); });
    connect(m_pCancel, &QAbstractButton::clicked, this, [this] { OnCancel(); });
    connect(m_pClose, &QAbstractButton::clicked, this, [this] { OnCancel(); });
}

bool CDlgChangeAccount::OnInitDialog() {
    if (!console::SetSmallDialogBackground(*this)) {
        return false;
    }
    console::PushButtonLook(*m_pOk, Box(53, 271, 135, 295));
    console::PushButtonLook(*m_pCancel, Box(153, 271, 235, 295));
    console::CloseButtonLook(*m_pClose);
    m_fields.accountEdit->setFocus();
    return true;
}

int CDlgChangeAccount::DoModal() {
    if (s_nextAnswer) {
        const tagNextAnswer answer = *std::exchange(s_nextAnswer, std::nullopt);
        m_strAccount = answer.account;
        m_strPassword = answer.password;
        return answer.result;
    }
    OnInitDialog();
    return exec() == QDialog::Accepted ? console::IDOK : console::IDCANCEL;
}

void CDlgChangeAccount::ClearNextAnswer() {
    s_nextAnswer.reset();
}

void CDlgChangeAccount::SetNextAnswer(int result, std::string account, std::string password) {
    s_nextAnswer = tagNextAnswer{result, std::move(account), std::move(password)};
}

void CDlgChangeAccount::OnOK() {
    m_strAccount = m_fields.accountEdit->text().toStdString();
    m_strPassword = m_fields.passwordEdit->text().toStdString();
    if (m_strAccount.empty() || m_strPassword.empty()) {
        console::MessageBox(this, QStringLiteral("账号密码不能为空"));
        return;
    }
    done(QDialog::Accepted);
}

void CDlgChangeAccount::OnCancel() {
    done(QDialog::Rejected);
}
