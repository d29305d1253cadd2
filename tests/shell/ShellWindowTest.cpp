// The shell's desktop, taskbar and window admission in this process, against
// a real X server and real helper programs.

#include "tests/shell/ShellDesktop.h"

#include "shell/CBtnSwitcher.h"
#include "shell/CDlgSwitcher.h"
#include "shell/CTaskManager.h"
#include "shell/CWarrowDlg.h"
#include "skin/CGlazeButton.h"

#include <QListWidget>

#include <algorithm>
#include <csignal>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

class ShellWindowTest : public ShellDesktopTest {
protected:
    int Count(const std::string& line) {
        const auto lines = LogLines();
        return static_cast<int>(std::count(lines.begin(), lines.end(), line));
    }
    std::vector<QString> Captions(const CDlgSwitcher& bar) {
        std::vector<QString> captions;
        for (const auto& [window, button] : bar.Buttons()) {
            captions.push_back(button->text());
        }
        return captions;
    }
};

TEST_F(ShellWindowTest, WindowsOfAllowedProgramsAreTrackedOthersClosedEvenWhenTheyIgnoreIt) {
    const fs::path allowed = m_outside / "Games";
    Allow("TestGame", allowed.string(), "测试游戏");
    CopyTestWindow(allowed / "Chess" / "TestGame");
    CopyTestWindow(m_outside / "games" / "TestGame"); // differs only in case: refused
    CopyTestWindow(m_outside / "other" / "Stubborn");
    OpenCore();
    CWarrowDlg shell;
    ASSERT_TRUE(shell.OnInitDialog());
    CDlgSwitcher& bar = *shell.Taskbar();

    TestWindowProcess game((allowed / "Chess" / "TestGame").string(), {"--title", "game"});
    TestWindowProcess polite((m_outside / "games" / "TestGame").string(), {"--title", "polite"});
    TestWindowProcess stubborn((m_outside / "other" / "Stubborn").string(),
                               {"--title", "stubborn", "--ignore-close"});
    const unsigned long gameWindow = game.Window();
    ASSERT_NE(gameWindow, 0u);

    ASSERT_TRUE(Until([&] { return polite.Ended() && stubborn.Ended() && bar.Buttons().size() == 1; }));
    EXPECT_EQ(polite.ExitStatus(), 0);   // closed on request
    EXPECT_EQ(stubborn.ExitStatus(), 3); // its X connection was cut
    EXPECT_FALSE(game.Ended());
    EXPECT_EQ(bar.Buttons().begin()->first, gameWindow);
    EXPECT_EQ(Captions(bar), std::vector<QString>{QStringLiteral("测试游戏")});
    EXPECT_EQ(Count("启动了[测试游戏]."), 1);
    EXPECT_EQ(LogLines().size(), 1u) << "refused windows are not logged";
    ASSERT_NE(CTaskManager::Get()->FindTask(gameWindow), nullptr);
    EXPECT_EQ(CTaskManager::Get()->FindTask(gameWindow)->Pid(), game.Pid());

    ::kill(game.Pid(), SIGTERM);
    ASSERT_TRUE(Until([&] { return bar.Buttons().empty(); }));
    EXPECT_EQ(Count("关闭了[测试游戏]."), 1);
    EXPECT_EQ(CTaskManager::Get()->Size(), 0u);
}

