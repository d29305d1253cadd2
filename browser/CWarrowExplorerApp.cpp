#include "browser/CWarrowExplorerApp.h"

#include "browser/BrowserProfile.h"
#include "browser/CWarrowExplorerDlg.h"
#include "browser/StartArguments.h"
#include "core/CWarrowCoreInterface.h"
#include "crash/CrashGuard.h"

#include <QApplication>
#include <QWebEngineProfile>

#include <memory>
#include <unistd.h>

void PrepareWebEngineEnvironment() {
    // Chromium's sandbox cannot run as root and the engine then refuses to
    // start; for every other user it stays on.
    if (::geteuid() == 0) {
        qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    }
    qunsetenv("QTWEBENGINE_REMOTE_DEBUGGING");
    qunsetenv("QTWEBENGINE_CHROMIUM_FLAGS");
}

CWarrowExplorerApp::CWarrowExplorerApp(int argc, char** argv) : m_argc(argc), m_argv(argv) {}

int CWarrowExplorerApp::Run() {
    PrepareWebEngineEnvironment();
    QStringList arguments;
    for (int i = 1; i < m_argc; ++i) {
        arguments.push_back(QString::fromLocal8Bit(m_argv[i]));
    }
    // Qt and the engine see only the program name: any switch on the command
    // line (--remote-debugging-port, --disable-web-security, ...) is dropped.
    int qtArgc = 1;
    char* qtArgv[] = {m_argv[0], nullptr};
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);

    std::unique_ptr<QApplication> app;
    QWebEngineProfile* profile = nullptr;
    std::unique_ptr<CWarrowExplorerDlg> dialog;
    const bool started = RunGuarded([&] {
        app = std::make_unique<QApplication>(qtArgc, qtArgv);
        CWarrowCoreInterface::Get()->Init(kDataBasePath, kDataBasePassword, nullptr);
        profile = CreateBrowserProfile(app.get());
        dialog = std::make_unique<CWarrowExplorerDlg>(CWarrowCoreInterface::Get()->GetIEMng(), profile);
        dialog->OnInitDialog();
        for (const QUrl& url : StartAddresses(arguments)) {
            const std::string address = url.toString(QUrl::FullyEncoded).toStdString();
            if (dialog->Admits(address)) {
                dialog->OpenPage(address);
            }
        }
    });
    if (!started) {
        return 1;
    }
    // The dialog's result says how it was closed, not how the program ended.
    if (!RunGuarded([&] { dialog->exec(); })) {
        return 1;
    }
    RunGuarded([&] {
        dialog.reset();
        delete profile;
        CWarrowCoreInterface::Free();
        app.reset();
    });
    return 0;
}
