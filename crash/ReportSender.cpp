#include "crash/ReportSender.h"

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <sys/wait.h>
#include <unistd.h>

namespace {

char s_szProgramDir[PATH_MAX];
char s_szProgramName[260];

// Appends to a fixed buffer; the result is always terminated.
void Append(char* buffer, std::size_t size, const char* text) noexcept {
    std::size_t used = std::strlen(buffer);
    while (*text != '\0' && used + 1 < size)
        buffer[used++] = *text++;
    buffer[used] = '\0';
}

[[noreturn]] void ExecSender(const char* path, const char* argument) noexcept {
    // The crashed thread blocks the crash signals and the program may ignore
    // some; the sender starts with a clean slate and none of our descriptors.
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction dfl {};
    dfl.sa_handler = SIG_DFL;
    for (int signo = 1; signo < NSIG; ++signo)
        sigaction(signo, &dfl, nullptr);
    close_range(3, ~0U, 0);
    char name[] = "WarrowReport";
    char* argv[] = {name, const_cast<char*>(argument), nullptr};
    execv(path, argv);
    _exit(127);
}

} // namespace

void RememberProgramPath() noexcept {
    char path[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return;
    path[n] = '\0';
    char* slash = std::strrchr(path, '/');
    if (slash == nullptr)
        return;
    s_szProgramName[0] = '\0';
    Append(s_szProgramName, sizeof s_szProgramName, slash + 1);
    *slash = '\0';
    s_szProgramDir[0] = '\0';
    Append(s_szProgramDir, sizeof s_szProgramDir, path);
}

int StartReportSender(const char* fileName) {
    if (s_szProgramDir[0] == '\0')
        RememberProgramPath();
    if (s_szProgramDir[0] == '\0' || fileName == nullptr)
        return 0;
    char path[PATH_MAX + 16] = "";
    Append(path, sizeof path, s_szProgramDir);
    Append(path, sizeof path, "/WarrowReport");
    // One argument holds both values, so that the command line reads exactly
    // "WarrowReport {program}{log}" as the sender parses it.
    char argument[sizeof s_szProgramName + 80] = "{";
    Append(argument, sizeof argument, s_szProgramName);
    Append(argument, sizeof argument, "}{");
    Append(argument, sizeof argument, fileName);
    Append(argument, sizeof argument, "}");

    // Double fork: the sender belongs to no one in the program (nothing to
    // reap later) and lives on when the crashed program ends. _Fork skips the
    // fork handlers, which could take locks the crashed thread holds.
    const pid_t child = _Fork();
    if (child < 0)
        return 0;
    if (child == 0) {
        setsid();
        const pid_t sender = _Fork();
        if (sender == 0)
            ExecSender(path, argument);
        _exit(sender < 0 ? 1 : 0);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR)
            return 0;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? 1 : 0;
}
