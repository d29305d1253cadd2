// Crashes on demand, for the crash-log tests. Built with -O0 -g so that its
// locals have places in memory the log can show.
//
//   warrow_crash_helper <mode> [--no-callback] [--timeout-ms N]
//
// It installs the crash handler like a desktop program (with the report
// sender as callback unless --no-callback, as the service does) and crashes
// inside a guarded phase. When the guard takes the crash it prints
// "phase ended" and exits 0.

#include "crash/CrashGuard.h"
#include "crash/CrashHandler.h"
#include "crash/ReportSender.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

struct tagPoint {
    int x;
    int y;
};

static volatile int g_zero = 0;
static int* volatile g_null = nullptr;

[[gnu::noinline]] static void CrashByNullWrite(int* target, int value) {
    int doubled = value * 2;
    *target = doubled; // crash: null write
}

[[gnu::noinline]] static int CrashByDivision(int dividend) {
    int divisor = g_zero;
    return dividend / divisor; // crash: division
}

[[gnu::noinline]] static void CrashByAbort() {
    std::abort(); // crash: abort
}

[[gnu::noinline]] static void CrashByIllegalInstruction() {
    __builtin_trap(); // crash: illegal
}

[[gnu::noinline]] static void CrashByBreakpoint() {
    asm volatile("int3"); // crash: breakpoint
}

[[gnu::noinline]] static int CrashByRecursion(int depth) {
    volatile char pad[512];
    pad[0] = static_cast<char>(depth);
    if (depth == g_zero - 1)
        return 0;
    return CrashByRecursion(depth + 1) + pad[0]; // crash: recursion
}

[[gnu::noinline]] static void CrashWithTextLocals(int* target) {
    const char* readable = "text the log shows, cut after thirty-one bytes";
    char* unreadable = reinterpret_cast<char*>(0x10);
    double ratio = 2.5;
    tagPoint point = {3, 4};
    const int sum = readable[0] + static_cast<int>(ratio) + point.x + (unreadable != nullptr ? 1 : 0);
    *target = sum; // crash: text
}

// The writer process is this program's only child.
static pid_t WriterPid() {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/self/task/%d/children", static_cast<int>(getpid()));
    FILE* file = std::fopen(path, "r");
    int pid = -1;
    if (file != nullptr) {
        if (std::fscanf(file, "%d", &pid) != 1)
            pid = -1;
        std::fclose(file);
    }
    return pid;
}

static bool LogExists() {
    for (const auto& entry : std::filesystem::directory_iterator("."))
        if (entry.path().filename().string().rfind("crash[", 0) == 0)
            return true;
    return false;
}

[[noreturn]] static void CrashTwoThreads() {
    // The first thread's crash is being logged when the second one crashes:
    // the second must not end the process before the log is complete.
    std::thread first([] { CrashByNullWrite(g_null, 1); });
    std::thread second([] {
        while (!LogExists())
            usleep(1000);
        CrashByNullWrite(g_null, 2);
    });
    first.join();
    second.join();
    std::_Exit(3);
}

static void Crash(const std::string& mode) {
    if (mode == "null" || mode == "twice" || mode == "killwriter" || mode == "stopwriter" ||
        mode == "cwdgone")
        CrashByNullWrite(g_null, 21);
    else if (mode == "divide")
        std::printf("%d\n", CrashByDivision(7));
    else if (mode == "abort")
        CrashByAbort();
    else if (mode == "illegal")
        CrashByIllegalInstruction();
    else if (mode == "breakpoint")
        CrashByBreakpoint();
    else if (mode == "overflow")
        std::printf("%d\n", CrashByRecursion(0));
    else if (mode == "text")
        CrashWithTextLocals(g_null);
}

static void Prepare(const std::string& mode) {
    if (mode == "killwriter" || mode == "stopwriter") {
        const pid_t writer = WriterPid();
        kill(writer, mode == "killwriter" ? SIGKILL : SIGSTOP);
        if (mode == "killwriter")
            waitpid(writer, nullptr, 0);
    } else if (mode == "cwdgone") {
        // A directory where no file can be created, even by root.
        mkdir("gone", 0755);
        if (chdir("gone") != 0 || rmdir("../gone") != 0)
            std::_Exit(4);
    }
}

int main(int argc, char** argv) {
    if (argc < 2)
        return 2;
    const std::string mode = argv[1];
    bool callback = true;
    tagCrashOptions options;
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "--no-callback") == 0)
            callback = false;
        else if (std::strcmp(argv[i], "--timeout-ms") == 0 && i + 1 < argc)
            options.nNameTimeoutMs = options.nWriteTimeoutMs = std::atoi(argv[++i]);
    }
    if (!InstallCrashHandler(callback ? StartReportSender : nullptr, options))
        return 5;
    if (mode == "threads")
        CrashTwoThreads();
    Prepare(mode);
    if (RunGuarded([&] { Crash(mode); })) {
        std::puts("phase completed");
        return 0;
    }
    std::puts("phase ended");
    std::fflush(stdout);
    if (mode == "twice" && !RunGuarded([] { CrashByNullWrite(g_null, 42); }))
        std::puts("second phase ended");
    return 0;
}
