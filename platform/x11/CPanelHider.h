#pragma once
// Hides the session's panels (the desktop's own taskbars and docks) while
// the shell's taskbar stands in for them, and brings them back at the end.

#include "platform/x11/CXConnection.h"

#include <memory>
#include <vector>

namespace deskguard {

class CPanelHider {
public:
    // Unmaps every mapped panel whose process is not this one and remembers
    // it. Cheap enough for a timer: one round trip for all windows.
    void Hide();
    // Maps the remembered panels that are still there, still panels and
    // still unmapped (an id may have been reused by another window meanwhile).
    void Restore();
    // Restore, then close the connection.
    void Release();

private:
    // The connection, opened on first use and again after the server went away.
    CXConnection* Connection();
    std::vector<xcb_window_t> Candidates();

    std::unique_ptr<CXConnection> m_pX;
    std::vector<xcb_window_t> m_hidden;
};

} // namespace deskguard
