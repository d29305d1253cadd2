// The time limits in the shell's windows, against a real X server: a
// program whose day is used up loses its windows, extra time needs the
// parent's password, and closed hours lock the desktop.

#include "tests/shell/ShellDesktop.h"

#include "core/TimeTables.h"
#include "shell/CDlgClose.h"
#include "shell/CDlgMessage.h"
#include "shell/CDlgPwdSetup.h"
#include "shell/CDlgRest.h"
#include "shell/CDlgSwitcher.h"
#include "shell/CWarrowDlg.h"
#include "shell/ShellTimeLimits.h"
#include "skin/CGlazeButton.h"

#include <QApplication>
#include <QListWidget>
#include <QMenu>
#include <QTimer>

#include <algorithm>

namespace fs = std::filesystem;

namespace {

class TestClock : public core::IUsageClock {
public:
    std::int64_t MonotonicMs() const override { return ms; }
    core::tagLocalTime Now() const override { return {day, minute}; }
    std::int64_t ms = 5000000;
    int day = 20261207;
    int minute = 600;
};

class ShellTimeLimitsTest : public ShellDesktopTest {
protected:
    int Count(const std::string& line) {
        const auto lines = LogLines();
        return static_cast<int>(std::count(lines.begin(), lines.end(), line));
    }
    std::string UsageKey(const char* key) {
        ltl::CIni ini(false, -1, "", "Config.ini");
        return ini.GetString("Usage", key);
    }
    TestClock m_clock;
};

TEST_F(ShellTimeLimitsTest, AUsedUpProgramLosesItsWindowsUntilTheNextDay) {
    const fs::path allowed = m_outside / "Games";
    Allow("TestGame", allowed.string(), "测试游戏");
    CopyTestWindow(allowed / "TestGame");
    OpenCore();
    ASSERT_TRUE(core::SaveAppLimit(*Db(), "TestGame", {1, false}));
    CWarrowDlg shell;
    shell.SetUsageClock(&m_clock);
    ASSERT_TRUE(shell.OnInitDialog());
    shell.TickTimer()->stop();

    TestWindowProcess game((allowed / "TestGame").string(), {"--title", "game"});
    TestWindowProcess second((allowed / "TestGame").string(), {"--title", "second", "--ignore-close"});
    ASSERT_TRUE(Until([&] { return shell.Taskbar()->Buttons().size() == 2; }));
    m_clock.ms += 59000;
    shell.OnTick();
    EXPECT_NE(UsageKey("Apps").find("TestGame:59000"), std::string::npos) << "saved every second";
    m_clock.ms += 1000;
    shell.OnTick();
    EXPECT_FALSE(game.Ended());
    m_clock.ms += 1000;
    shell.OnTick();
    ASSERT_TRUE(Until([&] { return game.Ended() && second.Ended() && shell.Taskbar()->Buttons().empty(); }));
    EXPECT_EQ(second.ExitStatus(), 3) << "a window that ignores the request is cut off like a refused one";
    EXPECT_EQ(Count("[测试游戏]今天的时间用完了."), 1);
    EXPECT_EQ(Count("关闭了[测试游戏]."), 2);
    EXPECT_TRUE(shell.MessageBox()->Text().contains(QStringLiteral("今天的时间用完了")));

    // The desktop does not start it again today; tomorrow it does.
    EXPECT_FALSE(shell.TimeLimits()->MayStart("TestGame", "测试游戏"));
    m_clock.day = 20261208;
    EXPECT_TRUE(shell.TimeLimits()->MayStart("TestGame", "测试游戏"));
}

TEST_F(ShellTimeLimitsTest, ExtraTimeNeedsTheParentPasswordAndSurvivesARestart) {
    WriteConfig("[System]\nID=77\n[Time]\nPlayTime=600000\nRestTime=600000\nTimeStyle=1\nCountTime=0\n");
    OpenCore();
    tagSystemInfo& system = CWarrowCoreInterface::Get()->GetDBConfig()->GetInfo();
    system.ID = 5;
    system.UserPwd = "Secret";
    {
        CWarrowDlg shell;
        shell.SetUsageClock(&m_clock);
        ASSERT_TRUE(shell.OnInitDialog());
        shell.TickTimer()->stop();
        EXPECT_EQ(shell.View(), enShellView::Rest);

        CDlgPwdSetup::SetNextAnswer(QDialog::Accepted, "secret");
        EXPECT_FALSE(shell.RequestExtraTime(30)) << "a wrong password grants nothing";
        CDlgPwdSetup::SetNextAnswer(QDialog::Rejected, "Secret");
        EXPECT_FALSE(shell.RequestExtraTime(30)) << "the parent refused";
        EXPECT_EQ(shell.TimeLimits()->Keeper().Counters().ExtraMs, 0);
        EXPECT_EQ(Count("家长延长了30分钟."), 0);

        CDlgPwdSetup::SetNextAnswer(QDialog::Accepted, "Secret");
        EXPECT_TRUE(shell.RequestExtraTime(30));
        EXPECT_EQ(Count("家长延长了30分钟."), 1);
        EXPECT_EQ(shell.View(), enShellView::Play) << "the rest gives way to the extra time";
        EXPECT_FALSE(shell.Overlay()->isVisible());
        m_clock.ms += 60000;
        shell.OnTick();
        EXPECT_EQ(TimeKey("CountTime"), "0") << "the rest waits while the extra time runs";
        shell.DestroyWindow();
    }
    // A new shell (as after a kill) goes on with what reached the file.
    EXPECT_EQ(UsageKey("Extra"), std::to_string(29 * 60000));
    CWarrowDlg again;
    again.SetUsageClock(&m_clock);
    ASSERT_TRUE(again.OnInitDialog());
    again.TickTimer()->stop();
    again.OnTick();
    EXPECT_EQ(again.View(), enShellView::Play);
    EXPECT_EQ(again.TimeLimits()->Keeper().Counters().ExtraMs, 29 * 60000);
}

TEST_F(ShellTimeLimitsTest, ClosedHoursShowTheirOwnRestScreenAndCountNothing) {
    WriteConfig("[System]\nID=77\n[Time]\nPlayTime=600000\nRestTime=600000\nTimeStyle=0\nCountTime=5000\n");
    OpenCore();
    ASSERT_TRUE(core::SaveScheduleDay(*Db(), 0, std::vector<core::tagTimeSpan>{{7 * 60, 20 * 60 + 30}}));
    m_clock.minute = 20 * 60 + 29;
    CWarrowDlg shell;
    shell.SetUsageClock(&m_clock);
    ASSERT_TRUE(shell.OnInitDialog());
    shell.TickTimer()->stop();
    shell.OnTick();
    EXPECT_EQ(shell.View(), enShellView::Play);
    EXPECT_EQ(TimeKey("CountTime"), "6000");

    m_clock.minute = 20 * 60 + 30;
    shell.OnTick();
    EXPECT_EQ(shell.View(), enShellView::Schedule);
    EXPECT_TRUE(shell.Overlay()->isVisible());
    EXPECT_TRUE(shell.RestNotice()->isVisible());
    EXPECT_EQ(shell.RestNotice()->windowTitle(), QString::fromUtf8(kScheduleRestText));
    EXPECT_FALSE(shell.AppList()->isVisible());
    shell.OnTick();
    EXPECT_EQ(TimeKey("CountTime"), "6000") << "no play time outside the hours";

    m_clock.minute = 19 * 60; // the clock set back an hour
    shell.OnTick();
    EXPECT_EQ(shell.View(), enShellView::Schedule);
    m_clock.day = 20261208; // the next day has no limits
    m_clock.minute = 8 * 60;
    shell.OnTick();
    EXPECT_EQ(shell.View(), enShellView::Play);
    EXPECT_FALSE(shell.Overlay()->isVisible());
}

} // namespace

