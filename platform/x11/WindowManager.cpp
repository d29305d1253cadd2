#include "platform/x11/WindowManager.h"

#include "platform/x11/XProtocol.h"

namespace deskguard {

xcb_window_t FindWindowManager(const CXConnection& x) {
    const xcb_atom_t check = x.Atom(enAtom::NetSupportingWmCheck);
    const auto fromRoot = ReadWords(x, x.Root(), check, XCB_ATOM_WINDOW);
    if (!fromRoot || fromRoot->size() != 1 || (*fromRoot)[0] == XCB_WINDOW_NONE)
        return XCB_WINDOW_NONE;
    const auto fromItself = ReadWords(x, (*fromRoot)[0], check, XCB_ATOM_WINDOW);
    if (!fromItself || fromItself->size() != 1 || (*fromItself)[0] != (*fromRoot)[0])
        return XCB_WINDOW_NONE;
    return (*fromRoot)[0];
}

std::optional<std::vector<xcb_window_t>> ReadClientList(const CXConnection& x) {
    return ReadWords(x, x.Root(), x.Atom(enAtom::NetClientList), XCB_ATOM_WINDOW);
}

} // namespace deskguard