TEST_F(ShellWindowTest, TaskButtonsFollowWindowIdsAndTheCloseCommandKeepsATaskUntilItsWindowGoes) {
    const fs::path allowed = m_outside / "Games";
    Allow("TestGame", allowed.string(), "游戏", "hidden from the desktop");
    CopyTestWindow(allowed / "TestGame");
    OpenCore();
    CWarrowDlg shell;
    ASSERT_TRUE(shell.OnInitDialog());
    CDlgSwitcher& bar = *shell.Taskbar();
    EXPECT_EQ(shell.AppList()->count(), 1) << "an entry with an icon text is not offered, only the browser";

    for (unsigned long window : {0x30ul, 0x10ul, 0x20ul}) {
        EXPECT_TRUE(bar.AddButton(window, "w" + std::to_string(window), "/nonexistent"));
    }
    EXPECT_FALSE(bar.AddButton(0x10, "again", "/nonexistent"));
    bar.Arrange();
    std::vector<std::pair<unsigned long, int>> placed;
    for (const auto& [window, button] : bar.Buttons()) {
        placed.emplace_back(window, button->x());
        EXPECT_EQ(button->size(), QSize(72, 48));
    }
    EXPECT_EQ(placed, (std::vector<std::pair<unsigned long, int>>{{0x10, 75}, {0x20, 147}, {0x30, 219}}));
    bar.RemoveButton(0x10);
    bar.Arrange();
    EXPECT_EQ(bar.Buttons().begin()->second->x(), 75);
    bar.RemoveButton(0x20);
    bar.RemoveButton(0x30);

    // A program that asks before closing (here: ignores the request) keeps
    // its button and its task, so it still ends with the shell.
    TestWindowProcess game((allowed / "TestGame").string(),
                           {"--title", "game", "--ignore-close", "--record", (m_outside / "asked").string()});
    const unsigned long window = game.Window();
    ASSERT_TRUE(Until([&] { return bar.Buttons().size() == 1; }));
    bar.OpenWindowMenu(window, QPoint(10, 10));
    bar.OnMenuCommand(CDlgSwitcher::ID_CLOSE);
    ASSERT_TRUE(Until([&] { return fs::exists(m_outside / "asked"); })) << "the request reached the program";
    EXPECT_EQ(bar.Buttons().size(), 1u);
    EXPECT_NE(CTaskManager::Get()->FindTask(window), nullptr);
    EXPECT_EQ(Count("关闭了[游戏]."), 0);
    EXPECT_FALSE(game.Ended());
    // When the window really goes, so does the task.
    ::kill(game.Pid(), SIGKILL);
    ASSERT_TRUE(Until([&] { return bar.Buttons().empty(); }));
    EXPECT_EQ(CTaskManager::Get()->FindTask(window), nullptr);
    EXPECT_EQ(Count("关闭了[游戏]."), 1);
}

TEST_F(ShellWindowTest, DesktopListsEntriesInDescendingKeyOrderAndStartsThemWithArguments) {
    const fs::path apps = m_outside / "My Apps";
    fs::create_directories(apps);
    std::ofstream(apps / "b.sh")
        << "#!/bin/sh\nprintf '%s|' \"$PWD\" \"$@\" > record.tmp && mv record.tmp record\n";
    fs::permissions(apps / "b.sh", fs::perms::owner_all);
    Allow("b.sh", apps.string(), "乙", "", "'two words' \"x y\" z");
    Allow("a.sh", apps.string(), "甲");
    Allow("c.sh", apps.string(), "丙");
    Allow("d.sh", apps.string(), "丁", "icon text: not on the desktop");
    OpenCore();
    CWarrowDlg shell;
    ASSERT_TRUE(shell.OnInitDialog());
    QListWidget& list = *shell.AppList();
    std::vector<QString> names;
    for (int i = 0; i < list.count(); ++i) {
        names.push_back(list.item(i)->text());
    }
    // Keys c.sh, b.sh, a.sh, WarrowExplorer (upper case sorts first).
    EXPECT_EQ(names, (std::vector<QString>{QStringLiteral("丙"), QStringLiteral("乙"), QStringLiteral("甲"),
                                           QStringLiteral("儿童浏览器")}));

    // Return and a single click start nothing (a program would still run:
    // a.sh waits), a double-click does.
    std::ofstream(apps / "a.sh") << "#!/bin/sh\nsleep 30\n";
    fs::permissions(apps / "a.sh", fs::perms::owner_all);
    QListWidgetItem* a = list.item(2);
    list.setCurrentItem(a);
    QTest::keyClick(&list, Qt::Key_Return);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.visualItemRect(a).center());
    EXPECT_TRUE(CTaskManager::Get()->StartedGroups().empty());

    QListWidgetItem* b = list.item(1);
    list.scrollToItem(b);
    const QPoint at = list.visualItemRect(b).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
    ASSERT_TRUE(Until([&] { return fs::exists(apps / "record"); }));
    std::stringstream record;
    record << std::ifstream(apps / "record").rdbuf();
    EXPECT_EQ(record.str(), apps.string() + "|two words|x y|z|");
}

