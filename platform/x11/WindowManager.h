#pragma once
// What an EWMH window manager publishes on the root window.

#include "platform/x11/CXConnection.h"

#include <optional>
#include <vector>

namespace deskguard {

// The window manager's check window while an EWMH window manager runs, none
// otherwise. A manager that died leaves its root property behind, so the
// check window must exist and point at itself.
xcb_window_t FindWindowManager(const CXConnection& x);

// The client windows the window manager manages (_NET_CLIENT_LIST, the
// windows themselves, not their frames); empty when it publishes none.
std::optional<std::vector<xcb_window_t>> ReadClientList(const CXConnection& x);

} // namespace deskguard
