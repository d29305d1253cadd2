#include "update/CWarrowUpdateApp.h"

#include "platform/SingleInstance.h"
#include "update/CProcess.h"
#include "update/CSelectServerDlg.h"
#include "update/CWarrowUpdateDlg.h"
#include "update/ConsoleStatus.h"
#include "update/UpdateLog.h"

#include <QEventLoop>
#include <QMetaObject>

namespace {

// The singleton ends with the run, whichever way the run ends.
struct ProcessScope {
    ~ProcessScope() { CProcess::Free(); }
};

} // namespace

int CWarrowUpdateApp::InitInstance(std::string_view commandLine) {
    platform::SingleInstance instance(kInstanceName);
    if (!instance.Acquire()) {
        return EXIT_NOT_STARTED;
    }
    ProcessScope scope;
    CProcess* process = CProcess::Get();
    if (!process->ParseCommandLine(commandLine)) {
        return EXIT_NOT_STARTED;
    }
    const bool background = process->IsBackground();

    bool probed = false;
    QEventLoop probing;
    if (!process->LoadServers(kServerList, [&] {
            probed = true;
            probing.quit();
        })) {
        update::WriteLog(background, "%s", update::kLogNoServerList);
        update::PostUpdateStatus(update::UPDATE_FAILED);
        return EXIT_NOT_UPDATED;
    }
    if (!probed) {
        probing.exec(); // no window is open yet: nothing waits on this thread
    }

    if (background) {
        if (!process->PickFastestServer()) {
            update::WriteLog(background, "%s", update::kLogNoServerAnswered);
            update::PostUpdateStatus(update::UPDATE_FAILED);
            return EXIT_NOT_UPDATED;
        }
    } else {
        CSelectServerDlg select(process->GetServers());
        if (select.exec() != QDialog::Accepted) {
            return EXIT_NOT_UPDATED;
        }
        process->SetServer(select.GetAddress());
    }

    CWarrowUpdateDlg dlg(*process);
    QMetaObject::invokeMethod(&dlg, &CWarrowUpdateDlg::OnInitDialog, Qt::QueuedConnection);
    dlg.exec();
    return dlg.Outcome() == CWarrowUpdateDlg::OUTCOME_UPDATED ? EXIT_UPDATED : EXIT_NOT_UPDATED;
}
