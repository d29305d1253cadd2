#include "shell/CWarrowApp.h"

#include "core/CWarrowCoreInterface.h"
#include "platform/SingleInstance.h"
#include "platform/x11/DeskGuard.h"
#include "shell/CTaskManager.h"
#include "shell/CWarrowDlg.h"

#include <QApplication>
#include <QSocketNotifier>

#include <cstdio>
#include <memory>

bool HasQuitSwitch(const std::vector<std::string>& arguments) {
    std::string line;
    for (const std::string& argument : arguments) {
        line += argument + " ";
    }
    return line.find("/q") != std::string::npos;
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
            std::string datagram;
            std::string name;
            long wParam = 0;
            while (instance.Mailbox().Receive(datagram)) {
                if (platform::ParseServiceMessage(datagram, name, wParam) && name == "WM_QUIT") {
                    QCoreApplication::exit(0); // quit() would ask the windows, which stay up
                }
            }
        });
    } else {
        std::fprintf(stderr, "Warrow: no mailbox for /q: %s\n", error.c_str());
    }

    auto shell = std::make_unique<CWarrowDlg>();
    shell->OnInitDialog();
    QApplication::exec();

    shell->DestroyWindow();
    CWarrowCoreInterface::Get()->GetWRControl()->ChangeStyle(STYLE_PARENT);
    CTaskManager::Free();
    CWarrowCoreInterface::Free();
    DG_UnInit();
    shell.reset();
    return 0;
}
