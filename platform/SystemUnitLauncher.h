#pragma once

#include "platform/ProcessLauncher.h"

#include <string>
#include <sys/types.h>

namespace platform {

// Starts a program in a transient unit of the system manager, as the request's
// user, instead of forking it from the caller. A sandboxed service uses it so
// that the programs it starts for the family get none of its own limits (a
// read-only file system, no network, a system-call filter) and so that
// everything such a program starts stays in one unit.
//
// systemd is driven through $WARROW_SYSTEMD_RUN (default "systemd-run") and
// $WARROW_SYSTEMCTL (default "systemctl"), so tests can stand in for both.
// `pid` receives the program's process id (the unit's main process).
bool StartInSystemUnit(const LaunchRequest& request, std::string* error = nullptr, pid_t* pid = nullptr);

// The transient unit's name for `program`: "warrow-<file name>-<caller pid>-<n>.service",
// the file name reduced to lower-case letters and digits.
std::string TransientUnitName(const std::string& program);

// True when the calling process was started by systemd as a unit.
bool RunningAsSystemUnit();

} // namespace platform
