#include "console/CDlgPwdSetup.h"

#include "console/CDlgMessage.h"
#include "console/ConsoleMessageBox.h"
#include "console/DialogLook.h"
#include "console/ParentPasswordCheck.h"
#include "core/CWarrowCoreInterface.h"
#include "skin/CGlazeButton.h"
#include "skin/CGlazeEdit.h"
#include "skin/CGlazeStatic.h"

#include <optional>
#include <utility>

using console::Box;

namespace {

struct tagNextAnswer {
    int result;
    std::string password;
};
std::optional<tagNextAnswer> s_nextAnswer;

void PasswordEditLook(CGlazeEdit& edit, const QRect& where) {
    edit.SetImage("Resource/家长界面/保护设置/输入框.bmp");
    edit.setEchoMode(QLineEdit::Password);
    edit.setMaxLength(12);
    edit.setGeometry(where);
}

std::string StoredParentPassword() {
    CWarrowDBConfig* config = CWarrowCoreInterface::Get()->GetDBConfig();
    return config != nullptr ? config->GetInfo().UserPwd : std::string();
}

} // namespace

CDlgPwdSetup::CDlgPwdSetup(QWidget* parent)
    : CGlazeDialog(parent), m_pOld(new CGlazeEdit(this)), m_pNew(new CGlazeEdit(this)),
      m_pConfirm(new CGlazeEdit(this)), m_pFirstLabel(new CGlazeStatic(this)),
      m_pNewLabel(new CGlazeStatic(this)), m_pConfirmLabel(new CGlazeStatic(this)),
      m_pHint(new CGlazeStatic(this)), m_pOk(new CGlazeButton(this)), m_pCancel(new CGlazeButton(this)),
      m_pClose(new CGlazeButton(this)) {
    setWindowTitle(QStringLiteral("家长密码设置"));
    m_pOk->setText(QStringLiteral("确  定"));
    m_pCancel->setText(QStringLiteral("取  消"));
    connect(m_pOk, &QAbstractButton::clicked, this, [this] { OnOK(); });
    connect(m_pCancel, &QAbstractButton::clicked, this, [this] { OnCancel(); });
    connect(m_pClose, &QAbstractButton::clicked, this, [this] { OnCancel(); });
}

bool CDlgPwdSetup::OnInitDialog() {
    if (!console::SetSmallDialogBackground(*this)) {
        return false;
    }
    PasswordEditLook(*m_pOld, Box(114, 127, 255, 148));
    PasswordEditLook(*m_pNew, Box(114, 159, 255, 180));
    PasswordEditLook(*m_pConfirm, Box(114, 190, 255, 211));
    m_pOld->setVisible(!m_bFirstSet);
    console::LabelLook(*m_pFirstLabel, Box(26, 132, 256, 148),
                       m_bFirstSet ? "请设置家长控制密码：" : "输入原密码");
    console::LabelLook(*m_pNewLabel, Box(26, 163, 184, 180), "设置新密码");
    console::LabelLook(*m_pConfirmLabel, Box(26, 193, 184, 211), "确认新密码");
    console::LabelLook(
        *m_pHint, Box(26, 220, 262, 262),
        "温馨提示：        家长密码用于退出儿童保护                              系统，请保管好该密码。");
    m_pHint->SetFontColor(ToQColor(RGB(0xDC, 0x32, 0x12)));
    console::PushButtonLook(*m_pOk, Box(48, 268, 130, 292));
    console::PushButtonLook(*m_pCancel, Box(152, 268, 234, 292));
    console::CloseButtonLook(*m_pClose);
    (m_bFirstSet ? m_pNew : m_pOld)->setFocus();
    return true;
}

int CDlgPwdSetup::DoModal() {
    if (s_nextAnswer) {
        const tagNextAnswer answer = *std::exchange(s_nextAnswer, std::nullopt);
        m_strNew = answer.password;
        return answer.result;
    }
    OnInitDialog();
    return exec() == QDialog::Accepted ? console::IDOK : console::IDCANCEL;
}

void CDlgPwdSetup::ClearNextAnswer() {
    s_nextAnswer.reset();
}

void CDlgPwdSetup::SetNextAnswer(int result, std::string password) {
    s_nextAnswer = tagNextAnswer{result, std::move(password)};
}

void CDlgPwdSetup::OnOK() {
    m_strOld = m_pOld->text().toStdString();
    m_strNew = m_pNew->text().toStdString();
    m_strConfirm = m_pConfirm->text().toStdString();
    const console::tagPasswordVerdict verdict =
        console::CheckParentPassword(m_bFirstSet, {m_strOld, m_strNew, m_strConfirm}, StoredParentPassword());
    if (verdict.notice != nullptr) {
        // Before the main window exists there is no notice window; the parent
        // still has to learn why the dialog stays.
        if (CDlgMessage::Instance() != nullptr) {
            ShowNotice(verdict.notice);
        } else {
            console::MessageBox(this, QString::fromUtf8(verdict.notice));
        }
    }
    if (verdict.accepted) {
        done(QDialog::Accepted);
    }
}

void CDlgPwdSetup::OnCancel() {
    done(QDialog::Rejected);
}
