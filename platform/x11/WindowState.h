#pragma once
// Requests about a foreign window's state, addressed to the window manager
// as EWMH and ICCCM define them (the shell's taskbar acts like a pager).
// Each returns false when the request could not be sent. Minimising and
// maximising need a window manager; without one they do nothing.

#include "platform/x11/CXConnection.h"

namespace deskguard {

// Raises and focuses the window (_NET_ACTIVE_WINDOW). Without a window
// manager the window is mapped, raised and given the input focus directly.
bool Activate(const CXConnection& x, xcb_window_t window);

// Iconifies the window (WM_CHANGE_STATE with IconicState).
bool Minimise(const CXConnection& x, xcb_window_t window);

// Adds or removes both _NET_WM_STATE_MAXIMIZED_VERT and _HORZ.
bool SetMaximised(const CXConnection& x, xcb_window_t window, bool maximised);

// Keeps the window below the others (_NET_WM_STATE_BELOW), as the shell's
// full-screen window sits at the bottom. Works on unmapped windows too, and
// restacks the window to the bottom at once.
bool KeepBelow(const CXConnection& x, xcb_window_t window);

} // namespace deskguard
