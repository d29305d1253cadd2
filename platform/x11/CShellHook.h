#pragma once
// The shell hook: a thread with a connection of its own watches the X
// session and posts WM_DG_WINDOWCREATED / WM_DG_WINDOWDESTROYED to the
// shell's window for every top-level client window that appears or goes
// away (DeskGuard.h describes the message).
//
// Which windows count as top-level client windows depends on the session:
// - while an EWMH window manager runs and publishes _NET_CLIENT_LIST, the
//   windows of that list (the clients, never the frames a reparenting
//   manager puts around them; a minimised window stays in the list);
// - otherwise the mapped children of the root window that are not
//   override-redirect (menus, tooltips and the like are not windows).
// A window appears when it joins that set and goes away when it leaves it
// (destroyed, withdrawn, reparented away, dropped from the list); one that
// comes back is reported again. Windows present at install are reported at
// once. The shell's own window is never reported; its other windows are,
// and the shell recognises them by their process id.
//
// A program can show itself in other ways, and each is reported as an
// "other" window (DG_WINDOW_OTHER), judged by its program but never a task:
// - an override-redirect window mapped on the root (menus, tooltips, and
//   whatever a program makes look like a window without a manager);
// - a window mapped inside a window of another client (embedded, or
//   reparented into an allowed program's window).
// To see the second, the hook watches the children of every window in the
// session: each window it learns of is watched in turn, and its children at
// that moment are read in one batch after the messages at hand are posted.
// Windows of the window manager (the client owning its check window) are
// never reported, nor windows inside them: a reparenting manager's frames
// hold every client window, which the client list already reports.

#include "platform/x11/CXConnection.h"

#include <memory>
#include <thread>
#include <unordered_set>
#include <vector>

namespace deskguard {

class CShellHook {
public:
    // Null when no X server answers, the X-Resource extension is missing
    // (the shell could not learn whose a window is), or `shell` is no window.
    static std::unique_ptr<CShellHook> Install(xcb_window_t shell);
    // Returns after the thread has ended: nothing is posted afterwards.
    ~CShellHook();

    CShellHook(const CShellHook&) = delete;
    CShellHook& operator=(const CShellHook&) = delete;

private:
    CShellHook(std::unique_ptr<CXConnection> x, xcb_window_t shell);
    bool Start();
    void Run();
    void Handle(const xcb_generic_event_t* event);
    // Rereads which source of windows applies and the present windows from
    // it. Without `report` it only records them.
    void Refresh(bool report);
    void Update(const std::vector<xcb_window_t>& present, bool report);
    std::vector<xcb_window_t> MappedRootChildren() const;
    void Appear(xcb_window_t window);
    void Vanish(xcb_window_t window);
    void Post(uint32_t message, xcb_window_t window, uint32_t kind = 0);

    // Watching every window: `Watch` selects a window's child events and
    // asks for its attributes and children; `Discover` takes the answers of
    // everything watched so far, reports what shows and watches the
    // children, until nothing new is found.
    void Watch(xcb_window_t window, xcb_window_t parent);
    void Discover();
    // A window `window` mapped in `parent`: reported as an other window when
    // it is override-redirect on the root or belongs to another client.
    void Shown(xcb_window_t window, xcb_window_t parent, bool overrideRedirect);
    uint32_t ClientOf(xcb_window_t window) const { return window & m_clientMask; }

    struct tagWatched {
        xcb_window_t window;
        xcb_window_t parent;
        xcb_get_window_attributes_cookie_t attributes;
        xcb_query_tree_cookie_t tree;
    };

    std::unique_ptr<CXConnection> m_pX;
    const xcb_window_t m_shell;
    int m_nStopFd = -1;
    std::thread m_thread;

    // Owned by the thread once it runs.
    xcb_window_t m_wmCheck = XCB_WINDOW_NONE;
    bool m_bListMode = false;
    bool m_bInstalled = false;                     // the windows present at install were read
    std::unordered_set<xcb_window_t> m_current;    // present now
    std::unordered_set<xcb_window_t> m_reported;   // present and reported as created
    std::unordered_set<xcb_window_t> m_otherShown; // other windows reported and still mapped
    std::vector<tagWatched> m_watching;            // asked about, answers not yet taken
    uint32_t m_clientMask = 0;                     // the bits of an id that name its client
};

} // namespace deskguard
