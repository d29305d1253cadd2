#include "platform/ProcessLauncher.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace platform {
namespace {

std::vector<char*> PointerList(std::vector<std::string>& texts) {
    std::vector<char*> list;
    for (auto& text : texts) {
        list.push_back(text.data());
    }
    list.push_back(nullptr);
    return list;
}

// Only async-signal-safe calls from here on: the caller may have threads.
[[noreturn]] void ExecChild(int errorPipe, const int gate[2], const LaunchRequest& request, char* const* argv,
                            char* const* envp, const std::vector<gid_t>& groups) {
    auto fail = [errorPipe](int stage) {
        const int err[2] = {stage, errno};
        ssize_t ignored = ::write(errorPipe, err, sizeof err);
        (void)ignored;
        ::_exit(127);
    };
    sigset_t all;
    sigemptyset(&all);
    ::sigprocmask(SIG_SETMASK, &all, nullptr);
    if (gate[0] >= 0) {
        // The gate opens (end of file) once the caller has seen our id.
        ::close(gate[1]);
        char ignored = 0;
        while (::read(gate[0], &ignored, 1) < 0 && errno == EINTR) {
        }
        ::close(gate[0]);
    }
    if (request.asUser && (::setgroups(groups.size(), groups.data()) != 0 || ::setgid(request.gid) != 0 ||
                           ::setuid(request.uid) != 0)) {
        fail(1);
    }
    if (!request.workingDirectory.empty() && ::chdir(request.workingDirectory.c_str()) != 0) {
        fail(2);
    }
    // Keep only the standard streams and the error pipe (closed by exec).
    if (errorPipe > 3) {
        ::syscall(SYS_close_range, 3u, static_cast<unsigned>(errorPipe - 1), 0u);
    }
    ::syscall(SYS_close_range, static_cast<unsigned>(errorPipe + 1), ~0u, 0u);
    ::execve(request.program.c_str(), argv, envp);
    fail(3);
    ::_exit(127);
}

std::string Describe(int stage, int err) {
    static const char* const kStages[] = {"", "cannot switch user", "cannot enter working directory",
                                          "cannot execute"};
    return std::string(kStages[stage >= 1 && stage <= 3 ? stage : 3]) + ": " + std::strerror(err);
}

} // namespace

