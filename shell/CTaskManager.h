#pragma once

#include "core/CWriteListMng.h"
#include "ltl/CLock.h"
#include "ltl/CSingleton.h"
#include "platform/ProcessLauncher.h"
#include "platform/UserScope.h"

#include <map>
#include <memory>
#include <string>
#include <sys/types.h>
#include <vector>

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

    // Starts the entry's program in its folder with its arguments, in a
    // process group of its own that the manager keeps and, where a user
    // manager runs, in a systemd scope of its own (which also holds what
    // leaves the group); the id of the new process, 0 on failure. Its window
    // becomes a task once it appears; group and scope end with the shell
    // whether or not a window ever appeared.
    pid_t StartApp(const tagAppInfo* app);
    // The window's entry, made from the allow-list entry when new.
    CTaskProcess* AddTask(unsigned long window, const tagAppInfo& app);
    CTaskProcess* FindTask(unsigned long window);
    void RemoveTask(unsigned long window);
    // Ends every tracked program and every process group the manager
    // started (SIGTERM, then SIGKILL after a grace) and forgets them.
    void ClearTasks();
    // Stops (SIGSTOP) or continues (SIGCONT) every tracked program and every
    // group the manager started: a rest freezes them. A tracked program
    // outside those groups is stopped alone, never the group it shares with
    // others.
    void Freeze(bool frozen);
    // The process groups started and not yet ended.
    std::vector<pid_t> StartedGroups();
    // The scopes of started programs that still hold processes; always empty
    // without a user manager.
    std::vector<std::string> StartedScopes();
    // Whether programs are started into scopes (a user manager answered at
    // the first start).
    bool UsesUserScopes();
    // When `pid` is a program the manager started, its whole group gets
    // `signal` (a refused program takes its helpers with it); false
    // otherwise.
    bool SignalGroupOf(pid_t pid, int signal);
    std::size_t Size();

    // How long ClearTasks gives programs to end by themselves.
    static constexpr int kGraceMs = 3000;

    // Called once when the manager goes, after the programs ended (the shell
    // removes its window hook here).
    void SetOnDestroy(void (*onDestroy)()) { m_onDestroy = onDestroy; }

private:
    struct tagStarted {
        pid_t group;
        platform::ProcessHandle leader; // the started program itself
        std::string scope;              // its systemd scope; empty without one
    };
    platform::UserManager* UserScopes();
    bool Ended(const tagStarted& started);
    // Signals the tracked processes (not in a started group) and the
    // started groups that still have members.
    void SignalAll(int signal, const std::vector<std::pair<pid_t, std::string>>& tracked);
    std::vector<std::pair<pid_t, std::string>> TrackedOutsideGroups();

    ltl::CLock m_lock;
    std::vector<tagStarted> m_started;
    std::map<unsigned long, std::unique_ptr<CTaskProcess>> m_tasks;
    void (*m_onDestroy)() = nullptr;
    std::unique_ptr<platform::UserManager> m_userManager;
    bool m_userManagerAsked = false;
};
