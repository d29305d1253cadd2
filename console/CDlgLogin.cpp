#include "console/CDlgLogin.h"

#include "console/AccountFile.h"
#include "console/CDlgPwdSetup.h"
#include "console/CWarrowTrayApp.h"
#include "console/ConsoleMessageBox.h"
#include "console/ConsoleSite.h"
#include "console/DialogLook.h"
#include "core/CWarrowCoreInterface.h"
#include "net/CNetClientLogin.h"
#include "skin/CGlazeButton.h"
#include "skin/CGlazeEdit.h"
#include "skin/CGlazeTextButton.h"

using console::Box;
using namespace user_login_message;

namespace {

int s_nAnswerTimeoutMs = CDlgLogin::kAnswerTimeoutMs;

const QString kNoConnection = QStringLiteral("无法连接，请联系客服，给您带来的不便深表歉意");

void LinkLook(CGlazeTextButton& link, const QRect& where, const QFont& font, const char* text) {
    link.setGeometry(where);
    link.setFont(font);
    link.setText(QString::fromUtf8(text));
    link.SetTextAlign(DT_VCENTER | DT_SINGLELINE);
    for (int state = 0; state < 3; ++state) {
        link.SetTextColor(ToQColor(RGB(0x14, 0x4F, 0x7F)), state);
    }
    link.SetTextColor(ToQColor(RGB(0x80, 0x80, 0x80)), 3);
}

} // namespace

void CDlgLogin::SetAnswerTimeoutMs(int ms) {
    s_nAnswerTimeoutMs = ms;
}

CDlgLogin::CDlgLogin(QWidget* parent)
    : CGlazeDialog(parent), m_fields(console::CreateAccountFields(this, 26, 61, 221)),
      m_pRegister(new CGlazeTextButton(this)), m_pForgot(new CGlazeTextButton(this)),
      m_pNext(new CGlazeButton(this)), m_pClose(new CGlazeButton(this)) {
    setWindowTitle(QStringLiteral("Tavi儿童保护系统"));
    m_pNext->setText(QStringLiteral("下一步 >"));
    m_answerTimer.setSingleShot(true);
    connect(&m_answerTimer, &QTimer::timeout, this, [this] { OnAnswerTimeout(); });
    connect(m_pNext, &QAbstractButton::clicked, this, [this] { OnNext(); });
    connect(m_pRegister, &QAbstractButton::clicked, this, [this] { OnRegister(); });
    connect(m_pClose, &QAbstractButton::clicked, this, [this] { OnCloseQuestion(); });
    // "忘记密码" has no action.
}

bool CDlgLogin::OnInitDialog() {
    if (!console::SetSmallDialogBackground(*this)) {
        return false;
    }
    m_underlined = m_fields.accountEdit->font();
    m_underlined.setUnderline(true);
    LinkLook(*m_pRegister, Box(156, 127, 266, 148), m_underlined, "没有账号[自动获取]");
    LinkLook(*m_pForgot, Box(156, 195, 266, 216), m_underlined, "忘记密码");
    console::PushButtonLook(*m_pNext, Box(183, 271, 265, 295));
    console::CloseButtonLook(*m_pClose);
    m_fields.accountEdit->setFocus();
    return true;
}

void CDlgLogin::EnableNext(bool enable) {
    m_pNext->SetDisable(enable ? 0 : 1);
    m_pNext->update();
}

void CDlgLogin::OnNext() {
    if (!m_pNext->isEnabled()) {
        return; // Enter while an answer is awaited
    }
    EnableNext(false);
    const std::string account = m_fields.accountEdit->text().toStdString();
    const std::string password = m_fields.passwordEdit->text().toStdString();
    if (account.empty()) {
        console::MessageBox(this, QStringLiteral("请输入Tavi号"));
        EnableNext(true);
        return;
    }
    if (password.empty()) {
        console::MessageBox(this, QStringLiteral("请输入密码"));
        EnableNext(true);
        return;
    }
    if (!console::SetAccountInMemory(account, password)) {
        console::MessageBox(this, QStringLiteral("未知错误，请登录") + console::MakerSite() +
                                      QStringLiteral("咨询"));
        EnableNext(true);
        return;
    }
    CWarrowTrayApp* app = CWarrowTrayApp::Instance();
    if (app != nullptr && app->SendLoginRequest()) {
        m_answerTimer.start(s_nAnswerTimeoutMs);
        return;
    }
    // Nothing went out: say so now instead of after the answer time.
    console::MessageBox(this, kNoConnection);
    EnableNext(true);
}

void CDlgLogin::OnAnswerTimeout() {
    m_answerTimer.stop();
    if (CWarrowTrayApp* app = CWarrowTrayApp::Instance(); app != nullptr && app->NetClient() != nullptr) {
        app->NetClient()->Close(false);
    }
    console::MessageBox(this, kNoConnection);
    EnableNext(true);
}

void CDlgLogin::OnLoginAnswer(const tagLoginAnswer& answer) {
    m_answerTimer.stop();
    if (answer.nResult == LOGIN_ACCEPTED || answer.nResult == LOGIN_NEW_VERSION) {
        const std::string userName = answer.account.strUserName;
        CDlgPwdSetup setup(this);
        setup.m_bFirstSet = true;
        if (setup.DoModal() == console::IDOK) {
            CWarrowDBConfig* config = CWarrowCoreInterface::Get()->GetDBConfig();
            if (config == nullptr) {
                EnableNext(true);
                return;
            }
            tagSystemInfo& info = config->GetInfo();
            info.Style = 0;
            info.UserName = userName;
            info.UserPwd = setup.NewPassword();
            if (!config->Save()) {
                // Going on would greet a parent whose account is not stored.
                console::MessageBox(this, QStringLiteral("未知错误，请登录") + console::MakerSite() +
                                              QStringLiteral("咨询"));
                EnableNext(true);
                return;
            }
            console::MessageBox(this, QStringLiteral("请牢记家长密码"));
            if (CWarrowTrayApp* app = CWarrowTrayApp::Instance()) {
                app->ChangeToMainState();
            }
        }
    } else if (answer.nResult == LOGIN_REFUSED) {
        console::MessageBox(this, QStringLiteral("账号或密码输入错误，请核对后输入"));
    }
    EnableNext(true);
}

void CDlgLogin::OnRegister() {
    CWarrowTrayApp* app = CWarrowTrayApp::Instance();
    CMSG_C2S_REGISTER_REQUEST request;
    if (app == nullptr || !app->SendRequest(request)) {
        console::MessageBox(this, kNoConnection);
        return;
    }
    m_pRegister->SetDisable(1); // one account per start
    m_pRegister->update();
}

void CDlgLogin::OnRegisterAnswer(const tagAccountInfo& account) {
    m_fields.accountEdit->setText(QString::fromStdString(account.strUserName));
    m_fields.passwordEdit->setText(QString::fromStdString(account.strPassword));
    std::string error;
    if (!console::WriteAccountFile(console::kAccountFileName, account.nAccount, account.strPassword, error)) {
        console::MessageBox(
            this, QStringLiteral("无法保存文件“%1”：%2")
                      .arg(QString::fromUtf8(console::kAccountFileName), QString::fromStdString(error)));
        return;
    }
    console::MessageBox(this, QStringLiteral("账号和密码已经保存到软件安装目录，感谢使用！"));
}

void CDlgLogin::OnCloseQuestion() {
    if (console::MessageBox(this, QStringLiteral("请问真的要退出该系统吗？"), console::MB_OKCANCEL) ==
        console::IDOK) {
        CWarrowTrayApp::Quit();
    }
}
