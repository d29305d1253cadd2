#pragma once
// Whose is a window: the process behind the X client that created it,
// and that process's executable.

#include "platform/x11/CXConnection.h"

#include <string>
#include <sys/types.h>

namespace deskguard {

// The id of the process that created `window`, as the X server learnt it
// from the client's local socket (X-Resource), never from _NET_WM_PID,
// which a program may set to anything. 0 when the window does not exist or
// the server does not know the process (a client over the network).
pid_t WindowPid(const CXConnection& x, xcb_window_t window);

// The full path of the program `pid` runs (/proc/<pid>/exe); empty when
// the process is gone or not ours to look at.
std::string ExecutablePath(pid_t pid);

} // namespace deskguard
