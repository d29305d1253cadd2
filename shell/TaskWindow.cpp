#include "shell/TaskWindow.h"

#include "platform/x11/WindowClose.h"
#include "platform/x11/WindowState.h"
#include "shell/ShellX.h"

#include <cstdlib>

namespace {

// ICCCM WM_STATE: 3 is IconicState.
bool IsMinimised(const deskguard::CXConnection& x, xcb_window_t window) {
    xcb_connection_t* c = x.Get();
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, 1, 8, "WM_STATE"), nullptr);
    if (atom == nullptr) {
        return false;
    }
    const xcb_atom_t state = atom->atom;
    std::free(atom);
    if (state == XCB_ATOM_NONE) {
        return false;
    }
    xcb_get_property_reply_t* reply =
        xcb_get_property_reply(c, xcb_get_property(c, 0, window, state, state, 0, 2), nullptr);
    if (reply == nullptr) {
        return false;
    }
    const bool iconic = xcb_get_property_value_length(reply) >= 4 &&
                        *static_cast<const uint32_t*>(xcb_get_property_value(reply)) == 3;
    std::free(reply);
    return iconic;
}

template <class F> void WithX(unsigned long window, F&& action) {
    if (deskguard::CXConnection* x = ShellX(); x != nullptr && window != 0) {
        action(*x, static_cast<xcb_window_t>(window));
        xcb_flush(x->Get());
    }
}

} // namespace

void ToggleTaskWindow(unsigned long window) {
    WithX(window, [](const deskguard::CXConnection& x, xcb_window_t w) {
        if (IsMinimised(x, w)) {
            deskguard::Activate(x, w);
        } else {
            deskguard::Minimise(x, w);
        }
    });
}

void RestoreTaskWindow(unsigned long window) {
    WithX(window, [](const deskguard::CXConnection& x, xcb_window_t w) {
        deskguard::SetMaximised(x, w, false);
        deskguard::Activate(x, w);
    });
}

void MinimiseTaskWindow(unsigned long window) {
    WithX(window, [](const deskguard::CXConnection& x, xcb_window_t w) { deskguard::Minimise(x, w); });
}

void MaximiseTaskWindow(unsigned long window) {
    WithX(window, [](const deskguard::CXConnection& x, xcb_window_t w) {
        deskguard::SetMaximised(x, w, true);
        deskguard::Activate(x, w);
    });
}

void CloseTaskWindow(unsigned long window) {
    WithX(window, [](const deskguard::CXConnection& x, xcb_window_t w) { deskguard::ClosePolitely(x, w); });
}
