#pragma once
// What an EWMH window manager publishes on the root window.

#include "platform/x11/CXConnection.h"
#include "platform/x11/WindowProcess.h"

#include <optional>
#include <sys/types.h>
#include <vector>

namespace deskguard {

// The window manager's check window while an EWMH window manager runs, none
// otherwise. A manager that died leaves its root property behind, so the
// check window must exist and point at itself.
xcb_window_t FindWindowManager(const CXConnection& x);

// The client windows the window manager manages (_NET_CLIENT_LIST, the
// windows themselves, not their frames); empty when it publishes none.
std::optional<std::vector<xcb_window_t>> ReadClientList(const CXConnection& x);

// Who claims to be the window manager, and with what proof. Any client may
// write the root's check property; the manager selection (WM_S<screen>) is
// what a running manager holds, and a client that takes it from one makes
// that manager give up.
struct tagManagerLook {
    xcb_window_t check = XCB_WINDOW_NONE; // the check window, while it points at itself
    uint32_t client = 0;                  // the base of its client's ids; 0 without one
    bool ownsSelection = false;           // that client owns the manager selection
    pid_t pid = 0;                        // that client's process (X-Resource); 0 unknown
};

// Windows (as WindowOwners) and the window manager looked at together.
struct tagSessionLook {
    std::vector<tagWindowOwner> owners;
    tagManagerLook manager;
    bool xresAnswered = true; // false: the X-Resource query went unanswered
};

// One round trip while the manager is the one `known` describes (the answer
// of the previous call, kept by the caller); a new check window costs one
// more. `known` is updated.
tagSessionLook LookAtSession(const CXConnection& x, const std::vector<xcb_window_t>& windows,
                             tagManagerLook& known);

} // namespace deskguard
