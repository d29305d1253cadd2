#pragma once
// The parent console's application object: one instance per user, a state
// machine with the login state (only the login dialog) and the main state
// (the main window), the connection to the account server and the dispatch
// of its answers on the user-interface thread.

#include "ltl/CFSM.h"
#include "net/UserLoginMessage.h"
#include "update/ConsoleStatus.h"

#include <QObject>

#include <memory>
#include <string>
#include <vector>

class CDlgLogin;
class CMsg;
class CNetClientLogin;
class CWarrowTrayDlg;
class QSocketNotifier;

namespace platform {
class SingleInstance;
}

class CWarrowTrayApp : public QObject, public user_login_message::ILoginMessageHandler {
public:
    CWarrowTrayApp();
    ~CWarrowTrayApp() override;
    CWarrowTrayApp(const CWarrowTrayApp&) = delete;
    CWarrowTrayApp& operator=(const CWarrowTrayApp&) = delete;

    // The one application object of the process, or null.
    static CWarrowTrayApp* Instance();

    // One console per user. False when this process is to end at once: another
    // console runs, or "/q" asked the running one to end (it is told).
    bool StartInstance(const std::vector<std::string>& arguments);
    // Opens the settings and enters the login or the main state. Needs a
    // QApplication; creates the first window through the state's enter.
    bool InitInstance();
    // Closes the windows, the connection and the settings, in that order of need.
    int ExitInstance();

    // (Re)creates the connection to the account server of Config.ini [Network].
    bool ConnectServer();
    // Sends the account check. A client without a live connection connects
    // once more first. True when the request went out.
    bool SendLoginRequest();
    // Sends a request through the connection, connecting once more when it is
    // down. False when it could not be sent.
    bool SendRequest(CMsg& message);

    bool IsLoginState() const;
    // From the login state once the account and the parent password are stored.
    void ChangeToMainState();
    // Ends the message loop (the console's PostQuitMessage).
    static void Quit();

    CDlgLogin* LoginDialog() const { return m_pLogin.get(); }
    CWarrowTrayDlg* MainWindow() const { return m_pMainWnd.get(); }
    CNetClientLogin* NetClient() const { return m_pNetClient.get(); }

    // The update status the updater posts: 0 failed, 1 started, 2 finished.
    void OnUpdateStatus(long status);

    // Lock and mailbox names of the one running console.
    static constexpr const char* kInstanceName = "Tavi儿童保护系统 - WarrowTray";
    // The updater posts its status to the same title.
    static constexpr const char* kWindowTitle = update::kConsoleTitle;

    // Answers of the account server, delivered on this thread.
    void OnLoginAnswer(user_login_message::CMSG_S2C_LOGIN_ANSWER& msg) override;
    void OnRegisterAnswer(user_login_message::CMSG_S2C_REGISTER_ANSWER& msg) override;
    void OnHelpAnswer(user_login_message::CMSG_S2C_HELP_ANSWER& msg) override;

private:
    int EnterLogin();
    int ExitLogin();
    int EnterMain();
    void DeleteNetClient();
    void ReadMailbox();

    std::unique_ptr<CWarrowTrayDlg> m_pMainWnd;
    std::unique_ptr<CDlgLogin> m_pLogin;
    std::unique_ptr<CNetClientLogin> m_pNetClient;
    ltl::CFSM m_fsm;
    ltl::CFSMStateTemplate<CWarrowTrayApp> m_stateLogin;
    ltl::CFSMStateTemplate<CWarrowTrayApp> m_stateMain;
    std::unique_ptr<platform::SingleInstance> m_pInstance;
    std::unique_ptr<QSocketNotifier> m_pMailbox;
};

namespace console {
// "/q" anywhere in the command line, as a plain case-sensitive search.
bool HasQuitSwitch(const std::vector<std::string>& arguments);
} // namespace console
