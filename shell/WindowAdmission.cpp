#include "shell/WindowAdmission.h"

#include "core/CWarrowCoreInterface.h"
#include "platform/Paths.h"
#include "shell/CTaskManager.h"

CWindowAdmission::CWindowAdmission(IWindowSystem& windows, ITaskbar& taskbar, CWriteListMng& allowList,
                                   CTaskManager& tasks, pid_t ownPid)
    : m_windows(windows), m_taskbar(taskbar), m_allowList(allowList), m_tasks(tasks), m_ownPid(ownPid) {}

void CWindowAdmission::OnWindowCreated(unsigned long window) {
    const pid_t pid = m_windows.PidOf(window);
    // The shell's own dialogs and taskbar live in the installation folder,
    // which the browser's entry allows: they must not become tasks.
    if (pid == m_ownPid) {
        return;
    }
    const std::string path = pid > 0 ? m_windows.ExecutableOf(pid) : std::string();
    const tagAppInfo* app = m_allowList.FindPath(path.c_str());
    if (app == nullptr) {
        m_windows.Refuse(window, pid);
        return;
    }
    CTaskProcess* task = m_tasks.AddTask(window, *app);
    task->SetProcess(pid, path);
    m_taskbar.AddButton(window, task->App().Name, platform::JoinPath(task->App().AppPath, task->App().AppName));
    m_taskbar.Arrange();
    CWarrowCoreInterface::Get()->LogOut("启动了[%s].", task->App().Name.c_str());
}

void CWindowAdmission::OnWindowDestroyed(unsigned long window) {
    if (CTaskProcess* task = m_tasks.FindTask(window)) {
        CWarrowCoreInterface::Get()->LogOut("关闭了[%s].", task->App().Name.c_str());
        m_tasks.RemoveTask(window);
    }
    m_taskbar.RemoveButton(window);
    m_taskbar.Arrange();
}