bool StartDetached(const LaunchRequest& request, std::string* error, pid_t* pid) {
    std::vector<std::string> argvText{request.program};
    argvText.insert(argvText.end(), request.arguments.begin(), request.arguments.end());
    auto argv = PointerList(argvText);
    std::vector<std::string> envText = request.environment;
    auto envList = PointerList(envText);
    char* const* envp = request.environment.empty() ? environ : envList.data();

    std::vector<gid_t> groups;
    if (request.asUser) {
        if (const passwd* pw = ::getpwuid(request.uid)) {
            int count = 64;
            groups.resize(static_cast<std::size_t>(count));
            if (::getgrouplist(pw->pw_name, request.gid, groups.data(), &count) < 0) {
                groups.resize(static_cast<std::size_t>(count));
                ::getgrouplist(pw->pw_name, request.gid, groups.data(), &count);
            }
            groups.resize(static_cast<std::size_t>(count));
        } else {
            groups.push_back(request.gid);
        }
    }

    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        if (error) {
            *error = std::strerror(errno);
        }
        return false;
    }
    int gate[2] = {-1, -1};
    if (request.beforeExec && ::pipe2(gate, O_CLOEXEC) != 0) {
        if (error) {
            *error = std::strerror(errno);
        }
        ::close(fds[0]);
        ::close(fds[1]);
        return false;
    }
    const auto closeGate = [&gate] {
        for (int& end : gate) {
            if (end >= 0) {
                ::close(end);
                end = -1;
            }
        }
    };
    const pid_t middle = ::fork();
    if (middle < 0) {
        if (error) {
            *error = std::strerror(errno);
        }
        ::close(fds[0]);
        ::close(fds[1]);
        closeGate();
        return false;
    }
    if (middle == 0) {
        ::close(fds[0]);
        ::setsid();
        const pid_t child = ::fork();
        if (child == 0) {
            ExecChild(fds[1], gate, request, argv.data(), envp, groups);
        }
        // Tell the caller who was started; the exec (or its failure) reports next.
        const int started[2] = {0, static_cast<int>(child)};
        (void)!::write(fds[1], started, sizeof started);
        ::_exit(child < 0 ? 1 : 0);
    }
    ::close(fds[1]);
    int status = 0;
    while (::waitpid(middle, &status, 0) < 0 && errno == EINTR) {
    }
    // Records of two ints: {0, pid} from the middle process, {stage, errno}
    // from a child whose exec failed. End of file means every writer is gone.
    int records[4] = {0, 0, 0, 0};
    std::size_t got = 0;
    const auto readUpTo = [&](std::size_t wanted) {
        while (got < wanted) {
            const ssize_t n = ::read(fds[0], reinterpret_cast<char*>(records) + got, wanted - got);
            if (n < 0 && errno == EINTR) {
                continue;
            }
            if (n <= 0) {
                return;
            }
            got += static_cast<std::size_t>(n);
        }
    };
    if (gate[1] >= 0) {
        // The child waits at the gate: its id first, then the call, then the exec.
        ::close(gate[0]);
        gate[0] = -1;
        readUpTo(2 * sizeof(int));
        if (got == 2 * sizeof(int) && records[0] == 0 && records[1] > 0) {
            request.beforeExec(static_cast<pid_t>(records[1]));
        }
        closeGate();
    }
    readUpTo(sizeof records);
    ::close(fds[0]);
    for (std::size_t i = 0; i + 1 < got / sizeof(int); i += 2) {
        if (records[i] != 0) {
            if (error) {
                *error = Describe(records[i], records[i + 1]);
            }
            errno = records[i + 1]; // the child's reason, for callers that log a code
            return false;
        }
        if (pid != nullptr) {
            *pid = static_cast<pid_t>(records[i + 1]);
        }
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        if (error) {
            *error = "fork failed";
        }
        return false;
    }
    return true;
}

} // namespace platform

namespace platform {

ProcessHandle ProcessHandle::Open(pid_t pid, const std::string& executable) {
    ProcessHandle handle;
    if (pid <= 0) {
        return handle;
    }
    const int fd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (fd < 0) {
        return handle;
    }
    handle.m_fd = fd;
    handle.m_pid = pid;
    // Opened first, checked second: if the id named this program after the
    // pidfd was taken, the pidfd holds that program.
    if (!executable.empty()) {
        char path[4096];
        const ssize_t n =
            ::readlink(("/proc/" + std::to_string(pid) + "/exe").c_str(), path, sizeof path - 1);
        if (n <= 0 || std::string(path, static_cast<std::size_t>(n)) != executable) {
            return ProcessHandle();
        }
    }
    if (!handle.Running()) {
        return ProcessHandle();
    }
    return handle;
}

ProcessHandle::~ProcessHandle() {
    if (m_fd >= 0) {
        ::close(m_fd);
    }
}

ProcessHandle::ProcessHandle(ProcessHandle&& other) noexcept : m_fd(other.m_fd), m_pid(other.m_pid) {
    other.m_fd = -1;
    other.m_pid = 0;
}

ProcessHandle& ProcessHandle::operator=(ProcessHandle&& other) noexcept {
    if (this != &other) {
        if (m_fd >= 0) {
            ::close(m_fd);
        }
        m_fd = other.m_fd;
        m_pid = other.m_pid;
        other.m_fd = -1;
        other.m_pid = 0;
    }
    return *this;
}

bool ProcessHandle::Running() const {
    if (m_fd < 0) {
        return false;
    }
    // A pidfd becomes readable when its process has ended.
    pollfd pfd{m_fd, POLLIN, 0};
    return ::poll(&pfd, 1, 0) == 0;
}

bool ProcessHandle::Signal(int signal) const {
    return m_fd >= 0 && ::syscall(SYS_pidfd_send_signal, m_fd, signal, nullptr, 0) == 0;
}

} // namespace platform
