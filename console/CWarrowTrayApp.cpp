#include "console/CWarrowTrayApp.h"

#include "console/CDlgLogin.h"
#include "console/CDlgLogo.h"
#include "console/CDlgMessage.h"
#include "console/CWarrowTrayDlg.h"
#include "console/ConsoleSite.h"
#include "core/CWarrowCoreInterface.h"
#include "net/CNetClientLogin.h"
#include "platform/SingleInstance.h"

#include <QGuiApplication>
#include <QSocketNotifier>

#include <algorithm>
#include <cstdio>

using namespace user_login_message;

namespace {
CWarrowTrayApp* s_pApp = nullptr;
constexpr unsigned kUpdateStatusMessageNumber = 1126; // WM_USER + 102
} // namespace

bool console::HasQuitSwitch(const std::vector<std::string>& arguments) {
    return std::any_of(arguments.begin(), arguments.end(),
                       [](const std::string& argument) { return argument.find("/q") != std::string::npos; });
}

CWarrowTrayApp::CWarrowTrayApp()
    : m_stateLogin(this, &CWarrowTrayApp::EnterLogin, nullptr, &CWarrowTrayApp::ExitLogin),
      m_stateMain(this, &CWarrowTrayApp::EnterMain, nullptr, nullptr) {
    s_pApp = this;
}

CWarrowTrayApp::~CWarrowTrayApp() {
    ExitInstance();
    if (s_pApp == this) {
        s_pApp = nullptr;
    }
}

CWarrowTrayApp* CWarrowTrayApp::Instance() {
    return s_pApp;
}

bool CWarrowTrayApp::StartInstance(const std::vector<std::string>& arguments) {
    const bool quit = console::HasQuitSwitch(arguments);
    m_pInstance = std::make_unique<platform::SingleInstance>(kInstanceName);
    if (!m_pInstance->Acquire() || quit) {
        if (quit) {
            platform::PostToInstance(kWindowTitle, "WM_QUIT", 0);
        }
        m_pInstance.reset();
        return false;
    }
    return true;
}

bool CWarrowTrayApp::InitInstance() {
    QGuiApplication::setQuitOnLastWindowClosed(false); // hidden to the tray is still running
    CWarrowCoreInterface* core = CWarrowCoreInterface::Get();
    core->Init(kDataBasePath, kDataBasePassword, nullptr);
    // The allow-list manager knows the cache database too but works on the main one.
    if (core->GetWLMng() != nullptr) {
        core->GetWLMng()->Init(kCacheDataBasePath, kDataBasePassword);
        core->GetWLMng()->SetCurrentDB(kDataBasePath);
    }
    for (unsigned message : {1224u, kUpdateStatusMessageNumber, 563u, 74u, 73u}) {
        core->RegisterMessage(message, 1);
    }

    // "/q" of a second start and the updater's status arrive on the mailbox.
    std::string error;
    if (m_pInstance && m_pInstance->Listen(kWindowTitle, &error)) {
        m_pMailbox =
            std::make_unique<QSocketNotifier>(m_pInstance->Mailbox().Descriptor(), QSocketNotifier::Read);
        connect(m_pMailbox.get(), &QSocketNotifier::activated, this, [this] { ReadMailbox(); });
    } else if (m_pInstance) {
        std::fprintf(stderr, "WarrowTray: no mailbox for /q: %s\n", error.c_str());
    }

    const bool noAccount = core->GetDBConfig() == nullptr || core->GetDBConfig()->GetInfo().ID == -1;
    m_fsm.ChangeState(noAccount ? &m_stateLogin : &m_stateMain);
    return true;
}

void CWarrowTrayApp::ReadMailbox() {
    std::string datagram;
    std::string name;
    long wParam = 0;
    while (m_pInstance && m_pInstance->Mailbox().Receive(datagram)) {
        if (!platform::ParseServiceMessage(datagram, name, wParam)) {
            continue;
        }
        if (name == "WM_QUIT") {
            Quit();
        } else if (name == update::kUpdateStatusMessage) {
            OnUpdateStatus(wParam);
        }
    }
}

void CWarrowTrayApp::OnUpdateStatus(long status) {
    switch (status) {
    case update::UPDATE_FAILED:
        ShowNotice(QStringLiteral("更新失败，请去官网") + console::MakerSite() +
                   QStringLiteral("查询最新信息"));
        break;
    case update::UPDATE_STARTED:
        ShowNotice("开始更新");
        break;
    case update::UPDATE_FINISHED:
        ShowNotice("更新完成");
        break;
    default:
        break;
    }
}