namespace {

// Picks `path` in the open popup menus by keyboard, as a child would.
void PickFromStartMenu(const QStringList& path) {
    QTimer::singleShot(0, qApp, [path] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        for (const QString& text : path) {
            if (menu == nullptr) {
                return;
            }
            QAction* found = nullptr;
            for (QAction* action : menu->actions()) {
                if (action->text() == text) {
                    found = action;
                }
            }
            if (found == nullptr) {
                return;
            }
            menu->setActiveAction(found);
            if (found->menu() != nullptr) {
                QTest::keyClick(menu, Qt::Key_Right);
                menu = found->menu();
            } else {
                QTest::keyClick(menu, Qt::Key_Return);
            }
        }
    });
}

TEST_F(ShellTimeLimitsTest, TheStartMenuAsksForMoreTimeOrLeadsToTheExitDialog) {
    OpenCore();
    tagSystemInfo& system = CWarrowCoreInterface::Get()->GetDBConfig()->GetInfo();
    system.ID = 5;
    system.UserPwd = "Secret";
    CWarrowDlg shell;
    shell.SetUsageClock(&m_clock);
    ASSERT_TRUE(shell.OnInitDialog());
    shell.TickTimer()->stop();

    CDlgPwdSetup::SetNextAnswer(QDialog::Accepted, "Secret");
    PickFromStartMenu({QStringLiteral("我还想玩一会儿"), QStringLiteral("60分钟")});
    shell.Taskbar()->StartButton()->click();
    EXPECT_EQ(Count("家长延长了60分钟."), 1);
    EXPECT_EQ(shell.TimeLimits()->Keeper().Counters().ExtraMs, 60 * 60000);

    // The exit dialog is closed again as soon as it shows.
    bool exitDialogShown = false;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, qApp, [&] {
        if (QWidget* modal = QApplication::activeModalWidget()) {
            exitDialogShown = true;
            closer.stop();
            QTest::keyClick(modal, Qt::Key_Escape);
        }
    });
    closer.start(20);
    PickFromStartMenu({QStringLiteral("退出儿童模式…")});
    shell.Taskbar()->StartButton()->click();
    EXPECT_TRUE(exitDialogShown);
}

} // namespace
