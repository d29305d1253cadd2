#include "platform/x11/WindowProcess.h"

#include "platform/x11/XProtocol.h"

#include <xcb/res.h>

#include <unistd.h>
#include <vector>

namespace deskguard {

pid_t WindowPid(const CXConnection& x, xcb_window_t window) {
    if (!x.HasXRes() || window == XCB_WINDOW_NONE)
        return 0;
    xcb_connection_t* c = x.Get();
    // The server answers for the client slot the id belongs to whether or
    // not the window still exists, so the window is checked in the same
    // round trip: a slot reused by a new client must not answer for it.
    const xcb_get_window_attributes_cookie_t exists = xcb_get_window_attributes(c, window);
    xcb_res_client_id_spec_t spec{window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID};
    const xcb_res_query_client_ids_cookie_t ids = xcb_res_query_client_ids(c, 1, &spec);
    reply_ptr<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(c, exists, nullptr));
    reply_ptr<xcb_res_query_client_ids_reply_t> reply(xcb_res_query_client_ids_reply(c, ids, nullptr));
    if (!attributes || !reply)
        return 0;
    for (xcb_res_client_id_value_iterator_t it = xcb_res_query_client_ids_ids_iterator(reply.get()); it.rem;
         xcb_res_client_id_value_next(&it)) {
        if ((it.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) &&
            xcb_res_client_id_value_value_length(it.data) == 1)
            return static_cast<pid_t>(*xcb_res_client_id_value_value(it.data));
    }
    return 0;
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
