#pragma once

#include "core/CWarrowControl.h"
#include "core/CWarrowDBConfig.h"
#include "ltl/CSingleton.h"
#include "service/ShellWatch.h"

#include <functional>
#include <optional>
#include <sys/types.h>

// Decides at service start which program the person at the computer gets
// (the child shell or the parent console), starts it in their graphical
// session, publishes the service's thread id in Config.ini and starts a
// program again on WRM_CHANGESTYLE.
class CMainShell : public ltl::CSingleton<CMainShell> {
public:
    CMainShell() = default;
    ~CMainShell() override = default;

    bool Init();
    // wParam of WRM_CHANGESTYLE: 0 the child shell, 1 the parent console,
    // anything else nothing.
    void OnChangeStyle(long style);

    // The child shell the service watches (see ShellWatch).
    int ShellDescriptor() const { return m_shellWatch.Descriptor(); }
    void OnShellEnded();
    // Milliseconds until a restart is due, -1 when none is.
    long ShellRestartDueInMs() const { return m_shellWatch.DueInMs(); }
    void RestartShellIfDue();

private:
    void StartShell();

    ShellWatch m_shellWatch;
    tagConfig* m_pConfig = nullptr; // the library's settings record
    tagSystemInfo m_systemInfo;
};

// The message number of WRM_CHANGESTYLE, 0 until CMainShell::Init registered it.
extern unsigned int WRM_CHANGESTYLE;

// Start the child shell / the parent console for the person at the computer.
// The shell's process id goes to `pid`; false when it could not be started.
bool StartWarrow(pid_t* pid = nullptr);
void StartWarrowTray();

// Asked while a start waits for someone to log in; true abandons the start
// (the service is stopping).
void SetStopCheck(std::function<bool()> check);

// True when the user at the computer is marked as a child account.
bool SeatUserIsChildAccount();
// Whether `user` is marked as a child account in Config.ini.
bool IsChildAccount(std::optional<uid_t> user);
