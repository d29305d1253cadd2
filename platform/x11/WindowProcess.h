#pragma once
// Whose is a window: the process behind the X client that created it,
// and that process's executable.

#include "platform/x11/CXConnection.h"

#include <xcb/res.h>

#include <optional>
#include <string>
#include <sys/types.h>
#include <unordered_map>
#include <vector>

namespace deskguard {

// What one look at a window tells.
struct tagWindowOwner {
    bool exists = false;     // the window is there
    bool showing = false;    // mapped, and its parents too
    pid_t pid = 0;           // as WindowPid
    bool takesClose = false; // lists WM_DELETE_WINDOW in its WM_PROTOCOLS
};

// Many windows looked at in one round trip: every request goes out before
// any reply is read. The answer for windows[i] is at [i]. What it takes to
// close them comes along, so that refusing them (CloseAsLooked) costs no
// round trip of its own.
std::vector<tagWindowOwner> WindowOwners(const CXConnection& x, const std::vector<xcb_window_t>& windows);

// WindowOwners in two halves, so that other questions can share its round
// trip: the constructor sends every request, Take reads the answers.
class COwnerQuery {
public:
    // `alsoPidOf`: more windows whose process the same X-Resource query asks.
    COwnerQuery(const CXConnection& x, std::vector<xcb_window_t> windows,
                const std::vector<xcb_window_t>& alsoPidOf = {});
    ~COwnerQuery(); // answers never taken are discarded
    COwnerQuery(const COwnerQuery&) = delete;
    COwnerQuery& operator=(const COwnerQuery&) = delete;
    std::vector<tagWindowOwner> Take();
    // After Take: the process of any window asked (its client's; whether the
    // window exists is not checked here).
    pid_t PidOf(xcb_window_t window) const;
    // After Take: false when the server did not answer the X-Resource query
    // (the extension is missing or refused this client): no process is known.
    bool XResAnswered() const { return m_bXResAnswered; }

private:
    const CXConnection& m_x;
    std::vector<xcb_window_t> m_windows;
    std::vector<xcb_get_window_attributes_cookie_t> m_attributes;
    std::vector<xcb_get_property_cookie_t> m_protocols;
    std::optional<xcb_res_query_client_ids_cookie_t> m_ids;
    std::unordered_map<uint32_t, pid_t> m_pids; // client base -> process
    bool m_bXResAnswered = false;
    bool m_bTaken = false;
};

// The id of the process that created `window`, as the X server learnt it
// from the client's local socket (X-Resource), never from _NET_WM_PID,
// which a program may set to anything. 0 when the window does not exist or
// the server does not know the process (a client over the network).
pid_t WindowPid(const CXConnection& x, xcb_window_t window);

// The full path of the program `pid` runs (/proc/<pid>/exe); empty when
// the process is gone or not ours to look at.
std::string ExecutablePath(pid_t pid);

} // namespace deskguard
