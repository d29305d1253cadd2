#include "platform/x11/CShellHook.h"

#include "platform/x11/DeskGuard.h"
#include "platform/x11/WindowManager.h"
#include "platform/x11/XProtocol.h"

#include <cerrno>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>
#include <utility>

namespace deskguard {

std::unique_ptr<CShellHook> CShellHook::Install(xcb_window_t shell) {
    std::unique_ptr<CXConnection> x = CXConnection::Open();
    if (!x || !x->HasXRes() || shell == XCB_WINDOW_NONE || !ReadAttributes(*x, shell))
        return nullptr;
    std::unique_ptr<CShellHook> hook(new CShellHook(std::move(x), shell));
    if (!hook->Start())
        return nullptr;
    return hook;
}

CShellHook::CShellHook(std::unique_ptr<CXConnection> x, xcb_window_t shell)
    : m_pX(std::move(x)), m_shell(shell), m_clientMask(~xcb_get_setup(m_pX->Get())->resource_id_mask) {}

CShellHook::~CShellHook() {
    if (m_thread.joinable()) {
        const uint64_t one = 1;
        while (write(m_nStopFd, &one, sizeof one) < 0 && errno == EINTR) {
        }
        m_thread.join();
    }
    if (m_nStopFd >= 0)
        close(m_nStopFd);
}

bool CShellHook::Start() {
    // Select before reading the present windows, so that nothing that
    // happens in between is missed.
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY | XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_change_window_attributes(m_pX->Get(), m_pX->Root(), XCB_CW_EVENT_MASK, &mask);
    // Windows present now are judged at once, and every window is watched.
    Refresh(true);
    m_bInstalled = true;
    Watch(m_pX->Root(), XCB_WINDOW_NONE);
    Discover();
    m_nStopFd = eventfd(0, EFD_CLOEXEC);
    if (m_nStopFd < 0 || m_pX->IsBroken())
        return false;
    try {
        m_thread = std::thread(&CShellHook::Run, this);
    } catch (...) {
        return false;
    }
    return true;
}

void CShellHook::Run() {
    xcb_connection_t* c = m_pX->Get();
    const int xfd = xcb_get_file_descriptor(c);
    for (;;) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            Handle(event);
            std::free(event);
        }
        // The messages at hand are out; now the answers about new windows.
        if (!m_watching.empty()) {
            xcb_flush(c);
            Discover();
            continue;
        }
        if (m_pX->IsBroken())
            return; // the X server went away; so did every window
        xcb_flush(c);
        pollfd fds[2] = {{xfd, POLLIN, 0}, {m_nStopFd, POLLIN, 0}};
        if (poll(fds, 2, -1) < 0 && errno != EINTR)
            return;
        if (fds[1].revents)
            return;
    }
}

void CShellHook::Handle(const xcb_generic_event_t* event) {
    // Anyone may send a synthetic structure event; only the server's own
    // say what happened.
    const bool synthetic = event->response_type & 0x80;
    const xcb_window_t root = m_pX->Root();
    switch (event->response_type & 0x7f) {
    case 0: { // an error: the manager's check window went away as it was selected
        const auto* e = reinterpret_cast<const xcb_generic_error_t*>(event);
        if (m_wmCheck != XCB_WINDOW_NONE && e->resource_id == m_wmCheck)
            Refresh(true);
        break;
    }
    case XCB_CREATE_NOTIFY: {
        const auto* e = reinterpret_cast<const xcb_create_notify_event_t*>(event);
        if (!synthetic)
            Watch(e->window, e->parent);
        break;
    }
    case XCB_REPARENT_NOTIFY: {
        // A window moved into a watched window: watch it and what it holds
        // (it is shown again there, and reported then).
        const auto* e = reinterpret_cast<const xcb_reparent_notify_event_t*>(event);
        if (!synthetic && e->event == e->parent)
            Watch(e->window, e->parent);
        break;
    }
    case XCB_MAP_NOTIFY: {
        const auto* e = reinterpret_cast<const xcb_map_notify_event_t*>(event);
        if (synthetic)
            break;
        if (!m_bListMode && e->event == root && !e->override_redirect)
            Appear(e->window);
        else
            Shown(e->window, e->event, e->override_redirect);
        break;
    }
    case XCB_UNMAP_NOTIFY: {
        // Also the first half of a reparenting away from the root.
        const auto* e = reinterpret_cast<const xcb_unmap_notify_event_t*>(event);
        if (!synthetic)
            m_otherShown.erase(e->window);
        if (!synthetic && !m_bListMode && e->event == root)
            Vanish(e->window);
        break;
    }
    case XCB_DESTROY_NOTIFY: {
        const auto* e = reinterpret_cast<const xcb_destroy_notify_event_t*>(event);
        if (synthetic)
            break;
        m_otherShown.erase(e->window);
        if (e->window == m_wmCheck)
            Refresh(true);
        else if (!m_bListMode && e->event == root)
            Vanish(e->window);
        break;
    }
    case XCB_PROPERTY_NOTIFY: {
        const auto* e = reinterpret_cast<const xcb_property_notify_event_t*>(event);
        if (e->window == root && (e->atom == m_pX->Atom(enAtom::NetClientList) ||
                                  e->atom == m_pX->Atom(enAtom::NetSupportingWmCheck)))
            Refresh(true);
        break;
    }
    default:
        break;
    }
}

