#pragma once
// One X connection with the atoms the window guard uses interned once.
// Either opened here (the guard's own threads) or borrowed from a program
// that already has one (the shell passes its toolkit's connection).

#include <xcb/xcb.h>

#include <array>
#include <memory>

namespace deskguard {

enum class enAtom {
    WmProtocols,
    WmDeleteWindow,
    WmChangeState,
    Utf8String,
    NetWmName,
    NetClientList,
    NetSupportingWmCheck,
    NetActiveWindow,
    NetWmState,
    NetWmStateMaximizedVert,
    NetWmStateMaximizedHorz,
    NetWmStateBelow,
    NetWmWindowType,
    NetWmWindowTypeDock,
    NetWmWindowTypeDesktop,
    NetWmStrut,
    NetWmStrutPartial,
    WarrowShellHook,
    WmManagerSelection, // WM_S<screen>: the ICCCM selection the window manager owns
    Count
};

class CXConnection {
public:
    // Connects to `display` ("" or null: $DISPLAY). Null when no X server
    // answers.
    static std::unique_ptr<CXConnection> Open(const char* display = nullptr);
    // Uses a connection that stays the caller's: it is never closed here.
    static std::unique_ptr<CXConnection> Borrow(xcb_connection_t* connection, int screen = 0);

    ~CXConnection();
    CXConnection(const CXConnection&) = delete;
    CXConnection& operator=(const CXConnection&) = delete;

    xcb_connection_t* Get() const { return m_pConnection; }
    xcb_window_t Root() const { return m_root; }
    xcb_atom_t Atom(enAtom atom) const { return m_atoms[static_cast<size_t>(atom)]; }
    // The X-Resource extension (1.2 or later) answers window -> process id.
    bool HasXRes() const { return m_bXRes; }
    // The server went away or the connection failed; nothing more gets through.
    bool IsBroken() const;
    // Waits until the server has handled every request sent so far.
    void Sync() const;

private:
    CXConnection(xcb_connection_t* connection, bool owned);
    bool Prepare(int screen);

    xcb_connection_t* m_pConnection;
    bool m_bOwned;
    xcb_window_t m_root = XCB_WINDOW_NONE;
    bool m_bXRes = false;
    std::array<xcb_atom_t, static_cast<size_t>(enAtom::Count)> m_atoms{};
};

} // namespace deskguard
