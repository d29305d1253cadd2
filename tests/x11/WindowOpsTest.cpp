// What the shell does to a single foreign window: learn whose it is, read
// its title, close it, disconnect its program, ask the window manager.

#include "platform/x11/DockWindow.h"
#include "platform/x11/WindowClose.h"
#include "platform/x11/WindowManager.h"
#include "platform/x11/WindowProcess.h"
#include "platform/x11/WindowState.h"
#include "platform/x11/WindowTitle.h"
#include "platform/x11/XProtocol.h"
#include "tests/x11/XSessionTest.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <thread>
#include <unistd.h>

using namespace deskguard;

namespace {

// The server notices an ended client a moment after its process is gone.
void WaitUntilGone(const deskguard::CXConnection& x, xcb_window_t window) {
    for (int i = 0; i < 200 && deskguard::WindowExists(x, window); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

using WindowOpsTest = CXSessionTest;

TEST_F(WindowOpsTest, AHelperWindowIsTracedToTheHelperProgram) {
    TestWindowProcess helper = StartHelper({"--title", "瓦罗测试窗口"});
    const xcb_window_t window = helper.Window();
    ASSERT_NE(window, 0u);
    EXPECT_EQ(WindowPid(*m_pShell, window), helper.Pid());
    EXPECT_EQ(ExecutablePath(helper.Pid()), std::filesystem::canonical(WARROW_TEST_WINDOW).string());
    EXPECT_EQ(WindowTitle(*m_pShell, window), "瓦罗测试窗口");

    ASSERT_TRUE(KillClient(*m_pShell, window));
    EXPECT_EQ(helper.Wait(), 3);
    // Gone: its id answers for nobody, also once a new client (this
    // process) has taken the freed client slot the id points into.
    std::unique_ptr<CXConnection> reuse = CXConnection::Open();
    EXPECT_EQ(WindowPid(*m_pShell, window), 0);
    EXPECT_EQ(ExecutablePath(helper.Pid()), "");
}

TEST_F(WindowOpsTest, TitleFallsBackToALatin1WindowName) {
    const xcb_window_t window = CreateWindow();
    EXPECT_EQ(WindowTitle(*m_pShell, window), "");
    xcb_change_property(m_pClient->Get(), XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                        4, "Caf\xe9");
    m_pClient->Sync();
    EXPECT_EQ(WindowTitle(*m_pShell, window), "Caf\xc3\xa9");
}

TEST_F(WindowOpsTest, ACooperatingProgramEndsWhenAskedToClose) {
    TestWindowProcess helper = StartHelper({"--title", "polite"});
    const xcb_window_t window = helper.Window();
    ASSERT_NE(window, 0u);
    EXPECT_TRUE(RequestClose(*m_pShell, window));
    EXPECT_EQ(helper.Wait(), 0);
    WaitUntilGone(*m_pShell, window);
    EXPECT_FALSE(ClosePolitely(*m_pShell, window)); // gone
}

TEST_F(WindowOpsTest, AProgramIgnoringTheRequestIsDisconnectedOnlyWhileTheWindowIsStillItsOwn) {
    TestWindowProcess helper = StartHelper({"--title", "stubborn", "--ignore-close"});
    const xcb_window_t window = helper.Window();
    ASSERT_NE(window, 0u);
    EXPECT_TRUE(ClosePolitely(*m_pShell, window));
    EXPECT_FALSE(KillClient(*m_pShell, window, helper.Pid() + 1));
    EXPECT_TRUE(WindowExists(*m_pShell, window));
    EXPECT_TRUE(KillClient(*m_pShell, window, helper.Pid()));
    EXPECT_EQ(helper.Wait(), 3);
    EXPECT_FALSE(WindowExists(*m_pShell, window));
}

TEST_F(WindowOpsTest, AWindowThatCannotBeAskedToCloseIsDisconnected) {
    std::unique_ptr<CXConnection> other = CXConnection::Open();
    ASSERT_TRUE(other);
    const xcb_window_t window = xcb_generate_id(other->Get());
    xcb_create_window(other->Get(), XCB_COPY_FROM_PARENT, window, other->Root(), 0, 0, 10, 10, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    other->Sync();
    EXPECT_FALSE(RequestClose(*m_pShell, window));
    EXPECT_TRUE(ClosePolitely(*m_pShell, window));
    EXPECT_FALSE(WindowExists(*m_pShell, window));
    other->Sync();
    EXPECT_TRUE(other->IsBroken());
}

TEST_F(WindowOpsTest, BatchedFormsAnswerForEachWindowInItsPlace) {
    TestWindowProcess polite = StartHelper({"--title", "polite"});
    TestWindowProcess stubborn = StartHelper({"--title", "stubborn", "--ignore-close"});
    const xcb_window_t politeWindow = polite.Window();
    const xcb_window_t stubbornWindow = stubborn.Window();
    ASSERT_NE(politeWindow, 0u);
    ASSERT_NE(stubbornWindow, 0u);
    const xcb_window_t unmapped = CreateWindow(); // cannot be asked: no WM_PROTOCOLS
    const xcb_window_t gone = CreateWindow();
    Destroy(gone);

    const std::vector<xcb_window_t> windows{politeWindow, gone, unmapped, XCB_WINDOW_NONE, stubbornWindow};
    const std::vector<tagWindowOwner> owners = WindowOwners(*m_pShell, windows);
    ASSERT_EQ(owners.size(), windows.size());
    EXPECT_TRUE(owners[0].exists && owners[0].showing && owners[0].takesClose);
    EXPECT_EQ(owners[0].pid, polite.Pid());
    EXPECT_FALSE(owners[1].exists || owners[1].showing || owners[1].pid != 0);
    EXPECT_TRUE(owners[2].exists);
    EXPECT_FALSE(owners[2].showing || owners[2].takesClose);
    EXPECT_EQ(owners[2].pid, getpid());
    EXPECT_FALSE(owners[3].exists);
    EXPECT_EQ(owners[4].pid, stubborn.Pid());

    EXPECT_EQ(ClosePolitelyAll(*m_pShell, windows), (std::vector<bool>{true, false, true, false, true}));
    EXPECT_EQ(polite.Wait(), 0);
    EXPECT_FALSE(stubborn.Ended());
    m_pClient->Sync();
    EXPECT_TRUE(m_pClient->IsBroken()) << "the window that cannot be asked costs its program the connection";
    EXPECT_TRUE(ClosePolitelyAll(*m_pShell, {}).empty());
    WaitUntilGone(*m_pShell, politeWindow);

    EXPECT_EQ(KillClients(*m_pShell, {{stubbornWindow, stubborn.Pid() + 1}, {politeWindow, 0}}),
              (std::vector<bool>{false, false}));
    EXPECT_EQ(KillClients(*m_pShell, {{stubbornWindow, stubborn.Pid()}}), std::vector<bool>{true});
    EXPECT_EQ(stubborn.Wait(), 3);
}

TEST_F(WindowOpsTest, StateRequestsOfAMappedWindowReachTheWindowManager) {
    const xcb_window_t window = CreateWindow();
    Map(window);
    CFakeWindowManager wm(true, {window});
    const CXConnection& x = wm.X();
    const std::pair<bool, xcb_atom_t> requests[] = {
        {Activate(*m_pShell, window), x.Atom(enAtom::NetActiveWindow)},
        {Minimise(*m_pShell, window), x.Atom(enAtom::WmChangeState)},
        {SetMaximised(*m_pShell, window, true), x.Atom(enAtom::NetWmState)},
        {KeepBelow(*m_pShell, window), x.Atom(enAtom::NetWmState)},
    };
    for (const auto& [sent, type] : requests) {
        EXPECT_TRUE(sent);
        const auto request = wm.NextRequest();
        ASSERT_TRUE(request);
        EXPECT_EQ(request->window, window);
        EXPECT_EQ(request->type, type);
    }
}

TEST_F(WindowOpsTest, AnUnmappedWindowIsPreparedThroughItsProperties) {
    const xcb_window_t taskbar = CreateWindow();
    ASSERT_TRUE(KeepBelow(*m_pShell, taskbar));
    ASSERT_TRUE(KeepBelow(*m_pShell, taskbar));
    EXPECT_EQ(ReadWords(*m_pShell, taskbar, m_pShell->Atom(enAtom::NetWmState), XCB_ATOM_ATOM),
              std::vector<uint32_t>{m_pShell->Atom(enAtom::NetWmStateBelow)});

    ASSERT_TRUE(MakeBottomDock(*m_pShell, taskbar, 48, 0, 1279));
    EXPECT_EQ(ReadWords(*m_pShell, taskbar, m_pShell->Atom(enAtom::NetWmStrutPartial), XCB_ATOM_CARDINAL),
              (std::vector<uint32_t>{0, 0, 0, 48, 0, 0, 0, 0, 0, 0, 0, 1279}));
    EXPECT_TRUE(TakeIsPanel(*m_pShell, RequestPanelProperties(*m_pShell, taskbar)));
    EXPECT_FALSE(TakeIsPanel(*m_pShell, RequestPanelProperties(*m_pShell, CreateWindow())));

    EXPECT_FALSE(KeepBelow(*m_pShell, taskbar + 1000));
    EXPECT_FALSE(MakeBottomDock(*m_pShell, taskbar + 1000, 48, 0, 1279));
}

// Whoever writes the root's check property claims to be the window manager;
// the look says whether that client also holds the manager selection, and
// whose process it is, along with the batch's windows.
TEST_F(WindowOpsTest, TheWindowManagerClaimIsLookedAtWithTheWindows) {
    const xcb_window_t own = CreateWindow();
    tagManagerLook known;
    EXPECT_EQ(LookAtSession(*m_pShell, {own}, known).manager.check, XCB_WINDOW_NONE) << "no manager yet";

    TestWindowProcess claims = StartHelper({"--title", "claims", "--claim-manager"});
    const xcb_window_t claimsWindow = claims.Window();
    ASSERT_NE(claimsWindow, 0u);
    tagSessionLook look = LookAtSession(*m_pShell, {own}, known);
    EXPECT_EQ(look.manager.check, claimsWindow);
    EXPECT_EQ(look.manager.pid, claims.Pid());
    EXPECT_FALSE(look.manager.ownsSelection) << "the property alone";
    EXPECT_EQ(look.owners.size(), 1u);
    EXPECT_EQ(look.owners[0].pid, getpid());

    TestWindowProcess selects = StartHelper({"--title", "selects", "--claim-manager", "--claim-selection"});
    const xcb_window_t selectsWindow = selects.Window();
    ASSERT_NE(selectsWindow, 0u);
    for (int round = 0; round < 2; ++round) { // a new check window, then the one already known
        look = LookAtSession(*m_pShell, {own, selectsWindow}, known);
        EXPECT_EQ(look.manager.check, selectsWindow) << round;
        EXPECT_TRUE(look.manager.ownsSelection) << round;
        EXPECT_EQ(look.manager.pid, selects.Pid()) << round;
        EXPECT_EQ(look.owners[1].pid, selects.Pid()) << round;
        EXPECT_TRUE(look.xresAnswered);
    }

    ::kill(selects.Pid(), SIGKILL);
    selects.Wait();
    WaitUntilGone(*m_pShell, selectsWindow);
    look = LookAtSession(*m_pShell, {own}, known);
    EXPECT_EQ(look.manager.check, XCB_WINDOW_NONE) << "a property naming a window that is gone names nobody";
    EXPECT_FALSE(look.manager.ownsSelection);
    xcb_delete_property(m_pShell->Get(), m_pShell->Root(), m_pShell->Atom(enAtom::NetSupportingWmCheck));
    m_pShell->Sync();
}

TEST_F(WindowOpsTest, AServerThatDoesNotTellProcessesIsNoticed) {
    XvfbServer plain({"-extension", "X-Resource"});
    ASSERT_FALSE(plain.Display().empty());
    const auto x = CXConnection::Open(plain.Display().c_str());
    ASSERT_NE(x, nullptr);
    ASSERT_FALSE(x->HasXRes());
    const xcb_window_t window = xcb_generate_id(x->Get());
    xcb_create_window(x->Get(), XCB_COPY_FROM_PARENT, window, x->Root(), 0, 0, 10, 10, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT, 0, nullptr);
    tagManagerLook known;
    const tagSessionLook look = LookAtSession(*x, {window}, known);
    EXPECT_FALSE(look.xresAnswered);
    EXPECT_TRUE(look.owners[0].exists);
    EXPECT_EQ(look.owners[0].pid, 0);
    EXPECT_TRUE(LookAtSession(*m_pShell, {}, known).xresAnswered) << "nothing to ask is no failure";
}

} // namespace
