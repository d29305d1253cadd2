#include "platform/x11/WindowClose.h"

#include "platform/x11/WindowProcess.h"
#include "platform/x11/XProtocol.h"

#include <optional>

namespace deskguard {

namespace {

xcb_void_cookie_t SendDeleteWindow(const CXConnection& x, xcb_window_t window) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = window;
    event.type = x.Atom(enAtom::WmProtocols);
    event.data.data32[0] = x.Atom(enAtom::WmDeleteWindow);
    event.data.data32[1] = XCB_CURRENT_TIME;
    return xcb_send_event_checked(x.Get(), 0, window, XCB_EVENT_MASK_NO_EVENT,
                                  reinterpret_cast<const char*>(&event));
}

} // namespace

bool WindowExists(const CXConnection& x, xcb_window_t window) {
    return window != XCB_WINDOW_NONE && ReadAttributes(x, window).has_value();
}

bool RequestClose(const CXConnection& x, xcb_window_t window) {
    if (!WindowOwners(x, {window}).front().takesClose)
        return false;
    // Checked: when this returns the request has reached the window's client.
    return Succeeded(x, SendDeleteWindow(x, window));
}

bool ClosePolitely(const CXConnection& x, xcb_window_t window) {
    return ClosePolitelyAll(x, {window}).front();
}

std::vector<bool> ClosePolitelyAll(const CXConnection& x, const std::vector<xcb_window_t>& windows) {
    const std::vector<tagWindowOwner> looks = WindowOwners(x, windows);
    CloseAsLooked(x, windows, looks);
    std::vector<bool> there(windows.size());
    for (size_t i = 0; i < looks.size(); ++i)
        there[i] = looks[i].exists;
    return there;
}

void CloseAsLooked(const CXConnection& x, const std::vector<xcb_window_t>& windows,
                   const std::vector<tagWindowOwner>& looks) {
    xcb_connection_t* c = x.Get();
    for (size_t i = 0; i < windows.size() && i < looks.size(); ++i) {
        if (!looks[i].exists)
            continue;
        // Nobody waits for these: a window gone meanwhile must not bring
        // an error into the caller's event stream.
        const xcb_void_cookie_t request =
            looks[i].takesClose ? SendDeleteWindow(x, windows[i]) : xcb_kill_client_checked(c, windows[i]);
        xcb_discard_reply(c, request.sequence);
    }
    xcb_flush(c);
}

bool KillClient(const CXConnection& x, xcb_window_t window, pid_t expectedPid) {
    return KillClients(x, {{window, expectedPid}}).front();
}

std::vector<bool> KillClients(const CXConnection& x,
                              const std::vector<std::pair<xcb_window_t, pid_t>>& windows) {
    std::vector<xcb_window_t> ids;
    ids.reserve(windows.size());
    for (const auto& [window, pid] : windows)
        ids.push_back(window);
    const std::vector<tagWindowOwner> owners = WindowOwners(x, ids);
    std::vector<std::optional<xcb_void_cookie_t>> kills(windows.size());
    for (size_t i = 0; i < windows.size(); ++i) {
        const pid_t expected = windows[i].second;
        if (owners[i].exists && (expected == 0 || owners[i].pid == expected))
            kills[i] = xcb_kill_client_checked(x.Get(), ids[i]);
    }
    std::vector<bool> done(windows.size());
    for (size_t i = 0; i < windows.size(); ++i)
        done[i] = kills[i] && Succeeded(x, *kills[i]);
    return done;
}

} // namespace deskguard
