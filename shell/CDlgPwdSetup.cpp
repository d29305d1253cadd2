#include "shell/CDlgPwdSetup.h"

#include "skin/CGlazeButton.h"
#include "skin/CGlazeEdit.h"
#include "skin/CGlazeStatic.h"

#include <utility>

namespace {

struct tagNextAnswer {
    int result;
    std::string password;
};
std::optional<tagNextAnswer> s_nextAnswer;

QRect Box(int left, int top, int right, int bottom) {
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

void PushButtonLook(CGlazeButton& button, const QRect& where) {
    button.SetImage("Resource/家长界面/按钮00.bmp", 0);
    button.SetImage("Resource/家长界面/按钮01.bmp", 1);
    button.SetImage("Resource/家长界面/按钮02.bmp", 2);
    button.SetImage("Resource/家长界面/按钮03.bmp", 3);
    button.setGeometry(where);
    button.SetTextColor(ToQColor(RGB(20, 79, 127)));
    button.SetTextShadow(SHADOW_DROP, Qt::white);
}

} // namespace

CDlgPwdSetup::CDlgPwdSetup(QWidget* parent)
    : CGlazeDialog(parent), m_pEdit(new CGlazeEdit(this)), m_pLabel(new CGlazeStatic(this)),
      m_pOk(new CGlazeButton(this)), m_pCancel(new CGlazeButton(this)), m_pClose(new CGlazeButton(this)) {
    m_pEdit->setEchoMode(QLineEdit::Password);
    m_pOk->setText(QStringLiteral("确  定"));
    m_pCancel->setText(QStringLiteral("取  消"));
    connect(m_pOk, &QAbstractButton::clicked, this, [this] { OnOK(); });
    connect(m_pCancel, &QAbstractButton::clicked, this, [this] { OnCancel(); });
    connect(m_pClose, &QAbstractButton::clicked, this, [this] { OnCancel(); });
}

bool CDlgPwdSetup::OnInitDialog() {
    if (!SetImage("Resource/家长界面/保护设置/密码框.bmp")) {
        return false;
    }
    m_pEdit->SetImage("Resource/家长界面/保护设置/输入框.bmp");
    m_pEdit->setGeometry(Box(114, 159, 255, 180));
    m_pLabel->SetWindowTextA(QStringLiteral("请输入密码"));
    m_pLabel->SetFontColor(ToQColor(RGB(18, 82, 130)));
    m_pLabel->setGeometry(Box(26, 163, 184, 180));
    PushButtonLook(*m_pOk, Box(48, 219, 130, 243));
    PushButtonLook(*m_pCancel, Box(152, 219, 234, 243));
    m_pClose->SetImage("Resource/家长界面/保护设置/密码框叉00.bmp", 0);
    m_pClose->SetImage("Resource/家长界面/保护设置/密码框叉02.bmp", 1);
    m_pClose->SetImage("Resource/家长界面/保护设置/密码框叉02.bmp", 2);
    m_pClose->SetImage("Resource/家长界面/保护设置/密码框叉00.bmp", 3);
    m_pClose->setGeometry(Box(260, 4, 277, 20));
    m_pEdit->setFocus();
    return true;
}

int CDlgPwdSetup::DoModal() {
    if (s_nextAnswer) {
        const tagNextAnswer answer = *std::exchange(s_nextAnswer, std::nullopt);
        m_strPassword = answer.password;
        return answer.result;
    }
    OnInitDialog();
    return exec();
}

void CDlgPwdSetup::SetNextAnswer(int result, std::string password) {
    s_nextAnswer = tagNextAnswer{result, std::move(password)};
}

void CDlgPwdSetup::OnOK() {
    m_strPassword = m_pEdit->text().toStdString();
    CGlazeDialog::OnOK();
}
