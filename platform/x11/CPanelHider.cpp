#include "platform/x11/CPanelHider.h"

#include "platform/x11/DockWindow.h"
#include "platform/x11/WindowManager.h"
#include "platform/x11/WindowProcess.h"
#include "platform/x11/XProtocol.h"

#include <algorithm>
#include <unistd.h>

namespace deskguard {

namespace {

struct tagCandidate {
    xcb_window_t window;
    xcb_get_window_attributes_cookie_t attributes;
    tagPanelCookies panel;
};

// Asks for everything about all windows first, then reads the answers, and
// keeps those that are panels and mapped (or unmapped) as wanted.
std::vector<xcb_window_t> PanelsIn(const CXConnection& x, const std::vector<xcb_window_t>& windows,
                                   bool mapped) {
    std::vector<tagCandidate> candidates;
    candidates.reserve(windows.size());
    for (xcb_window_t window : windows)
        candidates.push_back(
            {window, xcb_get_window_attributes(x.Get(), window), RequestPanelProperties(x, window)});
    std::vector<xcb_window_t> panels;
    for (const tagCandidate& candidate : candidates) {
        reply_ptr<xcb_get_window_attributes_reply_t> attributes(
            xcb_get_window_attributes_reply(x.Get(), candidate.attributes, nullptr));
        const bool isPanel = TakeIsPanel(x, candidate.panel);
        if (attributes && isPanel && (attributes->map_state != XCB_MAP_STATE_UNMAPPED) == mapped)
            panels.push_back(candidate.window);
    }
    return panels;
}

} // namespace

CXConnection* CPanelHider::Connection() {
    if (m_pX && m_pX->IsBroken()) {
        m_pX.reset();
        m_hidden.clear(); // a new server: those windows are gone
    }
    if (!m_pX)
        m_pX = CXConnection::Open();
    return m_pX.get();
}

std::vector<xcb_window_t> CPanelHider::Candidates() {
    // Panels are children of the root; a window manager that frames them
    // lists the panel itself among its clients.
    std::vector<xcb_window_t> windows;
    xcb_connection_t* c = m_pX->Get();
    reply_ptr<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, xcb_query_tree(c, m_pX->Root()), nullptr));
    if (tree) {
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        windows.assign(children, children + xcb_query_tree_children_length(tree.get()));
    }
    if (FindWindowManager(*m_pX) != XCB_WINDOW_NONE) {
        const auto clients = ReadClientList(*m_pX);
        if (clients)
            windows.insert(windows.end(), clients->begin(), clients->end());
    }
    std::sort(windows.begin(), windows.end());
    windows.erase(std::unique(windows.begin(), windows.end()), windows.end());
    return windows;
}

void CPanelHider::Hide() {
    CXConnection* x = Connection();
    if (!x)
        return;
    const pid_t self = getpid();
    for (xcb_window_t panel : PanelsIn(*x, Candidates(), true)) {
        if (WindowPid(*x, panel) == self)
            continue; // the shell's own taskbar
        xcb_unmap_window(x->Get(), panel);
        if (std::find(m_hidden.begin(), m_hidden.end(), panel) == m_hidden.end())
            m_hidden.push_back(panel);
    }
    x->Sync();
}

void CPanelHider::Restore() {
    CXConnection* x = Connection();
    if (!x || m_hidden.empty())
        return;
    for (xcb_window_t panel : PanelsIn(*x, m_hidden, false))
        xcb_map_window(x->Get(), panel);
    m_hidden.clear();
    x->Sync();
}

void CPanelHider::Release() {
    Restore();
    m_pX.reset();
}

} // namespace deskguard
