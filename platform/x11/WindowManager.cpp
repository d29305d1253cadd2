#include "platform/x11/WindowManager.h"

#include "platform/x11/XProtocol.h"

namespace deskguard {

namespace {

// The one window a check property names; none when it is missing or odd.
xcb_window_t OneWindow(const std::optional<std::vector<uint32_t>>& words) {
    return words && words->size() == 1 ? (*words)[0] : xcb_window_t{XCB_WINDOW_NONE};
}

} // namespace

xcb_window_t FindWindowManager(const CXConnection& x) {
    const xcb_atom_t check = x.Atom(enAtom::NetSupportingWmCheck);
    const xcb_window_t fromRoot = OneWindow(ReadWords(x, x.Root(), check, XCB_ATOM_WINDOW));
    if (fromRoot == XCB_WINDOW_NONE)
        return XCB_WINDOW_NONE;
    return OneWindow(ReadWords(x, fromRoot, check, XCB_ATOM_WINDOW)) == fromRoot
               ? fromRoot
               : xcb_window_t{XCB_WINDOW_NONE};
}

std::optional<std::vector<xcb_window_t>> ReadClientList(const CXConnection& x) {
    return ReadWords(x, x.Root(), x.Atom(enAtom::NetClientList), XCB_ATOM_WINDOW);
}

tagSessionLook LookAtSession(const CXConnection& x, const std::vector<xcb_window_t>& windows,
                             tagManagerLook& known) {
    xcb_connection_t* c = x.Get();
    const xcb_atom_t check = x.Atom(enAtom::NetSupportingWmCheck);
    // Everything goes out before any answer is read: the root's check
    // property, the selection's owner, the known check window's own property
    // and its process ride along with the windows' questions.
    const xcb_get_property_cookie_t rootCookie = RequestWords(x, x.Root(), check, XCB_ATOM_WINDOW);
    const xcb_get_selection_owner_cookie_t ownerCookie =
        xcb_get_selection_owner(c, x.Atom(enAtom::WmManagerSelection));
    std::optional<xcb_get_property_cookie_t> selfCookie;
    std::vector<xcb_window_t> alsoPidOf;
    if (known.check != XCB_WINDOW_NONE) {
        selfCookie = RequestWords(x, known.check, check, XCB_ATOM_WINDOW);
        alsoPidOf.push_back(known.check);
    }
    COwnerQuery query(x, windows, alsoPidOf);

    const xcb_window_t fromRoot = OneWindow(TakeWords(x, rootCookie));
    reply_ptr<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(c, ownerCookie, nullptr));
    const xcb_window_t selectionOwner = owner ? owner->owner : xcb_window_t{XCB_WINDOW_NONE};
    const xcb_window_t fromItself =
        selfCookie ? OneWindow(TakeWords(x, *selfCookie)) : xcb_window_t{XCB_WINDOW_NONE};
    tagSessionLook look;
    look.owners = query.Take();
    look.xresAnswered = query.XResAnswered();

    tagManagerLook manager;
    if (fromRoot != XCB_WINDOW_NONE && fromRoot == known.check) {
        if (fromItself == fromRoot) {
            manager.check = fromRoot;
            manager.pid = query.PidOf(fromRoot);
        }
    } else if (fromRoot != XCB_WINDOW_NONE) {
        // A new check window: one more round trip, until it changes again.
        const xcb_get_property_cookie_t newSelf = RequestWords(x, fromRoot, check, XCB_ATOM_WINDOW);
        COwnerQuery newPid(x, {}, {fromRoot});
        if (OneWindow(TakeWords(x, newSelf)) == fromRoot) {
            newPid.Take();
            manager.check = fromRoot;
            manager.pid = newPid.PidOf(fromRoot);
        }
    }
    if (manager.check != XCB_WINDOW_NONE) {
        const uint32_t clientBits = ~xcb_get_setup(c)->resource_id_mask;
        manager.client = manager.check & clientBits;
        manager.ownsSelection =
            selectionOwner != XCB_WINDOW_NONE && (selectionOwner & clientBits) == manager.client;
    }
    known = manager;
    look.manager = manager;
    return look;
}

} // namespace deskguard
