#pragma once
// Ending a foreign window. The shell asks a refused window to close at once
// and disconnects its program when the window is still there a second
// later:
//   pid_t pid = WindowPid(x, w);
//   ClosePolitely(x, w);
//   ... one second later ...
//   KillClient(x, w, pid);
// The batched forms do the same for many windows at once, in one or two
// round trips however many windows there are.

#include "platform/x11/CXConnection.h"
#include "platform/x11/WindowProcess.h"

#include <sys/types.h>
#include <utility>
#include <vector>

namespace deskguard {

bool WindowExists(const CXConnection& x, xcb_window_t window);

// Sends WM_DELETE_WINDOW when the window takes it (listed in its
// WM_PROTOCOLS). False when it does not or is gone: nothing was sent.
bool RequestClose(const CXConnection& x, xcb_window_t window);

// RequestClose, or KillClient for a window that does not take
// WM_DELETE_WINDOW (it has no other way to be asked). False when the window
// is gone.
bool ClosePolitely(const CXConnection& x, xcb_window_t window);
// ClosePolitely for many windows: one round trip looks at them
// (WindowOwners), then CloseAsLooked. [i] is false when windows[i] is gone.
std::vector<bool> ClosePolitelyAll(const CXConnection& x, const std::vector<xcb_window_t>& windows);
// The requests of ClosePolitely for windows as `looks` (WindowOwners, in the
// same order) found them a moment ago, all together with one flush and
// without waiting for them: no round trip.
void CloseAsLooked(const CXConnection& x, const std::vector<xcb_window_t>& windows,
                   const std::vector<tagWindowOwner>& looks);

// Disconnects the X client that created the window (XKillClient): all its
// windows go, and most programs end. With `expectedPid`, only while the
// window still belongs to that process: after a delay the window may have
// gone and its id been reused by another program. False when nothing was
// done.
bool KillClient(const CXConnection& x, xcb_window_t window, pid_t expectedPid = 0);
// KillClient for many (window, expected pid) pairs in two round trips.
std::vector<bool> KillClients(const CXConnection& x,
                              const std::vector<std::pair<xcb_window_t, pid_t>>& windows);

} // namespace deskguard