// The ways around the guard a child would try: a window that was there
// before the shell, one that only sets override_redirect, one made inside an
// allowed program's window, and a refused program that connects again.
TEST_F(ShellWindowTest, NoWayAroundTheGuardLeavesARefusedProgramRunning) {
    const fs::path allowed = m_outside / "Games";
    Allow("TestGame", allowed.string(), "测试游戏");
    CopyTestWindow(allowed / "TestGame");
    CopyTestWindow(m_outside / "other" / "Early");
    CopyTestWindow(m_outside / "other" / "Menu");
    CopyTestWindow(m_outside / "other" / "Inside");
    CopyTestWindow(m_outside / "other" / "Again");
    TestWindowProcess early((m_outside / "other" / "Early").string(), {"--title", "early", "--ignore-close"});
    ASSERT_NE(early.Window(), 0u);
    OpenCore();
    CWarrowDlg shell;
    ASSERT_TRUE(shell.OnInitDialog());

    TestWindowProcess game((allowed / "TestGame").string(), {"--title", "game"});
    const unsigned long gameWindow = game.Window();
    ASSERT_NE(gameWindow, 0u);
    TestWindowProcess menu((m_outside / "other" / "Menu").string(),
                           {"--title", "menu", "--override-redirect", "--ignore-close"});
    char parent[32];
    std::snprintf(parent, sizeof parent, "0x%lx", gameWindow);
    TestWindowProcess inside((m_outside / "other" / "Inside").string(),
                             {"--title", "inside", "--parent", parent, "--ignore-close"});
    // Several windows of one program: the process is held once and still ended.
    TestWindowProcess again((m_outside / "other" / "Again").string(),
                            {"--title", "again", "--ignore-close", "--reconnect", "--windows", "3"});

    ASSERT_TRUE(Until([&] { return early.Ended() && menu.Ended() && inside.Ended() && again.Ended(); }));
    EXPECT_EQ(early.ExitStatus(), 3) << "judged when the shell started";
    EXPECT_EQ(menu.ExitStatus(), 3);
    EXPECT_EQ(inside.ExitStatus(), 3);
    EXPECT_EQ(again.ExitStatus(), 128 + SIGTERM) << "a program that connects again is ended";
    EXPECT_FALSE(game.Ended()) << "the allowed program keeps its window";
    EXPECT_EQ(shell.Taskbar()->Buttons().size(), 1u);
}

// Any client may point the root's window manager check at its own window,
// and take the manager selection too; a program the child could have made
// is judged all the same, its menus included.
TEST_F(ShellWindowTest, AProgramPosingAsTheWindowManagerIsStillJudged) {
    const fs::path allowed = m_outside / "Games";
    Allow("TestGame", allowed.string(), "测试游戏");
    CopyTestWindow(allowed / "TestGame");
    CopyTestWindow(m_outside / "other" / "Claims");
    CopyTestWindow(m_outside / "other" / "Selects");
    OpenCore();
    CWarrowDlg shell;
    ASSERT_TRUE(shell.OnInitDialog());

    TestWindowProcess game((allowed / "TestGame").string(), {"--title", "game"});
    ASSERT_NE(game.Window(), 0u);
    TestWindowProcess claims((m_outside / "other" / "Claims").string(),
                             {"--title", "claims", "--claim-manager", "--ignore-close"});
    ASSERT_TRUE(Until([&] { return claims.Ended(); }));
    EXPECT_EQ(claims.ExitStatus(), 3) << "the check property alone proves nothing";
    TestWindowProcess selects((m_outside / "other" / "Selects").string(),
                              {"--title", "selects", "--claim-manager", "--claim-selection",
                               "--override-redirect", "--ignore-close"});
    ASSERT_TRUE(Until([&] { return selects.Ended(); }));
    EXPECT_EQ(selects.ExitStatus(), 3) << "a manager the child could have made is judged";
    EXPECT_FALSE(game.Ended());
    EXPECT_EQ(shell.Taskbar()->Buttons().size(), 1u);
}

