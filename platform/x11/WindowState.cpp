#include "platform/x11/WindowState.h"

#include "platform/x11/WindowManager.h"
#include "platform/x11/XProtocol.h"

#include <algorithm>

namespace deskguard {

namespace {

// Source indication in EWMH requests: a pager, acting for the user.
constexpr uint32_t kSourcePager = 2;
constexpr uint32_t kIconicState = 3;
constexpr uint32_t kStateRemove = 0;
constexpr uint32_t kStateAdd = 1;

} // namespace

bool Activate(const CXConnection& x, xcb_window_t window) {
    if (FindWindowManager(x) != XCB_WINDOW_NONE)
        return SendToRoot(x, window, x.Atom(enAtom::NetActiveWindow),
                          {kSourcePager, XCB_CURRENT_TIME, 0, 0, 0});
    xcb_connection_t* c = x.Get();
    const uint32_t above = XCB_STACK_MODE_ABOVE;
    xcb_map_window(c, window);
    xcb_configure_window(c, window, XCB_CONFIG_WINDOW_STACK_MODE, &above);
    return Succeeded(x,
                     xcb_set_input_focus_checked(c, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME));
}

bool Minimise(const CXConnection& x, xcb_window_t window) {
    return SendToRoot(x, window, x.Atom(enAtom::WmChangeState), {kIconicState, 0, 0, 0, 0});
}

bool SetMaximised(const CXConnection& x, xcb_window_t window, bool maximised) {
    return SendToRoot(x, window, x.Atom(enAtom::NetWmState),
                      {maximised ? kStateAdd : kStateRemove, x.Atom(enAtom::NetWmStateMaximizedVert),
                       x.Atom(enAtom::NetWmStateMaximizedHorz), kSourcePager, 0});
}

bool KeepBelow(const CXConnection& x, xcb_window_t window) {
    const auto attributes = ReadAttributes(x, window);
    if (!attributes)
        return false;
    const xcb_atom_t below = x.Atom(enAtom::NetWmStateBelow);
    // A window manager reads the state property when it takes a window on,
    // and takes requests for windows it manages.
    if (attributes->map_state == XCB_MAP_STATE_UNMAPPED) {
        const xcb_atom_t state = x.Atom(enAtom::NetWmState);
        std::vector<uint32_t> states =
            ReadWords(x, window, state, XCB_ATOM_ATOM).value_or(std::vector<uint32_t>{});
        if (std::find(states.begin(), states.end(), below) == states.end())
            states.push_back(below);
        if (!WriteWords(x, window, state, XCB_ATOM_ATOM, states))
            return false;
    } else if (!SendToRoot(x, window, x.Atom(enAtom::NetWmState), {kStateAdd, below, 0, kSourcePager, 0})) {
        return false;
    }
    const uint32_t bottom = XCB_STACK_MODE_BELOW;
    return Succeeded(x, xcb_configure_window_checked(x.Get(), window, XCB_CONFIG_WINDOW_STACK_MODE, &bottom));
}

} // namespace deskguard
