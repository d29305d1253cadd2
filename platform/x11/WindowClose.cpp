#include "platform/x11/WindowClose.h"

#include "platform/x11/WindowProcess.h"
#include "platform/x11/XProtocol.h"

#include <algorithm>

namespace deskguard {

bool WindowExists(const CXConnection& x, xcb_window_t window) {
    return window != XCB_WINDOW_NONE && ReadAttributes(x, window).has_value();
}

bool RequestClose(const CXConnection& x, xcb_window_t window) {
    const xcb_atom_t deleteWindow = x.Atom(enAtom::WmDeleteWindow);
    const auto protocols = ReadWords(x, window, x.Atom(enAtom::WmProtocols), XCB_ATOM_ATOM);
    if (!protocols || std::find(protocols->begin(), protocols->end(), deleteWindow) == protocols->end())
        return false;
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = x.Atom(enAtom::WmProtocols);
    event.data.data32[0] = deleteWindow;
    event.data.data32[1] = XCB_CURRENT_TIME;
    // Checked: when this returns the request has reached the window's client.
    const xcb_void_cookie_t cookie = xcb_send_event_checked(x.Get(), 0, window, XCB_EVENT_MASK_NO_EVENT,
                                                            reinterpret_cast<const char*>(&event));
    return Succeeded(x, cookie);
}

bool ClosePolitely(const CXConnection& x, xcb_window_t window) {
    return RequestClose(x, window) || KillClient(x, window);
}

bool KillClient(const CXConnection& x, xcb_window_t window, pid_t expectedPid) {
    if (!WindowExists(x, window))
        return false;
    if (expectedPid != 0 && WindowPid(x, window) != expectedPid)
        return false;
    return Succeeded(x, xcb_kill_client_checked(x.Get(), window));
}

} // namespace deskguard
