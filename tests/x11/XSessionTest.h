#pragma once
// Tests against a real X server: each test suite gets an Xvfb of its own
// with DISPLAY pointing at it, and each test a "shell" window on a
// connection of the test's own that receives the shell hook's messages.

#include "platform/x11/CXConnection.h"
#include "tests/x11/TestWindowProcess.h"
#include "tests/x11/XvfbServer.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

struct tagHookMessage {
    uint32_t message = 0;
    xcb_window_t window = XCB_WINDOW_NONE;
    uint32_t kind = 0; // DG_WINDOW_OTHER for menus and embedded windows
    bool operator==(const tagHookMessage&) const = default;
};
void PrintTo(const tagHookMessage& m, std::ostream* os);

class CXSessionTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    // The next hook message for the shell window; empty when none came
    // within ten seconds (a guard against a hanging test, not a measure).
    std::optional<tagHookMessage> NextHookMessage();
    // Maps a fresh window on the test's client connection and returns it.
    // The hook reports events in the order they happened, so once this
    // window's 2258 arrives, nothing due before it is still on its way.
    xcb_window_t MapMarker();

    // Windows made by the test itself, on its client connection.
    xcb_window_t CreateWindow(bool overrideRedirect = false, xcb_window_t parent = XCB_WINDOW_NONE);
    void Map(xcb_window_t window);
    void Unmap(xcb_window_t window);
    void Destroy(xcb_window_t window);

    // A window of the shell's own connection, where hook messages arrive.
    xcb_window_t CreateShellWindow();

    TestWindowProcess StartHelper(const std::vector<std::string>& arguments);

    std::unique_ptr<deskguard::CXConnection> m_pShell; // the shell's connection
    xcb_window_t m_shellWindow = XCB_WINDOW_NONE;
    std::unique_ptr<deskguard::CXConnection> m_pClient; // other programs' windows

private:
    static XvfbServer* s_pServer;
};

// A stand-in for an EWMH window manager: a check window, the client list on
// the root window and, when asked, the root's substructure redirection
// (which makes it the one that receives requests to window managers).
class CFakeWindowManager {
public:
    // Publishes `clients` before it announces itself, as a window manager
    // that takes on the windows already there does.
    explicit CFakeWindowManager(bool redirect = false, const std::vector<xcb_window_t>& clients = {});
    ~CFakeWindowManager();
    void SetClients(const std::vector<xcb_window_t>& clients);
    // The manager dies: its check window goes and its root properties stay.
    void Quit();
    // The next client message sent to the root window.
    std::optional<xcb_client_message_event_t> NextRequest();
    const deskguard::CXConnection& X() const { return *m_pX; }

private:
    std::unique_ptr<deskguard::CXConnection> m_pX;
    xcb_window_t m_check = XCB_WINDOW_NONE;
};

// A DISPLAY value where no X server listens.
std::string NowhereDisplay();

// The next event of `type` on the connection, waiting at most ten seconds.
xcb_generic_event_t* NextEvent(const deskguard::CXConnection& x, uint8_t type);
