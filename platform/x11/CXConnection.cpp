#include "platform/x11/CXConnection.h"

#include <xcb/res.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace deskguard {

namespace {

// In the order of enAtom.
constexpr const char* kAtomNames[] = {
    "WM_PROTOCOLS",
    "WM_DELETE_WINDOW",
    "WM_CHANGE_STATE",
    "UTF8_STRING",
    "_NET_WM_NAME",
    "_NET_CLIENT_LIST",
    "_NET_SUPPORTING_WM_CHECK",
    "_NET_ACTIVE_WINDOW",
    "_NET_WM_STATE",
    "_NET_WM_STATE_MAXIMIZED_VERT",
    "_NET_WM_STATE_MAXIMIZED_HORZ",
    "_NET_WM_STATE_BELOW",
    "_NET_WM_WINDOW_TYPE",
    "_NET_WM_WINDOW_TYPE_DOCK",
    "_NET_WM_WINDOW_TYPE_DESKTOP",
    "_NET_WM_STRUT",
    "_NET_WM_STRUT_PARTIAL",
    "_WARROW_SHELL_HOOK",
    "WM_S%d", // the screen's number goes in
};
static_assert(std::size(kAtomNames) == static_cast<size_t>(enAtom::Count));

} // namespace

std::unique_ptr<CXConnection> CXConnection::Open(const char* display) {
    int screen = 0;
    xcb_connection_t* connection = xcb_connect(display && *display ? display : nullptr, &screen);
    std::unique_ptr<CXConnection> result(new CXConnection(connection, true));
    if (xcb_connection_has_error(connection) || !result->Prepare(screen))
        return nullptr;
    return result;
}

std::unique_ptr<CXConnection> CXConnection::Borrow(xcb_connection_t* connection, int screen) {
    if (!connection || xcb_connection_has_error(connection))
        return nullptr;
    std::unique_ptr<CXConnection> result(new CXConnection(connection, false));
    if (!result->Prepare(screen))
        return nullptr;
    return result;
}

CXConnection::CXConnection(xcb_connection_t* connection, bool owned)
    : m_pConnection(connection), m_bOwned(owned) {}

CXConnection::~CXConnection() {
    if (m_bOwned)
        xcb_disconnect(m_pConnection);
}

bool CXConnection::Prepare(int screen) {
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(m_pConnection));
    for (int i = 0; i < screen && it.rem; ++i)
        xcb_screen_next(&it);
    if (screen < 0 || !it.rem)
        return false;
    m_root = it.data->root;

    // All requests first, then the replies: one round trip for the lot.
    std::array<std::string, std::size(kAtomNames)> names;
    for (size_t i = 0; i < names.size(); ++i)
        names[i] = kAtomNames[i];
    char selection[32];
    std::snprintf(selection, sizeof selection, "WM_S%d", screen);
    names[static_cast<size_t>(enAtom::WmManagerSelection)] = selection;
    std::array<xcb_intern_atom_cookie_t, std::size(kAtomNames)> cookies{};
    for (size_t i = 0; i < cookies.size(); ++i)
        cookies[i] =
            xcb_intern_atom(m_pConnection, 0, static_cast<uint16_t>(names[i].size()), names[i].c_str());
    const xcb_query_extension_reply_t* res = xcb_get_extension_data(m_pConnection, &xcb_res_id);
    bool interned = true;
    for (size_t i = 0; i < cookies.size(); ++i) {
        xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(m_pConnection, cookies[i], nullptr);
        interned = interned && reply;
        m_atoms[i] = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
        std::free(reply);
    }
    if (!interned)
        return false;

    if (res && res->present) {
        xcb_res_query_version_reply_t* version =
            xcb_res_query_version_reply(m_pConnection, xcb_res_query_version(m_pConnection, 1, 2), nullptr);
        m_bXRes = version &&
                  (version->server_major > 1 || (version->server_major == 1 && version->server_minor >= 2));
        std::free(version);
    }
    return true;
}

bool CXConnection::IsBroken() const {
    return xcb_connection_has_error(m_pConnection) != 0;
}

void CXConnection::Sync() const {
    std::free(xcb_get_input_focus_reply(m_pConnection, xcb_get_input_focus(m_pConnection), nullptr));
}

} // namespace deskguard
