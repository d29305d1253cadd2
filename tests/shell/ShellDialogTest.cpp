// Play and rest on the desktop, the rest notice, and the exit dialog with
// its password rules.

#include "tests/shell/ShellDesktop.h"

#include "shell/CDlgClose.h"
#include "shell/CDlgCloseWindows.h"
#include "shell/CDlgMessage.h"
#include "shell/CDlgPwdSetup.h"
#include "shell/CDlgRest.h"
#include "shell/CWarrowDlg.h"
#include "skin/CGlazeButton.h"
#include "skin/CGlazeEdit.h"
#include "skin/CGlazeLoader.h"

#include <QApplication>
#include <QListWidget>
#include <QTest>
#include <QTimer>

namespace {

class ShellDialogTest : public ShellDesktopTest {
protected:
    void SetTimes(const std::string& times) { AppendConfig("\n[Time]\n" + times); }
    std::pair<std::string, std::string> Stored() { return {TimeKey("TimeStyle"), TimeKey("CountTime")}; }
};

TEST_F(ShellDialogTest, PlayAndRestAlternateAndEveryTickIsStored) {
    WriteConfig("[System]\nID=77\n[Time]\nPlayTime=3000\nRestTime=2000\nTimeStyle=0\nCountTime=0\n");
    OpenCore();
    CWarrowDlg shell;
    ASSERT_TRUE(shell.OnInitDialog());
    shell.TickTimer()->stop(); // the test ticks by hand
    EXPECT_TRUE(shell.AppList()->isVisible());
    EXPECT_FALSE(shell.RestNotice()->isVisible());

    const std::vector<std::pair<std::string, std::string>> expected = {
        {"0", "1000"}, {"0", "2000"}, {"1", "0"}, {"1", "1000"}, {"0", "0"}, {"0", "1000"}};
    for (std::size_t tick = 0; tick < expected.size(); ++tick) {
        shell.OnTick();
        EXPECT_EQ(Stored(), expected[tick]) << "after tick " << tick + 1;
        const bool resting = expected[tick].first == "1";
        EXPECT_EQ(shell.RestNotice()->isVisible(), resting) << "after tick " << tick + 1;
        EXPECT_EQ(shell.Overlay()->isVisible(), resting);
        EXPECT_EQ(shell.AppList()->isVisible(), !resting);
        EXPECT_EQ(shell.RestNotice()->IsCountingDown(), resting);
    }
}

TEST_F(ShellDialogTest, ALockedDesktopWithoutItsSkinStillLeadsToTheExitDialogAndStaysDimmed) {
    WriteConfig("[System]\nID=77\n[Time]\nPlayTime=3000\nRestTime=2000\nTimeStyle=0\nCountTime=0\n");
    OpenCore();
    // No skin: the desktop fails closed before its taskbar (and so its start
    // button) exists.
    std::filesystem::remove(m_folder / "Resource");
    CGlazeLoader::Instance().ClearGlazeImage();
    CWarrowDlg shell;
    ASSERT_FALSE(shell.OnInitDialog());
    shell.FailClosed();
    ASSERT_TRUE(shell.RestNotice()->isVisible());

    // The exit dialog is modal: it is answered ("cancel") from its own loop.
    bool opened = false;
    QTimer answer;
    answer.setSingleShot(true);
    QObject::connect(&answer, &QTimer::timeout, [&] {
        auto* exit = dynamic_cast<CDlgCloseWindows*>(QApplication::activeModalWidget());
        opened = exit != nullptr;
        if (exit != nullptr) {
            exit->reject();
        }
    });
    answer.start(0);
    QTest::keyClick(shell.RestNotice(), Qt::Key_Return);
    EXPECT_TRUE(opened) << "Return on the notice opens the exit dialog";
    EXPECT_TRUE(shell.Overlay()->isVisible()) << "cancelled, the locked desktop stays dimmed";
}

TEST_F(ShellDialogTest, StartingInARestShowsTheWholeRestTimeAndOtherStylesShowNothing) {
    WriteConfig("[System]\nID=77\n[Time]\nPlayTime=3000\nRestTime=125000\nTimeStyle=1\nCountTime=120000\n");
    OpenCore();
    {
        CWarrowDlg shell;
        ASSERT_TRUE(shell.OnInitDialog());
        shell.TickTimer()->stop();
        CDlgRest& rest = *shell.RestNotice();
        EXPECT_TRUE(rest.isVisible());
        EXPECT_EQ(rest.windowTitle(), QStringLiteral("休息时间剩余：2分钟"));
        rest.OnCountdown();
        EXPECT_EQ(rest.windowTitle(), QStringLiteral("休息时间剩余：1分钟"));
        for (int i = 0; i < 5; ++i) {
            rest.OnCountdown(); // 65 s left
        }
        EXPECT_EQ(rest.windowTitle(), QStringLiteral("休息时间剩余：1分钟"));
        rest.OnCountdown();
        EXPECT_EQ(rest.windowTitle(), QStringLiteral("休息时间剩余：少于1分钟"));
        shell.OnTick(); // the notice is only a display: the stored count ends the rest
        EXPECT_EQ(Stored(), (std::pair<std::string, std::string>{"1", "121000"}));
        for (int i = 0; i < 4; ++i) {
            shell.OnTick();
        }
        EXPECT_EQ(Stored(), (std::pair<std::string, std::string>{"0", "0"}));
        EXPECT_FALSE(rest.isVisible());
    }
    CWarrowCoreInterface::Free();
    WriteConfig("[System]\nID=77\n[Time]\nPlayTime=3000\nRestTime=2000\nTimeStyle=2\nCountTime=5000\n");
    OpenCore();
    CWarrowDlg shell;
    ASSERT_TRUE(shell.OnInitDialog());
    shell.TickTimer()->stop();
    shell.OnTick();
    EXPECT_EQ(Stored(), (std::pair<std::string, std::string>{"2", "6000"}));
    EXPECT_FALSE(shell.RestNotice()->isVisible());
    EXPECT_FALSE(shell.Overlay()->isVisible());
}

TEST_F(ShellDialogTest, ThePasswordMustMatchExactlyAndWrongOnesKeepTheDialog) {
    OpenCore();
    CWarrowDlg shell;
    ASSERT_TRUE(shell.OnInitDialog());
    tagSystemInfo& system = CWarrowCoreInterface::Get()->GetDBConfig()->GetInfo();
    system.ID = 1001;
    system.UserPwd = "Secret";

    CDlgCloseWindows exit;
    ASSERT_TRUE(exit.OnInitDialog());
    exit.show();
    for (const char* wrong : {"secret", "Secret ", ""}) {
        CDlgPwdSetup::SetNextAnswer(QDialog::Accepted, wrong);
        exit.ExitButton()->click();
        EXPECT_TRUE(exit.isVisible()) << wrong;
        EXPECT_TRUE(shell.MessageBox()->isVisible());
        EXPECT_EQ(shell.MessageBox()->Text(), QStringLiteral("瓦罗提示:\n密码错了哦"));
    }
    CDlgPwdSetup::SetNextAnswer(QDialog::Rejected, "Secret"); // cancelled prompt: nothing happens
    exit.ExitButton()->click();
    EXPECT_TRUE(exit.isVisible());
    CDlgPwdSetup::SetNextAnswer(QDialog::Accepted, "Secret");
    exit.ExitButton()->click();
    EXPECT_FALSE(exit.isVisible());
    EXPECT_EQ(exit.result(), QDialog::Accepted);

    system.ID = -1; // no account: anything opens it
    CDlgCloseWindows open;
    ASSERT_TRUE(open.OnInitDialog());
    open.show();
    CDlgPwdSetup::SetNextAnswer(QDialog::Accepted, "");
    open.ExitButton()->click();
    EXPECT_EQ(open.result(), QDialog::Accepted);
}

TEST_F(ShellDialogTest, PromptHandsOverWhatWasTypedAndTheExitDialogTakesNoEnter) {
    OpenCore();
    CDlgPwdSetup prompt;
    QTimer::singleShot(0, &prompt, [&] {
        QTest::keyClicks(prompt.Edit(), QStringLiteral("Pa55 word"));
        prompt.OkButton()->click();
    });
    EXPECT_EQ(prompt.DoModal(), QDialog::Accepted);
    EXPECT_EQ(prompt.Password(), "Pa55 word");

    CDlgCloseWindows exit;
    ASSERT_TRUE(exit.OnInitDialog());
    exit.show();
    QTest::keyClick(&exit, Qt::Key_Return);
    EXPECT_TRUE(exit.isVisible());
    QTest::keyClick(&exit, Qt::Key_Escape);
    EXPECT_FALSE(exit.isVisible());
    EXPECT_EQ(exit.result(), QDialog::Rejected);
}

TEST_F(ShellDialogTest, OverlayStaysAfterTheExitDialogOnlyDuringARest) {
    WriteConfig("[System]\nID=77\n[Time]\nPlayTime=3000\nRestTime=60000\nTimeStyle=1\nCountTime=0\n");
    OpenCore();
    CWarrowDlg shell;
    ASSERT_TRUE(shell.OnInitDialog());
    shell.TickTimer()->stop();
    const auto closeExitDialog = [] {
        QTimer::singleShot(0, qApp, [] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                QTest::keyClick(modal, Qt::Key_Escape);
            }
        });
    };
    closeExitDialog();
    shell.OpenExitDialog();
    EXPECT_TRUE(shell.Overlay()->isVisible());

    CWarrowCoreInterface::Get()->GetWRControl()->GetConfig().TimeStyle = 0;
    closeExitDialog();
    shell.OpenExitDialog();
    EXPECT_FALSE(shell.Overlay()->isVisible());
    EXPECT_TRUE(shell.isVisible());
}

} // namespace
