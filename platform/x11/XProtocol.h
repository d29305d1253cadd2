#pragma once
// Small pieces of the X protocol the guard's operations share: reading and
// writing window properties, and the client messages window managers take.

#include "platform/x11/CXConnection.h"

#include <array>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace deskguard {

// Replies and errors from xcb are malloc'ed; this owns one.
struct tagFree {
    void operator()(void* p) const { std::free(p); }
};
template <class T> using reply_ptr = std::unique_ptr<T, tagFree>;

// Property reads are bounded: a hostile client can make a property as large
// as the server allows.
inline constexpr uint32_t kMaxPropertyWords = 1u << 16;

// Waits for a checked request: true when the server carried it out.
bool Succeeded(const CXConnection& x, xcb_void_cookie_t cookie);

// A property of 32-bit items (windows, atoms, cardinals). Request first and
// take the reply later so that many windows cost one round trip.
xcb_get_property_cookie_t RequestWords(const CXConnection& x, xcb_window_t window, xcb_atom_t property,
                                       xcb_atom_t type);
// Empty when the property is not set, has another type or format, or the
// window is gone.
std::optional<std::vector<uint32_t>> TakeWords(const CXConnection& x, xcb_get_property_cookie_t cookie);
std::optional<std::vector<uint32_t>> ReadWords(const CXConnection& x, xcb_window_t window,
                                               xcb_atom_t property, xcb_atom_t type);

struct tagTextProperty {
    xcb_atom_t type = XCB_ATOM_NONE;
    std::string bytes;
};
// An 8-bit property of any type.
std::optional<tagTextProperty> ReadText(const CXConnection& x, xcb_window_t window, xcb_atom_t property);

// False when the server refused it (the window is gone).
bool WriteWords(const CXConnection& x, xcb_window_t window, xcb_atom_t property, xcb_atom_t type,
                const std::vector<uint32_t>& words);

// The window's attributes, or nothing when the window does not exist.
std::optional<xcb_get_window_attributes_reply_t> ReadAttributes(const CXConnection& x, xcb_window_t window);

// A client message about `window` sent to the root window, where the window
// manager listens (EWMH and ICCCM requests). False when the server refused it.
bool SendToRoot(const CXConnection& x, xcb_window_t window, xcb_atom_t type,
                const std::array<uint32_t, 5>& data);

} // namespace deskguard
