#include "crash/WriterProcess.h"

#include "crash/CLogWriter.h"
#include "crash/CStackWalker.h"
#include "crash/CrashRequest.h"
#include "crash/FdPassing.h"
#include "crash/LogSections.h"
#include "crash/SystemSection.h"

#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int kWriterSock = 3;

tagCivilTime LocalTimeOf(std::int64_t seconds) {
    const time_t t = static_cast<time_t>(seconds);
    tm local{};
    if (localtime_r(&t, &local) == nullptr)
        return CivilTimeOf(seconds);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

bool WriteFullLog(int fd, const tagCrashRequest& req, const tagCivilTime& time) {
    CLogWriter w(fd);
    CStackWalker walker(req);
    WriteLogHeader(w);
    WriteSystemSection(w, req.nPid);
    WriteExceptionSection(w, req, time,
                          walker.ModulePath(static_cast<std::uint64_t>(req.gregs[REG_RIP])).c_str());
    WriteRegisterSection(w, req);
    walker.WriteStack(w, false);
    walker.WriteStack(w, true);
    WriteGlobalSection(w);
    return w.Flush();
}

// Leaves the writer with nothing of its parent it should not hold: no other
// descriptors (a parent's lock file stays the parent's), no terminal job
// control, no crash handlers of its own, no debuginfod network look-ups.
void Detach(int sock, pid_t parent) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent)
        _exit(0);
    prctl(PR_SET_NAME, "warrow-crash");
    setpgid(0, 0);
    if (sock != kWriterSock) {
        dup2(sock, kWriterSock);
        close(sock);
    }
    const int null = open("/dev/null", O_RDWR);
    if (null >= 0) {
        dup2(null, STDIN_FILENO);
        dup2(null, STDOUT_FILENO);
        if (null > kWriterSock)
            close(null);
    }
    close_range(kWriterSock + 1, ~0U, 0);
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    for (int signo : {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGTRAP})
        sigaction(signo, &dfl, nullptr);
    unsetenv("DEBUGINFOD_URLS");
}

[[noreturn]] void RunWriterProcess(int sock, pid_t parent) {
    Detach(sock, parent);
    sock = kWriterSock;
    // One crash per process: the writer serves one request and ends. End of
    // file (the parent ended normally) ends it too.
    tagCrashRequest req{};
    if (recv(sock, &req, sizeof req, 0) != static_cast<ssize_t>(sizeof req) || req.nPid != parent)
        _exit(0);
    const tagCivilTime time = LocalTimeOf(req.nTimeSec);
    tagCrashNameReply reply{};
    FormatLogFileName(reply.szName, time);
    if (send(sock, &reply, sizeof reply, MSG_NOSIGNAL) != sizeof reply)
        _exit(0);
    const int fd = ReceiveFd(sock);
    if (fd < 0)
        _exit(0);
    tagCrashDoneReply done{};
    done.nComplete = WriteFullLog(fd, req, time) ? 1 : 0;
    close(fd);
    send(sock, &done, sizeof done, MSG_NOSIGNAL);
    // _exit: the parent's atexit handlers and stdio buffers are not ours.
    _exit(0);
}

} // namespace

bool StartWriterProcess(int& sock, pid_t& pid) {
    int pair[2];
    if (socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, pair) != 0)
        return false;
    const pid_t parent = getpid();
    const pid_t child = fork();
    if (child < 0) {
        close(pair[0]);
        close(pair[1]);
        return false;
    }
    if (child == 0) {
        close(pair[0]);
        RunWriterProcess(pair[1], parent);
    }
    close(pair[1]);
    sock = pair[0];
    pid = child;
    return true;
}
