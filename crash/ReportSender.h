#pragma once
// Starts "WarrowReport {program}{log}" from the program's own directory,
// detached, in the current directory (where the log lies). Safe to call from
// the crash signal handler: it only forks and executes. Returns 1 when the
// sender process was started, 0 otherwise.
int StartReportSender(const char* fileName);

// Remembers the program's own path (/proc/self/exe) ahead of any crash.
void RememberProgramPath() noexcept;
