#include "platform/x11/WindowProcess.h"

#include "platform/x11/XProtocol.h"

#include <xcb/res.h>

#include <algorithm>
#include <optional>
#include <unistd.h>
#include <unordered_map>
#include <vector>

namespace deskguard {

std::vector<tagWindowOwner> WindowOwners(const CXConnection& x, const std::vector<xcb_window_t>& windows) {
    xcb_connection_t* c = x.Get();
    // The server answers for the client slot an id belongs to whether or
    // not the window still exists, so the window is checked in the same
    // round trip: a slot reused by a new client must not answer for it.
    std::vector<xcb_get_window_attributes_cookie_t> attributeCookies;
    std::vector<xcb_get_property_cookie_t> protocolCookies;
    attributeCookies.reserve(windows.size());
    protocolCookies.reserve(windows.size());
    for (const xcb_window_t window : windows) {
        attributeCookies.push_back(xcb_get_window_attributes(c, window));
        protocolCookies.push_back(RequestWords(x, window, x.Atom(enAtom::WmProtocols), XCB_ATOM_ATOM));
    }
    // One query for all: the server answers once per client, naming the
    // client by the base of its id range.
    // (No window, 0, would ask about every client.)
    std::vector<xcb_res_client_id_spec_t> specs;
    for (const xcb_window_t window : windows)
        if (x.HasXRes() && window != XCB_WINDOW_NONE)
            specs.push_back({window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID});
    std::optional<xcb_res_query_client_ids_cookie_t> idCookie;
    if (!specs.empty())
        idCookie = xcb_res_query_client_ids(c, static_cast<uint32_t>(specs.size()), specs.data());

    std::vector<tagWindowOwner> owners(windows.size());
    for (size_t i = 0; i < windows.size(); ++i) {
        reply_ptr<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(c, attributeCookies[i], nullptr));
        owners[i].exists = attributes && windows[i] != XCB_WINDOW_NONE;
        owners[i].showing = owners[i].exists && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        const auto protocols = TakeWords(x, protocolCookies[i]);
        owners[i].takesClose = owners[i].exists && protocols &&
                               std::find(protocols->begin(), protocols->end(),
                                         x.Atom(enAtom::WmDeleteWindow)) != protocols->end();
    }
    if (!idCookie)
        return owners;
    reply_ptr<xcb_res_query_client_ids_reply_t> ids(xcb_res_query_client_ids_reply(c, *idCookie, nullptr));
    if (!ids)
        return owners;
    std::unordered_map<uint32_t, pid_t> pids; // client base -> process
    for (xcb_res_client_id_value_iterator_t it = xcb_res_query_client_ids_ids_iterator(ids.get()); it.rem;
         xcb_res_client_id_value_next(&it)) {
        if ((it.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) &&
            xcb_res_client_id_value_value_length(it.data) == 1)
            pids.emplace(it.data->spec.client, static_cast<pid_t>(*xcb_res_client_id_value_value(it.data)));
    }
    const uint32_t clientBits = ~xcb_get_setup(c)->resource_id_mask;
    for (size_t i = 0; i < windows.size(); ++i) {
        const auto pid = pids.find(windows[i] & clientBits);
        if (owners[i].exists && pid != pids.end())
            owners[i].pid = pid->second;
    }
    return owners;
}

pid_t WindowPid(const CXConnection& x, xcb_window_t window) {
    return WindowOwners(x, {window}).front().pid;
}

std::string ExecutablePath(pid_t pid) {
    if (pid <= 0)
        return {};
    const std::string link = "/proc/" + std::to_string(pid) + "/exe";
    // readlink does not say whether it cut the path: grow until it fits.
    for (size_t size = 256; size <= 65536; size *= 4) {
        std::vector<char> buffer(size);
        const ssize_t length = readlink(link.c_str(), buffer.data(), buffer.size());
        if (length < 0)
            return {};
        if (static_cast<size_t>(length) < buffer.size())
            return std::string(buffer.data(), static_cast<size_t>(length));
    }
    return {};
}

} // namespace deskguard
