#pragma once
// Panels: dock windows and windows that reserve an edge of the screen.

#include "platform/x11/CXConnection.h"

#include <cstdint>

namespace deskguard {

// Makes `window` a dock along the bottom edge that reserves `height` pixels
// between x = `xStart` and `xEnd` (inclusive), as the shell's taskbar is:
// window managers keep maximised windows out of that strip. Set it before
// the window is mapped; window managers read the type when they take a
// window on.
bool MakeBottomDock(const CXConnection& x, xcb_window_t window, uint32_t height, uint32_t xStart,
                    uint32_t xEnd);

// Makes `window` the desktop (_NET_WM_WINDOW_TYPE_DESKTOP): window managers
// keep it below every other window, undecorated and out of their lists.
bool MakeDesktop(const CXConnection& x, xcb_window_t window);

// The three properties that make a window a panel, asked for together.
struct tagPanelCookies {
    xcb_get_property_cookie_t type;
    xcb_get_property_cookie_t strut;
    xcb_get_property_cookie_t strutPartial;
};
tagPanelCookies RequestPanelProperties(const CXConnection& x, xcb_window_t window);
// A panel has the dock window type or reserves a screen edge.
bool TakeIsPanel(const CXConnection& x, const tagPanelCookies& cookies);

} // namespace deskguard
