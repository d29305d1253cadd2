#pragma once

#include "platform/x11/CXConnection.h"

#include <string>

namespace deskguard {

// The window's title in UTF-8: _NET_WM_NAME, else WM_NAME (Latin-1 text is
// converted; other encodings are passed through). Empty when it has none.
std::string WindowTitle(const CXConnection& x, xcb_window_t window);

} // namespace deskguard
