#include "shell/WindowAdmission.h"

#include "core/CWarrowCoreInterface.h"
#include "platform/Paths.h"
#include "shell/CTaskManager.h"

#include <map>

CWindowAdmission::CWindowAdmission(IWindowSystem& windows, ITaskbar& taskbar, CWriteListMng& allowList,
                                   CTaskManager& tasks, pid_t ownPid)
    : m_windows(windows), m_taskbar(taskbar), m_allowList(allowList), m_tasks(tasks), m_ownPid(ownPid) {}

void CWindowAdmission::OnWindowEvents(const std::vector<tagWindowEvent>& events) {
    std::vector<unsigned long> windows;
    windows.reserve(events.size());
    for (const tagWindowEvent& event : events) {
        windows.push_back(event.window);
    }
    const std::vector<tagWindowLook> looks = m_windows.Look(windows);
    // A process may run another program later (exec): its path holds for
    // this batch only.
    std::map<pid_t, std::string> paths;
    std::vector<std::pair<unsigned long, tagWindowLook>> refused;
    bool changed = false;
    for (size_t i = 0; i < events.size() && i < looks.size(); ++i) {
        const tagWindowLook& look = looks[i];
        if (!events[i].created) {
            changed = (!look.showing && Forget(events[i].window)) || changed;
            continue;
        }
        // The shell's own dialogs and taskbar live in the installation
        // folder, which the browser's entry allows: they must not become
        // tasks.
        if (!look.exists || look.pid == m_ownPid) {
            continue;
        }
        auto path = paths.find(look.pid);
        if (path == paths.end()) {
            path = paths.emplace(look.pid, look.pid > 0 ? m_windows.ExecutableOf(look.pid) : std::string())
                       .first;
        }
        changed = Admit(events[i].window, look, path->second, refused) || changed;
    }
    if (changed) {
        m_taskbar.Arrange();
    }
    if (!refused.empty()) {
        m_windows.RefuseAll(refused);
    }
}

bool CWindowAdmission::Admit(unsigned long window, const tagWindowLook& look, const std::string& path,
                             std::vector<std::pair<unsigned long, tagWindowLook>>& refused) {
    const tagAppInfo* app = m_allowList.FindPath(path.c_str());
    if (app == nullptr) {
        refused.emplace_back(window, look);
        return false;
    }
    CTaskProcess* task = m_tasks.AddTask(window, *app);
    task->SetProcess(look.pid, path);
    m_taskbar.AddButton(window, task->App().Name,
                        platform::JoinPath(task->App().AppPath, task->App().AppName));
    CWarrowCoreInterface::Get()->LogOut("启动了[%s].", task->App().Name.c_str());
    return true;
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
