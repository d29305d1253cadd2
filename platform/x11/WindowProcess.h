#pragma once
// Whose is a window: the process behind the X client that created it,
// and that process's executable.

#include "platform/x11/CXConnection.h"

#include <string>
#include <sys/types.h>
#include <vector>

namespace deskguard {

// What one look at a window tells.
struct tagWindowOwner {
    bool exists = false;     // the window is there
    bool showing = false;    // mapped, and its parents too
    pid_t pid = 0;           // as WindowPid
    bool takesClose = false; // lists WM_DELETE_WINDOW in its WM_PROTOCOLS
};

// Many windows looked at in one round trip: every request goes out before
// any reply is read. The answer for windows[i] is at [i]. What it takes to
// close them comes along, so that refusing them (CloseAsLooked) costs no
// round trip of its own.
std::vector<tagWindowOwner> WindowOwners(const CXConnection& x, const std::vector<xcb_window_t>& windows);

// The id of the process that created `window`, as the X server learnt it
// from the client's local socket (X-Resource), never from _NET_WM_PID,
// which a program may set to anything. 0 when the window does not exist or
// the server does not know the process (a client over the network).
pid_t WindowPid(const CXConnection& x, xcb_window_t window);

// The full path of the program `pid` runs (/proc/<pid>/exe); empty when
// the process is gone or not ours to look at.
std::string ExecutablePath(pid_t pid);

} // namespace deskguard
