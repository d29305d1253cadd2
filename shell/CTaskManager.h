#pragma once

#include "core/CWriteListMng.h"
#include "ltl/CLock.h"
#include "ltl/CSingleton.h"

#include <map>
#include <memory>
#include <string>
#include <sys/types.h>

// One tracked window of an allowed program.
class CTaskProcess {
public:
    CTaskProcess(unsigned long window, const tagAppInfo& app) : m_window(window), m_app(app) {}
    virtual ~CTaskProcess() = default;

    unsigned long Window() const { return m_window; }
    const tagAppInfo& App() const { return m_app; }
    pid_t Pid() const { return m_pid; }
    // The process and the program it ran when its window was admitted.
    void SetProcess(pid_t pid, std::string executable) {
        m_pid = pid;
        m_executable = std::move(executable);
    }
    const std::string& Executable() const { return m_executable; }

private:
    unsigned long m_window;
    tagAppInfo m_app;
    pid_t m_pid = 0;
    std::string m_executable;
};

// The windows of allowed programs the shell tracks, and the programs it
// starts for the child. Every tracked program ends with the shell.
class CTaskManager : public ltl::CSingleton<CTaskManager> {
public:
    CTaskManager() = default;
    ~CTaskManager() override;

    // Starts the entry's program in its folder with its arguments; the id of
    // the new process, 0 on failure. It is tracked once its first window appears.
    pid_t StartApp(const tagAppInfo* app);
    // The window's entry, made from the allow-list entry when new.
    CTaskProcess* AddTask(unsigned long window, const tagAppInfo& app);
    CTaskProcess* FindTask(unsigned long window);
    void RemoveTask(unsigned long window);
    // Ends every tracked program (SIGTERM, then SIGKILL after a grace) and forgets them.
    void ClearTasks();
    std::size_t Size();

    // How long ClearTasks gives programs to end by themselves.
    static constexpr int kGraceMs = 3000;

    // Called once when the manager goes, after the programs ended (the shell
    // removes its window hook here).
    void SetOnDestroy(void (*onDestroy)()) { m_onDestroy = onDestroy; }

private:
    ltl::CLock m_lock;
    std::map<unsigned long, std::unique_ptr<CTaskProcess>> m_tasks;
    void (*m_onDestroy)() = nullptr;
};
