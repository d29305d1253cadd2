#include "shell/WindowAdmission.h"

#include "core/CWarrowCoreInterface.h"
#include "platform/Paths.h"
#include "shell/CTaskManager.h"
#include "shell/TrustedPrograms.h"

#include <map>
#include <set>

CWindowAdmission::CWindowAdmission(IWindowSystem& windows, ITaskbar& taskbar, CWriteListMng& allowList,
                                   CTaskManager& tasks, pid_t ownPid)
    : m_windows(windows), m_taskbar(taskbar), m_allowList(allowList), m_tasks(tasks), m_ownPid(ownPid) {}

namespace {

// What Judge answers for a trusted helper of the session.
const tagAppInfo kTrustedHelper{};

// What a batch says about one window.
struct tagReports {
    unsigned long window = 0;
    bool created = false;  // reported to appear (so it is judged)
    bool topLevel = false; // ... at least once as a top-level window
    bool destroyed = false;
};

// One entry per window, in the order each first came. A window reported
// both ways is judged and then, when it does not show, forgotten: a forged
// "gone" cannot save a window from being judged.
std::vector<tagReports> Coalesce(const std::vector<tagWindowEvent>& events) {
    std::vector<tagReports> windows;
    std::map<unsigned long, size_t> at;
    for (const tagWindowEvent& event : events) {
        const auto [slot, fresh] = at.emplace(event.window, windows.size());
        if (fresh) {
            windows.push_back({event.window});
        }
        tagReports& reports = windows[slot->second];
        reports.created = reports.created || event.created;
        reports.topLevel = reports.topLevel || (event.created && !event.other);
        reports.destroyed = reports.destroyed || !event.created;
    }
    return windows;
}

} // namespace

void CWindowAdmission::OnWindowEvents(const std::vector<tagWindowEvent>& events) {
    const std::vector<tagReports> reports = Coalesce(events);
    std::vector<unsigned long> windows;
    windows.reserve(reports.size());
    for (const tagReports& report : reports) {
        windows.push_back(report.window);
    }
    const std::vector<tagWindowLook> looks = m_windows.Look(windows);
    // A process may run another program later (exec): its verdict holds for
    // this batch only.
    struct tagJudged {
        std::string executable;
        const tagAppInfo* app = nullptr;
    };
    std::map<std::pair<pid_t, bool>, tagJudged> judged; // by process and manager claim
    std::vector<std::pair<unsigned long, tagWindowLook>> refused;
    bool changed = false;
    for (size_t i = 0; i < reports.size() && i < looks.size(); ++i) {
        const tagWindowLook& look = looks[i];
        // The shell's own dialogs and taskbar live in the installation
        // folder, which the browser's entry allows: they must not become
        // tasks.
        if (reports[i].created && look.exists && look.pid != m_ownPid) {
            const std::pair<pid_t, bool> key{look.pid, look.byManager};
            auto verdict = judged.find(key);
            if (verdict == judged.end()) {
                tagJudged process;
                process.executable = look.pid > 0 ? m_windows.ExecutableOf(look.pid) : std::string();
                process.app = Judge(look.pid, process.executable, look.byManager);
                verdict = judged.emplace(key, process).first;
            }
            const tagWindowEvent event{true, reports[i].window, !reports[i].topLevel};
            // An allowed window that came and went within the batch costs no
            // task and no log lines; a refused one is refused all the same.
            // One that exists but does not show yet (minimised, on another
            // desktop, not yet framed) is a task: under a reparenting window
            // manager it is not reported again when it shows.
            const bool cameAndWent = reports[i].destroyed && !look.showing;
            if (!cameAndWent || verdict->second.app == nullptr) {
                changed =
                    Admit(event, look, verdict->second.executable, verdict->second.app, refused) || changed;
            }
        }
        if (reports[i].destroyed && !look.showing) {
            changed = Forget(reports[i].window) || changed;
        }
    }
    if (changed) {
        m_taskbar.Arrange();
    }
    if (!refused.empty()) {
        m_windows.RefuseAll(refused);
    }
}

const tagAppInfo* CWindowAdmission::Judge(pid_t pid, const std::string& executable, bool byManager) {
    if (executable.empty()) {
        return nullptr; // a program nobody can name is never allowed
    }
    if (m_trusted.count(executable) != 0) {
        return &kTrustedHelper; // the session's own helper: allowed, never a task
    }
    // The manager's frames and menus are its business. Anyone can claim the
    // role and even take the selection, so the claim counts only for a
    // program the child cannot have made: a copy the child placed anywhere
    // is judged like every other program.
    if (byManager && InstalledByRoot(executable) && m_windows.ScriptOf(pid, executable).empty()) {
        return &kTrustedHelper;
    }
    if (const tagAppInfo* app = m_allowList.FindPath(executable.c_str())) {
        return app;
    }
    const std::string script = m_windows.ScriptOf(pid, executable);
    return script.empty() ? nullptr : m_allowList.FindPath(script.c_str());
}

bool CWindowAdmission::Admit(const tagWindowEvent& event, const tagWindowLook& look, const std::string& path,
                             const tagAppInfo* app,
                             std::vector<std::pair<unsigned long, tagWindowLook>>& refused) {
    if (app == nullptr) {
        refused.emplace_back(event.window, look);
        refused.back().second.executable = path;
        return false;
    }
    // Menus and embedded windows of allowed programs stay, without a task;
    // so do the windows of trusted helpers, which have no entry.
    if (event.other || app == &kTrustedHelper) {
        return false;
    }
    const bool known = m_tasks.FindTask(event.window) != nullptr;
    CTaskProcess* task = m_tasks.AddTask(event.window, *app);
    task->SetProcess(look.pid, path);
    m_taskbar.AddButton(event.window, task->App().Name,
                        platform::JoinPath(task->App().AppPath, task->App().AppName));
    if (!known) {
        CWarrowCoreInterface::Get()->LogOut("启动了[%s].", task->App().Name.c_str());
    }
    return !known;
}

bool CWindowAdmission::Forget(unsigned long window) {
    if (CTaskProcess* task = m_tasks.FindTask(window)) {
        CWarrowCoreInterface::Get()->LogOut("关闭了[%s].", task->App().Name.c_str());
        m_tasks.RemoveTask(window);
    }
    return m_taskbar.RemoveButton(window);
}

void CWindowAdmission::OnWindowDestroyed(unsigned long window) {
    Forget(window);
    m_taskbar.Arrange();
}
