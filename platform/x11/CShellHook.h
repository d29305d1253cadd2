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
// comes back is reported again. Windows present at install are not
// reported, neither when they go away, unless they leave and come back.
// The shell's own window is never reported; its other windows are, and the
// shell recognises them by their process id.

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
    // it. Without `report` it only records them (the state at install).
    void Refresh(bool report);
    void Update(const std::vector<xcb_window_t>& present, bool report);
    std::vector<xcb_window_t> MappedRootChildren() const;
    void Appear(xcb_window_t window);
    void Vanish(xcb_window_t window);
    void Post(uint32_t message, xcb_window_t window);

    std::unique_ptr<CXConnection> m_pX;
    const xcb_window_t m_shell;
    int m_nStopFd = -1;
    std::thread m_thread;

    // Owned by the thread once it runs.
    xcb_window_t m_wmCheck = XCB_WINDOW_NONE;
    bool m_bListMode = false;
    std::unordered_set<xcb_window_t> m_current;  // present now
    std::unordered_set<xcb_window_t> m_reported; // present and reported as created
};

} // namespace deskguard
