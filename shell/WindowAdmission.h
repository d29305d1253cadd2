#pragma once

#include <set>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

class CWriteListMng;
class CTaskManager;
struct tagAppInfo;

// What one look at a window tells the admission.
struct tagWindowLook {
    bool exists = false;     // the window is there
    bool showing = false;    // mapped, and its parents too
    pid_t pid = 0;           // the process that created it; 0 when unknown
    bool canBeAsked = false; // takes a request to close; if not, refusing it disconnects its program
    bool byManager = false;  // a window of the client that claims to be the window manager and
                             // owns the manager selection: not judged when its program is trusted
    std::string executable;  // set by the admission for a refused window: the program judged
};

// What the admission needs of the windowing system. It works on batches:
// what the X server must answer costs one round trip per call, however
// many windows it is about.
class IWindowSystem {
public:
    virtual ~IWindowSystem() = default;
    // The answer for windows[i] is at [i].
    virtual std::vector<tagWindowLook> Look(const std::vector<unsigned long>& windows) = 0;
    virtual std::string ExecutableOf(pid_t pid) = 0;
    // The script an interpreter process runs (InterpretedScript.h); empty
    // when it runs none.
    virtual std::string ScriptOf(pid_t pid, const std::string& executable) {
        (void)pid;
        (void)executable;
        return {};
    }
    // Asks the windows to close now, as Look found them a moment ago, and
    // ends the program of each window still there a second later.
    virtual void RefuseAll(const std::vector<std::pair<unsigned long, tagWindowLook>>& windows) = 0;
};

// What the admission needs of the shell's taskbar.
class ITaskbar {
public:
    virtual ~ITaskbar() = default;
    virtual bool AddButton(unsigned long window, const std::string& caption, const std::string& program) = 0;
    virtual bool RemoveButton(unsigned long window) = 0;
    virtual void Arrange() = 0;
};

// A report of the window guard's hook.
struct tagWindowEvent {
    bool created = false; // false: destroyed
    unsigned long window = 0;
    bool other = false; // a menu or embedded window: judged, never a task
    bool operator==(const tagWindowEvent&) const = default;
};

// Lets only windows of allowed programs live: a window of a program on the
// allow-list is tracked, gets a task button and is logged; any other window
// is refused. The shell's own windows are neither.
class CWindowAdmission {
public:
    CWindowAdmission(IWindowSystem& windows, ITaskbar& taskbar, CWriteListMng& allowList, CTaskManager& tasks,
                     pid_t ownPid);

    // The hook's reports in the order they came. Anyone can send them, so
    // they are hints: a window reported created must exist, one reported
    // destroyed must not be showing, and an allowed window created and gone
    // again within one batch becomes no task. Each window is handled once per batch. All the windows are
    // looked at together and the refused ones closed together. A log line needs a real change: a window that
    // becomes a task, or a task that goes, so forged reports cannot grow the log.
    void OnWindowEvents(const std::vector<tagWindowEvent>& events);
    // Programs the installation trusts (TrustedPrograms.h): never judged.
    // The window manager's windows are not judged either when its program is
    // one of them or was installed by root (ManagerTrusted).
    void SetTrustedPrograms(std::set<std::string> programs) { m_trusted = std::move(programs); }
    // A window known to be gone (its task button saw it close).
    void OnWindowDestroyed(unsigned long window);

private:
    // False when the window is refused (added to `refused`) or not the
    // admission's business.
    bool Admit(const tagWindowEvent& event, const tagWindowLook& look, const std::string& path,
               const tagAppInfo* app, std::vector<std::pair<unsigned long, tagWindowLook>>& refused);
    // The entry that allows the process: by its program, or by the script
    // it runs when the program is an interpreter that is not allowed itself.
    const tagAppInfo* Judge(pid_t pid, const std::string& executable, bool byManager);
    bool Forget(unsigned long window);

    IWindowSystem& m_windows;
    ITaskbar& m_taskbar;
    CWriteListMng& m_allowList;
    CTaskManager& m_tasks;
    pid_t m_ownPid;
    std::set<std::string> m_trusted;
};