int CWarrowTrayApp::ExitInstance() {
    m_pMailbox.reset();
    DeleteNetClient();
    CWarrowCoreInterface::Free();
    if (m_pLogin) {
        m_pLogin->hide();
        m_pLogin.reset();
    }
    if (m_pMainWnd) {
        m_pMainWnd->DestroyWindow(); // the notice window and the tray icon go with it
        m_pMainWnd.reset();
    }
    m_pInstance.reset();
    return 0;
}

void CWarrowTrayApp::Quit() {
    QCoreApplication::exit(0);
}

bool CWarrowTrayApp::IsLoginState() const {
    return m_fsm.GetCurrentState() == &m_stateLogin;
}

void CWarrowTrayApp::ChangeToMainState() {
    m_fsm.ChangeState(&m_stateMain);
}

int CWarrowTrayApp::EnterLogin() {
    m_pLogin = std::make_unique<CDlgLogin>();
    m_pLogin->OnInitDialog();
    m_pLogin->show();
    ConnectServer();
    return 0;
}

int CWarrowTrayApp::ExitLogin() {
    if (m_pLogin) {
        m_pLogin->hide(); // it lives until the console ends
    }
    return 0;
}

int CWarrowTrayApp::EnterMain() {
    if (m_pNetClient) {
        m_pNetClient->Close(false);
    }
    m_pMainWnd = std::make_unique<CWarrowTrayDlg>();
    m_pMainWnd->OnInitDialog();
    m_pMainWnd->show();
    if (m_pMainWnd->Logo() != nullptr) {
        m_pMainWnd->Logo()->show();
    }
    return 0;
}

void CWarrowTrayApp::DeleteNetClient() {
    m_pNetClient.reset(); // joins the receive thread
}

bool CWarrowTrayApp::ConnectServer() {
    DeleteNetClient();
    m_pNetClient = std::make_unique<CNetClientLogin>(CreateLoginMessage);
    m_pNetClient->SetHandler(this);
    // The receive thread only wakes this thread; the answers run here.
    // The client is deleted (its thread joined) before this object goes.
    m_pNetClient->SetWakeup([this] {
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_pNetClient) {
                    m_pNetClient->ProcessMessages();
                }
            },
            Qt::QueuedConnection);
    });
    const tagConfig& config = CWarrowCoreInterface::Get()->GetWRControl()->GetConfig();
    if (m_pNetClient->Connect(config.Ip.c_str(), static_cast<unsigned short>(config.Port & 0xFFFF))) {
        return true;
    }
    DeleteNetClient();
    ShowNotice("服务器维护，请稍后再试，给您带来的不便深表歉意。");
    return false;
}

bool CWarrowTrayApp::SendRequest(CMsg& message) {
    // A connection the server dropped meanwhile (it ends idle ones) is made
    // again once, so the parent's request is not lost without a word.
    if (!m_pNetClient || !m_pNetClient->IsConnected()) {
        if (!ConnectServer()) {
            return false;
        }
    }
    return message.Send(m_pNetClient.get());
}

bool CWarrowTrayApp::SendLoginRequest() {
    CWarrowDBConfig* config = CWarrowCoreInterface::Get()->GetDBConfig();
    if (config == nullptr) {
        DeleteNetClient();
        return false;
    }
    CMSG_C2S_LOGIN_REQUEST request;
    request.Body().nAccount = static_cast<std::uint32_t>(config->GetInfo().ID);
    request.Body().strPassword = config->GetInfo().Password;
    request.Body().nVersion = CWarrowCoreInterface::Get()->GetWRControl()->GetConfig().Version;
    return SendRequest(request);
}

void CWarrowTrayApp::OnLoginAnswer(CMSG_S2C_LOGIN_ANSWER& msg) {
    const tagLoginAnswer answer = msg.Body(); // the message goes when this returns; dialogs may run meanwhile
    if (IsLoginState()) {
        if (m_pLogin) {
            m_pLogin->OnLoginAnswer(answer);
        }
    } else if (m_pMainWnd) {
        m_pMainWnd->OnLoginAnswer(answer);
    }
}

void CWarrowTrayApp::OnRegisterAnswer(CMSG_S2C_REGISTER_ANSWER& msg) {
    const tagAccountInfo account = msg.Body();
    if (IsLoginState() && m_pLogin) {
        m_pLogin->OnRegisterAnswer(account);
    }
}

void CWarrowTrayApp::OnHelpAnswer(CMSG_S2C_HELP_ANSWER& msg) {
    (void)msg;
    ShowNotice("我们会尽快处理您提交的问题，感谢您对Tavi儿童保护系统的一贯支持，谢谢");
}