TEST_F(ShellWindowTest, ARestStopsTrackedProgramsAndLocksTheirButtonsUntilItEnds) {
    const fs::path allowed = m_outside / "Games";
    Allow("TestGame", allowed.string(), "测试游戏");
    CopyTestWindow(allowed / "TestGame");
    OpenCore();
    CWarrowDlg shell;
    ASSERT_TRUE(shell.OnInitDialog());
    shell.TickTimer()->stop();
    TestWindowProcess game((allowed / "TestGame").string(), {"--title", "game"});
    const unsigned long window = game.Window();
    CDlgSwitcher& bar = *shell.Taskbar();
    ASSERT_TRUE(Until([&] { return bar.Buttons().size() == 1; }));
    const auto state = [&] {
        std::ifstream stat("/proc/" + std::to_string(game.Pid()) + "/stat");
        std::string text;
        std::getline(stat, text);
        const auto close = text.rfind(')');
        return close != std::string::npos && close + 2 < text.size() ? text[close + 2] : '?';
    };

    shell.ShowView(enShellView::Rest);
    EXPECT_TRUE(Until([&] { return state() == 'T'; })) << "stopped during the rest";
    EXPECT_TRUE(bar.TasksLocked());
    bar.OpenWindowMenu(window, QPoint(10, 10));
    bar.OnMenuCommand(CDlgSwitcher::ID_CLOSE); // does nothing: the program keeps its window
    EXPECT_TRUE(bar.StartButton()->isEnabled()) << "the way to the exit dialog stays";

    shell.ShowView(enShellView::Play);
    EXPECT_TRUE(Until([&] { return state() != 'T'; })) << "running again after the rest";
    EXPECT_FALSE(bar.TasksLocked());
    EXPECT_FALSE(game.Ended());
    EXPECT_EQ(bar.Buttons().size(), 1u);
}

TEST_F(ShellWindowTest, TheClockShowsBothDigitsOfTheHourBesideTheVolumeButton) {
    OpenCore();
    CWarrowDlg shell;
    ASSERT_TRUE(shell.OnInitDialog());
    CDlgSwitcher& bar = *shell.Taskbar();
    // The taskbar as the screen shows it at a given time.
    const auto at = [&](int hour, int minute) {
        bar.SetTimeSource([=] { return QTime(hour, minute); });
        bar.UpdateClock();
        return bar.grab().toImage();
    };
    // Were the first digit under the volume button, 10:28 would look like 00:28.
    EXPECT_NE(at(10, 28), at(0, 28));
    EXPECT_NE(at(23, 59), at(13, 59));
    EXPECT_EQ(at(23, 59), at(23, 59)) << "the picture depends on the time alone";
}

TEST_F(ShellWindowTest, AProgramStartedFromTheDesktopGetsOneButtonAndOneLine) {
    const fs::path allowed = m_outside / "Games";
    Allow("TestGame", allowed.string(), "测试游戏", "", "--title game --windows 1");
    CopyTestWindow(allowed / "TestGame");
    OpenCore();
    CWarrowDlg shell;
    ASSERT_TRUE(shell.OnInitDialog());
    QListWidget& list = *shell.AppList();
    QListWidgetItem* game = nullptr;
    for (int i = 0; i < list.count(); ++i) {
        if (list.item(i)->text() == QStringLiteral("测试游戏")) {
            game = list.item(i);
        }
    }
    ASSERT_NE(game, nullptr);
    list.scrollToItem(game);
    const QPoint at = list.visualItemRect(game).center();
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, at);
    CDlgSwitcher& bar = *shell.Taskbar();
    ASSERT_TRUE(Until([&] { return bar.Buttons().size() == 1 && Count("启动了[测试游戏].") == 1; }))
        << bar.Buttons().size()
        << " buttons, started groups: " << CTaskManager::Get()->StartedGroups().size();
    EXPECT_EQ(CTaskManager::Get()->StartedGroups().size(), 1u);
}

TEST_F(ShellWindowTest, EnterEscapeAndCloseRequestsLeaveTheDesktopUp) {
    OpenCore();
    CWarrowDlg shell;
    ASSERT_TRUE(shell.OnInitDialog());
    QTest::keyClick(&shell, Qt::Key_Return);
    QTest::keyClick(&shell, Qt::Key_Escape);
    shell.close();
    shell.Taskbar()->close();
    QTest::keyClick(shell.Taskbar(), Qt::Key_Escape);
    EXPECT_TRUE(shell.isVisible());
    EXPECT_TRUE(shell.Taskbar()->isVisible());
    EXPECT_EQ(shell.windowTitle(), QStringLiteral("Warrow"));
    EXPECT_EQ(shell.Taskbar()->geometry(), QRect(0, 800 - 48, 1280, 48));
}

} // namespace
