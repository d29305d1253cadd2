#pragma once
// The crash-log writer that the desktop programs and the service carry.
//
// InstallCrashHandler() sets signal handlers for SIGSEGV, SIGBUS, SIGILL,
// SIGFPE, SIGABRT and SIGTRAP on an alternate stack and forks the writer
// process, which later reads the crashed process from outside and writes the
// log. Call it first thing in main(), while the program has one thread.

#include <csignal>
#include <ucontext.h>

// Called with the bare log file name after a log has been written. It runs
// inside the signal handler of a crashed process, so it must restrict itself
// to async-signal-safe calls; StartReportSender does.
using CrashCallback = int (*)(const char* fileName);

// The signal's record and the interrupted context: what the exception
// pointers are to a Windows filter.
struct tagExceptionPointers {
    const siginfo_t* pExceptionRecord;
    const ucontext_t* pContextRecord;
};

struct tagCrashOptions {
    // How long the crashed thread waits for the writer process before it
    // writes the short log itself: for the file name, then for the log.
    int nNameTimeoutMs = 5000;
    int nWriteTimeoutMs = 30000;
};

// Returns false when the signal handlers could not be set. A writer process
// that cannot be started only costs the stack sections of the log.
bool InstallCrashHandler(CrashCallback onWritten = nullptr, const tagCrashOptions& options = {});

void SetCrashCallback(CrashCallback onWritten);

// The exception filter: writes the log for the first crash of the process and
// returns 1, or returns 0 (the system's default action follows) for every
// later crash and when the log file cannot be created.
int WriteCrashLog(const tagExceptionPointers* info, unsigned int code);
