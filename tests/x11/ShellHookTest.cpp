// The shell hook: which windows it reports, how often, and to whom.

#include "platform/x11/DeskGuard.h"
#include "tests/x11/XSessionTest.h"

#include <cstdlib>
#include <string>

namespace {

tagHookMessage Created(xcb_window_t window) {
    return {WM_DG_WINDOWCREATED, window};
}
tagHookMessage Destroyed(xcb_window_t window) {
    return {WM_DG_WINDOWDESTROYED, window};
}
tagHookMessage Other(xcb_window_t window) {
    return {WM_DG_WINDOWCREATED, window, DG_WINDOW_OTHER};
}

class ShellHookTest : public CXSessionTest {
protected:
    void Install() { ASSERT_NE(DG_ShellHookInstall(m_shellWindow), 0); }
};

TEST_F(ShellHookTest, EachWindowIsReportedOnceWhenItAppearsAndOnceWhenItGoes) {
    Install();
    const xcb_window_t window = CreateWindow();
    Map(window);
    EXPECT_EQ(NextHookMessage(), Created(window));
    Map(window); // already mapped: nothing new
    const xcb_window_t marker = MapMarker();
    EXPECT_EQ(NextHookMessage(), Created(marker));

    Destroy(window);
    EXPECT_EQ(NextHookMessage(), Destroyed(window));

    // Withdrawn and shown again: gone, then a window to check again.
    Unmap(marker);
    EXPECT_EQ(NextHookMessage(), Destroyed(marker));
    Map(marker);
    EXPECT_EQ(NextHookMessage(), Created(marker));

    // Reparented into another window: no longer a top-level window.
    const xcb_window_t container = MapMarker();
    EXPECT_EQ(NextHookMessage(), Created(container));
    xcb_reparent_window(m_pClient->Get(), marker, container, 0, 0);
    m_pClient->Sync();
    EXPECT_EQ(NextHookMessage(), Destroyed(marker));
    EXPECT_EQ(NextHookMessage(), Created(MapMarker()));
}

TEST_F(ShellHookTest, OlderWindowsMenusAndWindowsInsideAnotherProgramsWindowAreAllReported) {
    const xcb_window_t older = CreateWindow();
    Map(older);
    const xcb_window_t olderMenu = CreateWindow(true);
    Map(olderMenu);
    Install();
    EXPECT_EQ(NextHookMessage(), Created(older)) << "judged at once";
    EXPECT_EQ(NextHookMessage(), Other(olderMenu));

    // A program that only sets override_redirect shows all the same.
    const xcb_window_t menu = CreateWindow(true);
    Map(menu);
    EXPECT_EQ(NextHookMessage(), Other(menu));
    // A program's own child windows are part of its window: nothing new.
    const xcb_window_t child = CreateWindow(false, older);
    Map(child);
    // Another program's window inside it, made there or moved there.
    auto intruder = deskguard::CXConnection::Open();
    ASSERT_NE(intruder, nullptr);
    const xcb_window_t embedded = xcb_generate_id(intruder->Get());
    xcb_create_window(intruder->Get(), XCB_COPY_FROM_PARENT, embedded, child, 0, 0, 20, 20, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_map_window(intruder->Get(), embedded);
    intruder->Sync();
    EXPECT_EQ(NextHookMessage(), Other(embedded));
    const xcb_window_t moved = xcb_generate_id(intruder->Get());
    xcb_create_window(intruder->Get(), XCB_COPY_FROM_PARENT, moved, intruder->Root(), 0, 0, 20, 20, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_map_window(intruder->Get(), moved);
    intruder->Sync();
    EXPECT_EQ(NextHookMessage(), Created(moved));
    xcb_reparent_window(intruder->Get(), moved, older, 5, 5);
    intruder->Sync();
    EXPECT_EQ(NextHookMessage(), Destroyed(moved));
    EXPECT_EQ(NextHookMessage(), Other(moved));

    Destroy(menu);
    const xcb_window_t marker = MapMarker();
    EXPECT_EQ(NextHookMessage(), Created(marker));
}

TEST_F(ShellHookTest, StructureEventsSentByAnotherProgramChangeNothing) {
    Install();
    const xcb_window_t window = MapMarker();
    EXPECT_EQ(NextHookMessage(), Created(window));
    // Any program may send the root window events that look like the
    // server's: a window that did not go away, one that never came.
    xcb_unmap_notify_event_t unmap{};
    unmap.response_type = XCB_UNMAP_NOTIFY;
    unmap.event = m_pClient->Root();
    unmap.window = window;
    xcb_map_notify_event_t map{};
    map.response_type = XCB_MAP_NOTIFY;
    map.event = m_pClient->Root();
    map.window = window + 1000;
    for (const char* event : {reinterpret_cast<const char*>(&unmap), reinterpret_cast<const char*>(&map)})
        xcb_send_event(m_pClient->Get(), 0, m_pClient->Root(), XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY, event);
    m_pClient->Sync();
    const xcb_window_t marker = MapMarker();
    EXPECT_EQ(NextHookMessage(), Created(marker));
}

TEST_F(ShellHookTest, TheShellWindowItselfIsNotReportedButAWindowOfAnotherProgramIs) {
    Install();
    xcb_map_window(m_pShell->Get(), m_shellWindow);
    m_pShell->Sync();
    TestWindowProcess helper = StartHelper({"--title", "game"});
    const xcb_window_t window = helper.Window();
    ASSERT_NE(window, 0u);
    EXPECT_EQ(NextHookMessage(), Created(window));
    xcb_kill_client(m_pClient->Get(), window);
    m_pClient->Sync();
    EXPECT_EQ(NextHookMessage(), Destroyed(window));
}

TEST_F(ShellHookTest, WithAWindowManagerItsClientListCountsAndNotTheFramesAroundThem) {
    const xcb_window_t early = CreateWindow();
    Map(early);
    Install();
    EXPECT_EQ(NextHookMessage(), Created(early));
    const xcb_window_t client = CreateWindow();
    Map(client);
    EXPECT_EQ(NextHookMessage(), Created(client));

    // A window manager starts and takes on both windows: nothing new.
    CFakeWindowManager wm(false, {early, client});
    const xcb_window_t frame = CreateWindow();
    Map(frame);
    const xcb_window_t inner = CreateWindow(false, frame);
    Map(inner);
    wm.SetClients({early, client, inner});
    EXPECT_EQ(NextHookMessage(), Created(inner));
    wm.SetClients({early, inner});
    EXPECT_EQ(NextHookMessage(), Destroyed(client));

    // It dies and leaves its list behind: the root's children count again.
    wm.Quit();
    EXPECT_EQ(NextHookMessage(), Destroyed(inner));
    EXPECT_EQ(NextHookMessage(), Created(client));
    EXPECT_EQ(NextHookMessage(), Created(frame));
    const xcb_window_t marker = MapMarker();
    EXPECT_EQ(NextHookMessage(), Created(marker));
}

TEST_F(ShellHookTest, InstallFailsWithoutAWindowOrWithoutAnXServer) {
    EXPECT_EQ(DG_ShellHookInstall(0), 0);
    EXPECT_EQ(DG_ShellHookInstall(CreateWindow() + 1000), 0); // not a window
    const std::string display = std::getenv("DISPLAY");
    setenv("DISPLAY", NowhereDisplay().c_str(), 1);
    EXPECT_EQ(DG_ShellHookInstall(m_shellWindow), 0);
    setenv("DISPLAY", display.c_str(), 1);
}

TEST_F(ShellHookTest, ASecondInstallMovesTheMessagesToTheNewWindow) {
    Install();
    const xcb_window_t first = m_shellWindow;
    m_shellWindow = CreateShellWindow();
    Install();
    // The old target would still be mapped as an ordinary window: it is
    // reported like any other, so the shell's own windows are not special.
    xcb_map_window(m_pShell->Get(), first);
    m_pShell->Sync();
    EXPECT_EQ(NextHookMessage(), Created(first));
}

} // namespace
