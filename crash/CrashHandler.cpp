#include "crash/CrashHandler.h"

#include "crash/CrashGuard.h"
#include "crash/CrashRequest.h"
#include "crash/ExceptionCode.h"
#include "crash/FallbackLog.h"
#include "crash/FdPassing.h"
#include "crash/LogSections.h"
#include "crash/ReportSender.h"
#include "crash/WriterProcess.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kCrashSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT, SIGTRAP};

std::atomic<bool> s_bDone{false};    // the first crash has claimed the writer
std::atomic<bool> s_bWritten{false}; // ... and has finished with it
std::atomic<bool> s_bInstalled{false};
std::atomic<CrashCallback> s_pfnOnWritten{nullptr};
tagCrashOptions s_options;
int s_nWriterSock = -1;
pid_t s_nWriterPid = -1;
std::int64_t s_nUtcOffset = 0;

std::int64_t NowMs(clockid_t clock) noexcept {
    timespec ts{};
    clock_gettime(clock, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

bool WaitReadable(int fd, int timeoutMs) noexcept {
    const std::int64_t deadline = NowMs(CLOCK_MONOTONIC) + timeoutMs;
    for (;;) {
        std::int64_t left = deadline - NowMs(CLOCK_MONOTONIC);
        if (left < 0)
            left = 0;
        pollfd p{fd, POLLIN, 0};
        const int r = poll(&p, 1, static_cast<int>(left));
        if (r > 0)
            return true;
        if (r == 0 || errno != EINTR)
            return false;
    }
}

// One whole message of exactly `size` bytes within the timeout.
bool ReceiveExact(int sock, void* data, std::size_t size, int timeoutMs) noexcept {
    if (!WaitReadable(sock, timeoutMs))
        return false;
    ssize_t n;
    do {
        n = recv(sock, data, size, MSG_DONTWAIT);
    } while (n < 0 && errno == EINTR);
    return n == static_cast<ssize_t>(size);
}

void StopWriter() noexcept {
    if (s_nWriterPid > 0) {
        kill(s_nWriterPid, SIGKILL);
        while (waitpid(s_nWriterPid, nullptr, 0) < 0 && errno == EINTR) {
        }
        s_nWriterPid = -1;
    }
    if (s_nWriterSock >= 0) {
        close(s_nWriterSock);
        s_nWriterSock = -1;
    }
}

void FillRequest(tagCrashRequest& req, const tagExceptionPointers& info, unsigned int code) noexcept {
    std::memset(&req, 0, sizeof req);
    req.nPid = getpid();
    req.nTid = gettid();
    req.nCode = code;
    req.nUtcOffset = s_nUtcOffset;
    timespec now{};
    clock_gettime(CLOCK_REALTIME, &now);
    req.nTimeSec = now.tv_sec;
    if (info.pExceptionRecord != nullptr) {
        req.nSignal = info.pExceptionRecord->si_signo;
        req.nSigCode = info.pExceptionRecord->si_code;
        req.nFaultAddr = reinterpret_cast<std::uintptr_t>(info.pExceptionRecord->si_addr);
    }
    if (info.pContextRecord != nullptr) {
        req.nUcFlags = static_cast<std::uint32_t>(info.pContextRecord->uc_flags);
        std::memcpy(req.gregs, info.pContextRecord->uc_mcontext.gregs, sizeof req.gregs);
    }
    // An int3 trap reports the instruction after the breakpoint; the log
    // shows the breakpoint itself, as a Windows breakpoint exception does.
    if (req.nSignal == SIGTRAP && req.nSigCode == SI_KERNEL)
        --req.gregs[REG_RIP];
}

// Asks the writer for the file name (it knows the local time zone, which is
// out of reach here); without an answer the name comes from the offset seen
// at install.
bool AskWriterForName(const tagCrashRequest& req, char (&name)[kLogNameSize]) noexcept {
    tagCrashNameReply reply{};
    if (s_nWriterSock >= 0 && send(s_nWriterSock, &req, sizeof req, MSG_NOSIGNAL) == sizeof req &&
        ReceiveExact(s_nWriterSock, &reply, sizeof reply, s_options.nNameTimeoutMs) &&
        std::memchr(reply.szName, '\0', sizeof reply.szName) != nullptr && reply.szName[0] != '\0' &&
        std::strchr(reply.szName, '/') == nullptr) {
        std::memcpy(name, reply.szName, sizeof name);
        return true;
    }
    StopWriter();
    FormatLogFileName(name, CivilTimeOf(req.nTimeSec + req.nUtcOffset));
    return false;
}

bool WriterCompletes(int fd) noexcept {
    tagCrashDoneReply done{};
    return SendFd(s_nWriterSock, fd) &&
           ReceiveExact(s_nWriterSock, &done, sizeof done, s_options.nWriteTimeoutMs) && done.nComplete == 1;
}

// Another thread is writing the log: give it the time it may take before
// this thread's crash ends the process.
void WaitForFirstLog() noexcept {
    const std::int64_t limit = std::int64_t{s_options.nNameTimeoutMs} + s_options.nWriteTimeoutMs + 5000;
    const std::int64_t deadline = NowMs(CLOCK_MONOTONIC) + limit;
    while (!s_bWritten.load() && NowMs(CLOCK_MONOTONIC) < deadline) {
        timespec pause{0, 10 * 1000 * 1000};
        nanosleep(&pause, nullptr);
    }
}

void OnCrashSignal(int signo, siginfo_t* info, void* context) {
    const int savedErrno = errno;
    const auto* uc = static_cast<const ucontext_t*>(context);
    const tagExceptionPointers pointers{info, uc};
    const unsigned int code =
        ExceptionCodeOf(signo, info->si_code, reinterpret_cast<std::uintptr_t>(info->si_addr),
                        static_cast<std::uint64_t>(uc->uc_mcontext.gregs[REG_RSP]));
    if (WriteCrashLog(&pointers, code) == 1) {
        if (sigjmp_buf* guard = CurrentCrashGuard())
            siglongjmp(*guard, 1);
    }
    // Hand the crash to the system: the default action, delivered as soon as
    // the handler returns (the signal stays blocked until then). A fault
    // would repeat anyway; abort(), int3 and kill() would not.
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    sigaction(signo, &dfl, nullptr);
    raise(signo);
    errno = savedErrno;
}

} // namespace

void SetCrashCallback(CrashCallback onWritten) {
    RememberProgramPath();
    s_pfnOnWritten.store(onWritten);
}

int WriteCrashLog(const tagExceptionPointers* info, unsigned int code) {
    if (s_bDone.exchange(true)) {
        WaitForFirstLog();
        return 0;
    }
    tagCrashRequest req;
    FillRequest(req, info != nullptr ? *info : tagExceptionPointers{nullptr, nullptr}, code);
    char name[kLogNameSize];
    const bool writerAlive = AskWriterForName(req, name);
    const int fd = open(name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        StopWriter();
        s_bWritten.store(true);
        return 0;
    }
    if (!writerAlive || !WriterCompletes(fd)) {
        // Whatever the writer left is replaced: a short, complete log beats
        // a long, broken one.
        StopWriter();
        if (ftruncate(fd, 0) == 0 && lseek(fd, 0, SEEK_SET) == 0)
            WriteFallbackLog(fd, req);
    }
    StopWriter();
    close(fd);
    if (CrashCallback callback = s_pfnOnWritten.load())
        callback(name);
    s_bWritten.store(true);
    return 1;
}

bool InstallCrashHandler(CrashCallback onWritten, const tagCrashOptions& options) {
    SetCrashCallback(onWritten);
    if (s_bInstalled.exchange(true))
        return true;
    s_options = options;
    const time_t now = time(nullptr);
    tm local{};
    if (localtime_r(&now, &local) != nullptr)
        s_nUtcOffset = local.tm_gmtoff;
    PrepareCrashThread();
    if (StartWriterProcess(s_nWriterSock, s_nWriterPid)) {
        // Where Yama restricts ptrace to ancestors, the writer (our child)
        // still needs to read our memory.
        prctl(PR_SET_PTRACER, s_nWriterPid, 0, 0, 0);
    }
    struct sigaction action {};
    action.sa_sigaction = OnCrashSignal;
    action.sa_flags = SA_SIGINFO | SA_ONSTACK;
    sigemptyset(&action.sa_mask);
    for (int signo : kCrashSignals)
        sigaddset(&action.sa_mask, signo);
    bool ok = true;
    for (int signo : kCrashSignals)
        ok = sigaction(signo, &action, nullptr) == 0 && ok;
    return ok;
}
