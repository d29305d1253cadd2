#pragma once

#include <functional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace platform {

struct LaunchRequest {
    std::string program;                  // path of the executable
    std::vector<std::string> arguments;   // without the program name
    std::string workingDirectory;         // empty: the caller's
    std::vector<std::string> environment; // "K=V" lines; empty: the caller's environment
    bool asUser = false;                  // switch to uid/gid (needs root)
    uid_t uid = 0;
    gid_t gid = 0;
    // Called with the new process's id before it runs the program (it waits
    // for the call to return), so whatever the call puts the process in
    // (a systemd scope) also holds everything the program starts.
    std::function<void(pid_t)> beforeExec;
};

// Starts a program that outlives the caller and is never its child (so it is
// never left as a zombie), in a session of its own. Returns false with the
// reason when the program could not be executed (errno then holds the
// reason's code); `pid` receives the new process's id.
bool StartDetached(const LaunchRequest& request, std::string* error = nullptr, pid_t* pid = nullptr);

// A running process held by a pidfd: signals reach that very process, never
// another one that got its id after it ended.
class ProcessHandle {
public:
    ProcessHandle() = default;
    // Holds `pid` when it still runs `executable` (its /proc/<pid>/exe; an
    // empty text skips the check); empty otherwise.
    static ProcessHandle Open(pid_t pid, const std::string& executable = {});
    ~ProcessHandle();
    ProcessHandle(ProcessHandle&& other) noexcept;
    ProcessHandle& operator=(ProcessHandle&& other) noexcept;
    ProcessHandle(const ProcessHandle&) = delete;
    ProcessHandle& operator=(const ProcessHandle&) = delete;

    bool Valid() const { return m_fd >= 0; }
    // The pidfd: readable once the process has ended (poll it, never read it).
    int Descriptor() const { return m_fd; }
    pid_t Pid() const { return m_pid; }
    // False when the process has ended (or nothing is held).
    bool Running() const;
    // Sends `signal` to the process; false when it has ended.
    bool Signal(int signal) const;

private:
    int m_fd = -1;
    pid_t m_pid = 0;
};

} // namespace platform
