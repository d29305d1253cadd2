// WarrowTray: the parent console.

#include "console/CWarrowTrayApp.h"
#include "crash/CrashGuard.h"
#include "crash/CrashHandler.h"
#include "crash/ReportSender.h"

#include <QApplication>

namespace {

int RunConsole(int argc, char** argv) {
    CWarrowTrayApp theApp;
    // A second console, or a start with "/q", ends here, before any window.
    if (!theApp.StartInstance(std::vector<std::string>(argv + 1, argv + argc))) {
        return 0;
    }
    QApplication app(argc, argv);
    theApp.InitInstance();
    const int status = QApplication::exec();
    theApp.ExitInstance();
    return status;
}

} // namespace

int main(int argc, char** argv) {
    InstallCrashHandler(StartReportSender);
    int status = 0;
    if (!RunGuarded([&] { status = RunConsole(argc, argv); })) {
        return 1;
    }
    return status;
}
