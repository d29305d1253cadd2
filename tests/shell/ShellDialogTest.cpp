// Play and rest on the desktop, the rest notice, and the exit dialog with
// its password rules.

#include "tests/shell/ShellDesktop.h"

#include "shell/CDlgClose.h"
#include "shell/CDlgCloseWindows.h"
#include "shell/CDlgMessage.h"
#include "shell/CDlgPwdSetup.h"
#include "shell/CDlgRest.h"
#include "shell/CVolumeDialog.h"
#include "shell/CWarrowDlg.h"
#include "skin/CGlazeButton.h"
#include "skin/CGlazeEdit.h"
#include "skin/CGlazeLoader.h"
#include "tests/core/PulseServer.h"

#include <QApplication>
#include <QListWidget>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <QTimer>

#include <fstream>

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

TEST_F(ShellDialogTest, RestartAndShutDownAskTheSystemCloseTheDialogAndKeepTheShell) {
    OpenCore();
    CWarrowDlg shell;
    ASSERT_TRUE(shell.OnInitDialog());
    shell.TickTimer()->stop();
    const std::filesystem::path power = m_folder / "power.log";
    const auto lastAction = [&] {
        std::ifstream in(power);
        std::string line, last;
        while (std::getline(in, line)) {
            last = line;
        }
        return last;
    };
    // The stand-in records the action; the second one also fails, which
    // must not keep the dialog open or end the shell either.
    const std::string record = "echo \"$1\" >> '" + power.string() + "'";
    for (const std::string& command : {record, record + "; exit 1"}) {
        ::setenv("WARROW_SHUTDOWN_COMMAND", command.c_str(), 1);
        for (const auto& [button, action] : {std::pair{&CDlgCloseWindows::RestartButton, "reboot"},
                                             std::pair{&CDlgCloseWindows::ShutdownButton, "poweroff"}}) {
            CDlgCloseWindows exit;
            ASSERT_TRUE(exit.OnInitDialog());
            exit.show();
            std::filesystem::remove(power);
            (exit.*button)()->click();
            EXPECT_EQ(lastAction(), action) << command;
            EXPECT_FALSE(exit.isVisible()) << action;
            EXPECT_EQ(exit.result(), QDialog::Rejected) << "only the password leaves child mode";
        }
    }
    ::unsetenv("WARROW_SHUTDOWN_COMMAND");
    EXPECT_TRUE(shell.isVisible());
}

// Drags the slider's thumb to the pixel row `y` of the slider.
void DragThumb(QSlider* slider, int y) {
    QStyleOptionSlider option;
    option.initFrom(slider);
    option.orientation = slider->orientation();
    option.minimum = slider->minimum();
    option.maximum = slider->maximum();
    option.sliderPosition = slider->sliderPosition();
    option.sliderValue = slider->value();
    option.upsideDown = !slider->invertedAppearance(); // vertical sliders grow upwards
    option.subControls = QStyle::SC_SliderHandle;
    const QRect thumb =
        slider->style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, slider);
    QTest::mousePress(slider, Qt::LeftButton, {}, thumb.center());
    QTest::mouseMove(slider, QPoint(thumb.center().x(), y));
    QTest::mouseRelease(slider, Qt::LeftButton, {}, QPoint(thumb.center().x(), y));
}

TEST_F(ShellDialogTest, TheVolumeThumbAtTheTopIsFullVolumeAndAtTheBottomSilence) {
    PulseServer sound;
    if (!sound.Running()) {
        GTEST_SKIP() << "no PulseAudio server could be started";
    }
    OpenCore();
    CVolumeControl* volume = CWarrowCoreInterface::Get()->GetVolumeControl();
    ASSERT_NE(volume, nullptr);
    volume->SetVolume(30000);
    CVolumeDialog popup;
    ASSERT_TRUE(popup.OnInitDialog());
    popup.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&popup));
    QSlider* slider = popup.Slider();
    EXPECT_NEAR(slider->value(), 30000, 2) << "the popup shows the volume it found";

    DragThumb(slider, 0);
    EXPECT_EQ(slider->value(), 65535);
    EXPECT_EQ(volume->GetVolume(), 65535);
    DragThumb(slider, slider->height() - 1);
    EXPECT_EQ(slider->value(), 0);
    EXPECT_EQ(volume->GetVolume(), 0);
}

} // namespace
