#include "shell/CWarrowApp.h"

#include "core/CWarrowCoreInterface.h"
#include "core/ChildAccounts.h"
#include "platform/SingleInstance.h"
#include "platform/x11/CXConnection.h"
#include "platform/x11/DeskGuard.h"
#include "shell/CTaskManager.h"
#include "shell/CWarrowDlg.h"

#include <QApplication>
#include <QSocketNotifier>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <utility>

bool HasQuitSwitch(const std::vector<std::string>& arguments) {
    // A whole argument only: a program path or title holding "/q" is not a request.
    for (const std::string& argument : arguments) {
        if (argument == "/q") {
            return true;
        }
    }
    return false;
}

CWarrowApp::CWarrowApp(int& argc, char** argv) : m_argc(argc), m_argv(argv) {}

int CWarrowApp::InitInstance() {
    const bool quit = HasQuitSwitch(std::vector<std::string>(m_argv + 1, m_argv + m_argc));
    platform::SingleInstance instance(kInstanceName);
    if (!instance.Acquire() || quit) {
        if (quit) {
            platform::PostToInstance(kWindowTitle, "WM_QUIT", 0);
        }
        return 0;
    }

    // The guard watches an X server; without one there is nothing to guard
    // and nothing to show.
    if (deskguard::CXConnection::Open() == nullptr) {
        std::fprintf(stderr, "Warrow: no X display to guard (DISPLAY=%s)\n",
                     std::getenv("DISPLAY") != nullptr ? std::getenv("DISPLAY") : "");
        return 2;
    }
    // The shell is an X client whatever the environment asks of Qt: its
    // guard reads the X event stream.
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    QApplication app(m_argc, m_argv);
    if (!CWarrowCoreInterface::Get()->Init(kDataBasePath, kDataBasePassword, nullptr)) {
        return 1;
    }
    DG_Init(nullptr);
    CWarrowCoreInterface::Get()->RegisterMessage(WM_DG_WINDOWCREATED, 1);
    CWarrowCoreInterface::Get()->RegisterMessage(WM_DG_WINDOWDESTROYED, 1);

    // WM_QUIT from a second start with "/q" ends the shell's loop.
    std::unique_ptr<QSocketNotifier> mailbox;
    std::string error;
    if (instance.Listen(kWindowTitle, &error)) {
        mailbox = std::make_unique<QSocketNotifier>(instance.Mailbox().Descriptor(), QSocketNotifier::Read);
        QObject::connect(mailbox.get(), &QSocketNotifier::activated, &app, [&instance] {
            static bool s_refusalLogged = false;
            std::string datagram;
            std::string name;
            long wParam = 0;
            uid_t sender = 0;
            while (instance.ReceiveFrom(datagram, sender)) {
                if (!platform::ParseServiceMessage(datagram, name, wParam) || name != "WM_QUIT") {
                    continue;
                }
                if (platform::MayRequestQuit(sender)) {
                    QCoreApplication::exit(0); // quit() would ask the windows, which stay up
                } else if (!std::exchange(s_refusalLogged, true)) {
                    CWarrowCoreInterface::Get()->LogOut("忽略了退出请求(用户%u).",
                                                        static_cast<unsigned>(sender));
                }
            }
        });
    } else {
        std::fprintf(stderr, "Warrow: no mailbox for /q: %s\n", error.c_str());
    }

    auto shell = std::make_unique<CWarrowDlg>();
    if (!shell->OnInitDialog()) {
        shell->FailClosed();
    }
    QApplication::exec();

    shell->DestroyWindow();
    // In a child account the session ends with the shell, and the parent
    // logs in to the own desktop; elsewhere the console takes over.
    if (!child_accounts::RunsInChildAccount()) {
        CWarrowCoreInterface::Get()->GetWRControl()->ChangeStyle(STYLE_PARENT);
    }
    CTaskManager::Free();
    CWarrowCoreInterface::Free();
    DG_UnInit();
    shell.reset();
    return 0;
}
