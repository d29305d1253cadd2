#include "shell/CXWindowSystem.h"

#include "platform/ProcessLauncher.h"
#include "platform/x11/WindowClose.h"
#include "platform/x11/WindowProcess.h"
#include "shell/CTaskManager.h"
#include "shell/InterpretedScript.h"
#include "shell/ShellX.h"

#include <QTimer>

#include <csignal>
#include <memory>
#include <set>
#include <utility>

std::vector<tagWindowLook> CXWindowSystem::Look(const std::vector<unsigned long>& windows) {
    std::vector<tagWindowLook> looks(windows.size());
    if (ShellX() == nullptr) {
        return looks;
    }
    const deskguard::tagSessionLook session = deskguard::LookAtSession(
        *ShellX(), std::vector<xcb_window_t>(windows.begin(), windows.end()), m_manager);
    if (!session.xresAnswered && !windows.empty() && m_onGuardLost) {
        // Every window would count as a program nobody can name.
        std::exchange(m_onGuardLost, nullptr)("窗口守护停止了（X 服务器不再回答窗口属于哪个程序）");
    }
    // Only the client that points the check property at its own window and
    // owns the manager selection may pass as the window manager; the
    // admission still judges its program.
    const deskguard::tagManagerLook& manager = session.manager;
    const uint32_t clientBits = ~xcb_get_setup(ShellX()->Get())->resource_id_mask;
    for (size_t i = 0; i < session.owners.size(); ++i) {
        const deskguard::tagWindowOwner& owner = session.owners[i];
        looks[i] = {owner.exists,
                    owner.showing,
                    owner.pid,
                    owner.takesClose,
                    manager.ownsSelection && (windows[i] & clientBits) == manager.client,
                    {}};
    }
    return looks;
}

std::string CXWindowSystem::ExecutableOf(pid_t pid) {
    return deskguard::ExecutablePath(pid);
}

std::string CXWindowSystem::ScriptOf(pid_t pid, const std::string& executable) {
    return ScriptOfProcess(pid, executable);
}

void CXWindowSystem::RefuseAll(const std::vector<std::pair<unsigned long, tagWindowLook>>& windows) {
    if (ShellX() == nullptr) {
        return;
    }
    std::vector<xcb_window_t> ids;
    std::vector<deskguard::tagWindowOwner> owners;
    std::vector<std::pair<xcb_window_t, pid_t>> followUp;
    // Held now, while the process is the one judged: the follow-up must not
    // hit a process that got the id after it ended. One handle a process: a
    // program refused with a burst of windows costs one, before the closes go.
    auto processes = std::make_shared<std::vector<platform::ProcessHandle>>();
    std::set<pid_t> held;
    for (const auto& [window, look] : windows) {
        ids.push_back(static_cast<xcb_window_t>(window));
        owners.push_back({look.exists, look.showing, look.pid, look.canBeAsked});
        followUp.emplace_back(static_cast<xcb_window_t>(window), look.pid);
        if (look.pid > 0 && look.pid != ::getpid() && held.insert(look.pid).second) {
            platform::ProcessHandle process = platform::ProcessHandle::Open(look.pid, look.executable);
            if (process.Valid()) {
                processes->push_back(std::move(process));
            }
        }
    }
    // The look was taken in this same pass: closing needs no round trip.
    deskguard::CloseAsLooked(*ShellX(), ids, owners);
    // A window still there after the grace loses its X connection, which
    // ends most programs; whatever of the refused process still runs a
    // grace later is ended (SIGTERM, then SIGKILL): a refused program that
    // closed its window politely, or lost its connection, could connect
    // again.
    QTimer::singleShot(kRefuseGraceMs, [followUp, processes] {
        if (ShellX() != nullptr) {
            deskguard::KillClients(*ShellX(), followUp);
        }
        QTimer::singleShot(kRefuseGraceMs, [processes] {
            for (const platform::ProcessHandle& process : *processes) {
                if (process.Running()) {
                    CTaskManager::Get()->SignalGroupOf(process.Pid(), SIGTERM);
                    process.Signal(SIGTERM);
                }
            }
            QTimer::singleShot(kRefuseGraceMs, [processes] {
                for (const platform::ProcessHandle& process : *processes) {
                    if (process.Running()) {
                        CTaskManager::Get()->SignalGroupOf(process.Pid(), SIGKILL);
                        process.Signal(SIGKILL);
                    }
                }
            });
        });
    });
}
