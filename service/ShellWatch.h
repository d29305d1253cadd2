#pragma once

#include "platform/ProcessLauncher.h"

#include <chrono>
#include <deque>
#include <sys/types.h>

// Watches the child shell the service started while child mode is on. In the
// shared-account mode a shell that ends without an authorised request (the
// parent console asked for through the service) is started again at once;
// the service learns of the end from a pidfd in its poll loop. In the
// child-account mode the session ends with the shell, so nothing is started.
//
// A shell that keeps ending is started at most kMaxRestarts times a minute;
// later restarts wait for the minute to pass, so a shell that cannot run does
// not spin, and one that is killed again and again still comes back.
class ShellWatch {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::size_t kMaxRestarts = 30;

    // A shell was started with process id `pid` (0: it ended before it could
    // be held) for a child in its own account or not.
    void Started(pid_t pid, bool childAccount);
    // Child mode ended by an authorised request: the next end is expected.
    void Stop();
    bool Active() const { return m_active; }

    // The pidfd to poll (readable when the shell ended); -1 when none is held.
    int Descriptor() const { return m_shell.Descriptor(); }
    // Called when Descriptor() became readable: forgets the shell.
    void Ended();

    // Milliseconds until the shell is due to be started again (0: now), -1
    // when nothing is due. A due restart is counted when Restarting() is called.
    long DueInMs(Clock::time_point now = Clock::now()) const;
    void Restarting(Clock::time_point now = Clock::now());

private:
    platform::ProcessHandle m_shell;
    bool m_active = false;
    bool m_childAccount = false;
    bool m_restartDue = false;
    std::deque<Clock::time_point> m_restarts;
};
