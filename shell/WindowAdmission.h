#pragma once

#include <string>
#include <sys/types.h>

class CWriteListMng;
class CTaskManager;

// What the admission needs of the windowing system.
class IWindowSystem {
public:
    virtual ~IWindowSystem() = default;
    virtual pid_t PidOf(unsigned long window) = 0;
    virtual std::string ExecutableOf(pid_t pid) = 0;
    // Asks the window to close now, and ends its program if the window is
    // still there a second later.
    virtual void Refuse(unsigned long window, pid_t pid) = 0;
};

// What the admission needs of the shell's taskbar.
class ITaskbar {
public:
    virtual ~ITaskbar() = default;
    virtual bool AddButton(unsigned long window, const std::string& caption, const std::string& program) = 0;
    virtual bool RemoveButton(unsigned long window) = 0;
    virtual void Arrange() = 0;
};

// Lets only windows of allowed programs live: a window of a program on the
// allow-list is tracked, gets a task button and is logged; any other window
// is refused. The shell's own windows are neither.
class CWindowAdmission {
public:
    CWindowAdmission(IWindowSystem& windows, ITaskbar& taskbar, CWriteListMng& allowList, CTaskManager& tasks,
                     pid_t ownPid);

    void OnWindowCreated(unsigned long window);
    void OnWindowDestroyed(unsigned long window);

private:
    IWindowSystem& m_windows;
    ITaskbar& m_taskbar;
    CWriteListMng& m_allowList;
    CTaskManager& m_tasks;
    pid_t m_ownPid;
};
