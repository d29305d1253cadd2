// Hiding the desktop's panels while the shell runs, and bringing them back.

#include "platform/x11/DeskGuard.h"
#include "platform/x11/DockWindow.h"
#include "platform/x11/XProtocol.h"
#include "tests/x11/XSessionTest.h"

using namespace deskguard;

namespace {

class SysBarTest : public CXSessionTest {
protected:
    bool IsMapped(xcb_window_t window) {
        const auto attributes = ReadAttributes(*m_pShell, window);
        return attributes && attributes->map_state != XCB_MAP_STATE_UNMAPPED;
    }
};

TEST_F(SysBarTest, OtherProgramsPanelsAreHiddenUntilTheEndAndOursStay) {
    TestWindowProcess panel = StartHelper({"--title", "panel", "--dock"});
    TestWindowProcess game = StartHelper({"--title", "game"});
    const xcb_window_t panelWindow = panel.Window();
    const xcb_window_t gameWindow = game.Window();
    ASSERT_NE(panelWindow, 0u);
    ASSERT_NE(gameWindow, 0u);
    // The shell's own taskbar: a panel of this process.
    const xcb_window_t taskbar = CreateWindow();
    ASSERT_TRUE(MakeBottomDock(*m_pClient, taskbar, 48, 0, 1279));
    Map(taskbar);

    DG_ShowSysBar(0);
    EXPECT_FALSE(IsMapped(panelWindow));
    EXPECT_TRUE(IsMapped(gameWindow));
    EXPECT_TRUE(IsMapped(taskbar));

    // A panel started again meanwhile is hidden by the next call.
    TestWindowProcess restarted = StartHelper({"--title", "panel", "--dock"});
    const xcb_window_t restartedWindow = restarted.Window();
    ASSERT_NE(restartedWindow, 0u);
    DG_ShowSysBar(0);
    EXPECT_FALSE(IsMapped(restartedWindow));
    EXPECT_FALSE(IsMapped(panelWindow));

    DG_UnInit();
    EXPECT_TRUE(IsMapped(panelWindow));
    EXPECT_TRUE(IsMapped(restartedWindow));
    EXPECT_TRUE(IsMapped(taskbar));
}

TEST_F(SysBarTest, TheEndBringsBackOnlyWindowsThatAreStillPanels) {
    TestWindowProcess panel = StartHelper({"--title", "panel", "--dock"});
    const xcb_window_t panelWindow = panel.Window();
    ASSERT_NE(panelWindow, 0u);
    DG_ShowSysBar(0);
    ASSERT_FALSE(IsMapped(panelWindow));
    // No longer a panel (think of an id reused by an ordinary window).
    xcb_delete_property(m_pClient->Get(), panelWindow, m_pClient->Atom(enAtom::NetWmWindowType));
    m_pClient->Sync();
    DG_UnInit();
    EXPECT_FALSE(IsMapped(panelWindow));
}

} // namespace
