// WarrowExplorer: the child's web browser, which opens only what the parent's
// web tree admits.

#include "browser/CWarrowExplorerApp.h"
#include "crash/CrashHandler.h"
#include "crash/ReportSender.h"

int main(int argc, char** argv) {
    InstallCrashHandler(StartReportSender);
    return CWarrowExplorerApp(argc, argv).Run();
}
