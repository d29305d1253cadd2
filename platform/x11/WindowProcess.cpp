#include "platform/x11/WindowProcess.h"

#include "platform/x11/XProtocol.h"

#include <algorithm>
#include <optional>
#include <unistd.h>
#include <unordered_map>
#include <utility>
#include <vector>

namespace deskguard {

COwnerQuery::COwnerQuery(const CXConnection& x, std::vector<xcb_window_t> windows,
                         const std::vector<xcb_window_t>& alsoPidOf)
    : m_x(x), m_windows(std::move(windows)) {
    xcb_connection_t* c = x.Get();
    // The server answers for the client slot an id belongs to whether or
    // not the window still exists, so the window is checked in the same
    // round trip: a slot reused by a new client must not answer for it.
    m_attributes.reserve(m_windows.size());
    m_protocols.reserve(m_windows.size());
    for (const xcb_window_t window : m_windows) {
        m_attributes.push_back(xcb_get_window_attributes(c, window));
        m_protocols.push_back(RequestWords(x, window, x.Atom(enAtom::WmProtocols), XCB_ATOM_ATOM));
    }
    // One query for all: the server answers once per client, naming the
    // client by the base of its id range.
    // (No window, 0, would ask about every client.)
    std::vector<xcb_res_client_id_spec_t> specs;
    for (const std::vector<xcb_window_t>* list : {&std::as_const(m_windows), &alsoPidOf})
        for (const xcb_window_t window : *list)
            if (x.HasXRes() && window != XCB_WINDOW_NONE)
                specs.push_back({window, XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID});
    if (!specs.empty())
        m_ids = xcb_res_query_client_ids(c, static_cast<uint32_t>(specs.size()), specs.data());
    else
        m_bXResAnswered = x.HasXRes(); // nothing to ask
}

COwnerQuery::~COwnerQuery() {
    if (m_bTaken)
        return;
    xcb_connection_t* c = m_x.Get();
    for (const auto& cookie : m_attributes)
        xcb_discard_reply(c, cookie.sequence);
    for (const auto& cookie : m_protocols)
        xcb_discard_reply(c, cookie.sequence);
    if (m_ids)
        xcb_discard_reply(c, m_ids->sequence);
}

std::vector<tagWindowOwner> COwnerQuery::Take() {
    xcb_connection_t* c = m_x.Get();
    m_bTaken = true;
    std::vector<tagWindowOwner> owners(m_windows.size());
    for (size_t i = 0; i < m_windows.size(); ++i) {
        reply_ptr<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(c, m_attributes[i], nullptr));
        owners[i].exists = attributes && m_windows[i] != XCB_WINDOW_NONE;
        owners[i].showing = owners[i].exists && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
        const auto protocols = TakeWords(m_x, m_protocols[i]);
        owners[i].takesClose = owners[i].exists && protocols &&
                               std::find(protocols->begin(), protocols->end(),
                                         m_x.Atom(enAtom::WmDeleteWindow)) != protocols->end();
    }
    if (!m_ids)
        return owners;
    reply_ptr<xcb_res_query_client_ids_reply_t> ids(xcb_res_query_client_ids_reply(c, *m_ids, nullptr));
    m_ids.reset();
    if (!ids)
        return owners;
    m_bXResAnswered = true;
    for (xcb_res_client_id_value_iterator_t it = xcb_res_query_client_ids_ids_iterator(ids.get()); it.rem;
         xcb_res_client_id_value_next(&it)) {
        if ((it.data->spec.mask & XCB_RES_CLIENT_ID_MASK_LOCAL_CLIENT_PID) &&
            xcb_res_client_id_value_value_length(it.data) == 1)
            m_pids.emplace(it.data->spec.client, static_cast<pid_t>(*xcb_res_client_id_value_value(it.data)));
    }
    for (size_t i = 0; i < m_windows.size(); ++i)
        if (owners[i].exists)
            owners[i].pid = PidOf(m_windows[i]);
    return owners;
}

pid_t COwnerQuery::PidOf(xcb_window_t window) const {
    const uint32_t clientBits = ~xcb_get_setup(m_x.Get())->resource_id_mask;
    const auto pid = m_pids.find(window & clientBits);
    return pid == m_pids.end() ? 0 : pid->second;
}

std::vector<tagWindowOwner> WindowOwners(const CXConnection& x, const std::vector<xcb_window_t>& windows) {
    return COwnerQuery(x, windows).Take();
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