void CShellHook::Refresh(bool report) {
    const xcb_window_t wm = FindWindowManager(*m_pX);
    if (wm != m_wmCheck) {
        m_wmCheck = wm;
        // The check window need not be a child of the root: watch it itself.
        if (wm != XCB_WINDOW_NONE) {
            // Its own changes and, as for every watched window, its children's.
            const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
            xcb_change_window_attributes(m_pX->Get(), wm, XCB_CW_EVENT_MASK, &mask);
        }
    }
    const auto list = wm != XCB_WINDOW_NONE ? ReadClientList(*m_pX) : std::nullopt;
    if (list)
        Update(*list, report);
    else if (m_bListMode || !m_bInstalled) // the root children were not followed until now
        Update(MappedRootChildren(), report);
    m_bListMode = list.has_value();
}

void CShellHook::Update(const std::vector<xcb_window_t>& present, bool report) {
    std::unordered_set<xcb_window_t> next(present.begin(), present.end());
    next.erase(m_shell);
    if (!report) {
        m_current = std::move(next);
        return;
    }
    std::vector<xcb_window_t> gone;
    for (xcb_window_t window : m_current)
        if (!next.count(window))
            gone.push_back(window);
    for (xcb_window_t window : gone)
        Vanish(window);
    for (xcb_window_t window : present) // in the order the source gives them
        Appear(window);
}

std::vector<xcb_window_t> CShellHook::MappedRootChildren() const {
    xcb_connection_t* c = m_pX->Get();
    reply_ptr<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, m_pX->Root()), nullptr));
    if (!tree)
        return {};
    const xcb_window_t* children = xcb_query_tree_children(tree.get());
    const int count = xcb_query_tree_children_length(tree.get());
    std::vector<xcb_get_window_attributes_cookie_t> cookies;
    cookies.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        cookies.push_back(xcb_get_window_attributes(c, children[i]));
    std::vector<xcb_window_t> mapped;
    for (int i = 0; i < count; ++i) {
        reply_ptr<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(c, cookies[static_cast<size_t>(i)], nullptr));
        if (attributes && attributes->map_state != XCB_MAP_STATE_UNMAPPED && !attributes->override_redirect)
            mapped.push_back(children[i]);
    }
    return mapped;
}

void CShellHook::Appear(xcb_window_t window) {
    if (window == m_shell || !m_current.insert(window).second)
        return;
    m_reported.insert(window);
    Post(WM_DG_WINDOWCREATED, window);
}

void CShellHook::Vanish(xcb_window_t window) {
    if (m_current.erase(window) && m_reported.erase(window))
        Post(WM_DG_WINDOWDESTROYED, window);
}

void CShellHook::Watch(xcb_window_t window, xcb_window_t parent) {
    xcb_connection_t* c = m_pX->Get();
    // The manager's check window keeps the structure events Refresh chose.
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY |
                          (window == m_wmCheck ? XCB_EVENT_MASK_STRUCTURE_NOTIFY : XCB_EVENT_MASK_NO_EVENT);
    if (window != m_pX->Root())
        xcb_change_window_attributes(c, window, XCB_CW_EVENT_MASK, &mask);
    m_watching.push_back({window, parent, xcb_get_window_attributes(c, window), xcb_query_tree(c, window)});
}

void CShellHook::Discover() {
    xcb_connection_t* c = m_pX->Get();
    while (!m_watching.empty()) {
        // Answers are taken for everything asked so far: one round trip per
        // level of the window tree, however many windows it holds.
        const std::vector<tagWatched> batch = std::exchange(m_watching, {});
        for (const tagWatched& watched : batch) {
            reply_ptr<xcb_get_window_attributes_reply_t> attributes(
                xcb_get_window_attributes_reply(c, watched.attributes, nullptr));
            reply_ptr<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, watched.tree, nullptr));
            if (!attributes || !tree)
                continue; // gone meanwhile
            if (watched.parent != XCB_WINDOW_NONE && attributes->map_state != XCB_MAP_STATE_UNMAPPED)
                Shown(watched.window, watched.parent, attributes->override_redirect);
            const xcb_window_t* children = xcb_query_tree_children(tree.get());
            for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i)
                Watch(children[i], watched.window);
        }
        xcb_flush(c);
    }
}

void CShellHook::Shown(xcb_window_t window, xcb_window_t parent, bool overrideRedirect) {
    const xcb_window_t root = m_pX->Root();
    const uint32_t client = ClientOf(window);
    // The window manager's menus are reported too: whether the client behind
    // the check window really is the manager is the shell's to judge, and a
    // refused program may point the check property at itself.
    if (window == m_shell || client == ClientOf(m_shell))
        return;
    // Top-level windows are reported as they join the set above; inside a
    // window of the same client nothing new shows. A window inside the
    // manager's frames is reported too: a refused program could otherwise
    // hide its window in the frame of an allowed one (a managed client's own
    // window is also reported as a top-level one, which wins).
    const bool other = parent == root ? overrideRedirect : ClientOf(parent) != client;
    // Once per showing: found by a look and by its map event alike.
    if (other && m_otherShown.insert(window).second)
        Post(WM_DG_WINDOWCREATED, window, DG_WINDOW_OTHER);
}

void CShellHook::Post(uint32_t message, xcb_window_t window, uint32_t kind) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = 32;
    event.window = m_shell;
    event.type = m_pX->Atom(enAtom::WarrowShellHook);
    event.data.data32[0] = message;
    event.data.data32[1] = window;
    event.data.data32[2] = kind;
    // No event mask: the event goes to the client that created the window,
    // the shell, and to nobody else.
    xcb_send_event(m_pX->Get(), 0, m_shell, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
}

} // namespace deskguard
