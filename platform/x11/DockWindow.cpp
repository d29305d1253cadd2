#include "platform/x11/DockWindow.h"

#include "platform/x11/XProtocol.h"

#include <algorithm>

namespace deskguard {

bool MakeBottomDock(const CXConnection& x, xcb_window_t window, uint32_t height, uint32_t xStart,
                    uint32_t xEnd) {
    return WriteWords(x, window, x.Atom(enAtom::NetWmWindowType), XCB_ATOM_ATOM,
                      {x.Atom(enAtom::NetWmWindowTypeDock)}) &&
           // left, right, top, bottom; then the start and end of each edge's strip.
           WriteWords(x, window, x.Atom(enAtom::NetWmStrutPartial), XCB_ATOM_CARDINAL,
                      {0, 0, 0, height, 0, 0, 0, 0, 0, 0, xStart, xEnd}) &&
           // For window managers that know only the older, whole-edge property.
           WriteWords(x, window, x.Atom(enAtom::NetWmStrut), XCB_ATOM_CARDINAL, {0, 0, 0, height});
}

bool MakeDesktop(const CXConnection& x, xcb_window_t window) {
    return WriteWords(x, window, x.Atom(enAtom::NetWmWindowType), XCB_ATOM_ATOM,
                      {x.Atom(enAtom::NetWmWindowTypeDesktop)});
}

tagPanelCookies RequestPanelProperties(const CXConnection& x, xcb_window_t window) {
    return {RequestWords(x, window, x.Atom(enAtom::NetWmWindowType), XCB_ATOM_ATOM),
            RequestWords(x, window, x.Atom(enAtom::NetWmStrut), XCB_ATOM_CARDINAL),
            RequestWords(x, window, x.Atom(enAtom::NetWmStrutPartial), XCB_ATOM_CARDINAL)};
}

bool TakeIsPanel(const CXConnection& x, const tagPanelCookies& cookies) {
    const auto types = TakeWords(x, cookies.type);
    const auto strut = TakeWords(x, cookies.strut);
    const auto strutPartial = TakeWords(x, cookies.strutPartial);
    const xcb_atom_t dock = x.Atom(enAtom::NetWmWindowTypeDock);
    const bool isDock = types && std::find(types->begin(), types->end(), dock) != types->end();
    const auto reserves = [](const std::optional<std::vector<uint32_t>>& values) {
        return values && values->size() >= 4 &&
               std::any_of(values->begin(), values->begin() + 4, [](uint32_t v) { return v != 0; });
    };
    return isDock || reserves(strut) || reserves(strutPartial);
}

} // namespace deskguard
