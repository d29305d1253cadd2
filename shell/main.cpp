// Warrow: the child desktop.

#include "crash/CrashGuard.h"
#include "crash/CrashHandler.h"
#include "crash/ReportSender.h"
#include "shell/CWarrowApp.h"

int main(int argc, char** argv) {
    InstallCrashHandler(StartReportSender);
    int status = 0;
    // The shell's one guarded phase: all of it. After a crash it ends at
    // once, without the steps of a regular end.
    if (!RunGuarded([&] { status = CWarrowApp(argc, argv).InitInstance(); })) {
        return 1;
    }
    return status;
}
