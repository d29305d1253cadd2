// The security page and its dialogs: time control, basic settings, the
// parent-password change, and that the pages' buttons open them.

#include "tests/console/ConsoleFixture.h"

#include "console/CDlgBaseSetup.h"
#include "console/CDlgLogout.h"
#include "console/CDlgPageAuto.h"
#include "console/CDlgPageProtect.h"
#include "console/CDlgPwdSetup.h"
#include "console/CDlgTimeControl.h"
#include "console/CWarrowTrayDlg.h"
#include "console/ConsoleMessageBox.h"
#include "ltl/CIni.h"
#include "shell/PlayTime.h"
#include "skin/CGlazeButton.h"
#include "skin/CGlazeCheckButton.h"
#include "skin/CGlazeEdit.h"
#include "skin/CGlazeTextButton.h"

#include <QApplication>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

namespace {

QString Notice(const char* text) {
    return QStringLiteral("瓦罗提示:\n") + QString::fromUtf8(text);
}

// Config.ini as another program reads it after the console wrote it.
tagConfig StoredConfig() {
    CWarrowControl control;
    EXPECT_TRUE(control.Load());
    return control.GetConfig();
}

} // namespace

class SettingsDialogsTest : public ConsoleTest {
protected:
    CWarrowTrayDlg& StartMain() {
        user_login_message::tagAccountInfo account;
        account.nAccount = 4242;
        account.strUserName = "4242";
        account.strPassword = "secret";
        StoreAccount(account, "parent");
        CWarrowTrayApp& app = StartConsole();
        EXPECT_FALSE(app.IsLoginState());
        return *app.MainWindow();
    }

    tagConfig& ConsoleConfig() { return CWarrowCoreInterface::Get()->GetWRControl()->GetConfig(); }
};

TEST_F(SettingsDialogsTest, TimeControlShowsTheStoredTimesAndClampsWhatIsTyped) {
    SetConfigInt("Time", "PlayTime", 5400000); // 1 h 30 min: no fixed choice
    SetConfigInt("Time", "RestTime", 1800000);
    StartMain();
    CDlgTimeControl dialog;
    ASSERT_TRUE(dialog.OnInitDialog());
    EXPECT_TRUE(dialog.PlayRadio(3)->isChecked());
    EXPECT_EQ(dialog.PlayHours()->text(), QStringLiteral("1"));
    EXPECT_EQ(dialog.PlayMinutes()->text(), QStringLiteral("30"));
    EXPECT_TRUE(dialog.PlayHours()->isEnabled());
    EXPECT_TRUE(dialog.RestRadio(1)->isChecked());
    EXPECT_FALSE(dialog.RestHours()->isEnabled());

    dialog.PlayHours()->setText(QStringLiteral("25"));
    EXPECT_EQ(dialog.PlayHours()->text(), QStringLiteral("23"));
    dialog.PlayHours()->setText(QStringLiteral("22"));
    EXPECT_EQ(dialog.PlayHours()->text(), QStringLiteral("22"));
    dialog.PlayMinutes()->setText(QStringLiteral("75"));
    EXPECT_EQ(dialog.PlayMinutes()->text(), QStringLiteral("59"));

    // Fixed choices lock the fields of their group; "自定义" opens them.
    dialog.PlayRadio(0)->click();
    EXPECT_FALSE(dialog.PlayHours()->isEnabled());
    dialog.RestRadio(3)->click();
    EXPECT_TRUE(dialog.RestHours()->isEnabled());
    EXPECT_TRUE(dialog.RestMinutes()->isEnabled());
}

TEST_F(SettingsDialogsTest, ARefusedTimeChangesNothingInMemoryOrInTheFile) {
    StartMain();
    const tagConfig before = ConsoleConfig();
    CDlgTimeControl dialog;
    ASSERT_TRUE(dialog.OnInitDialog());
    dialog.PlayRadio(3)->click();
    dialog.PlayHours()->setText(QStringLiteral("0"));
    dialog.PlayMinutes()->setText(QStringLiteral("0"));
    dialog.SetButton()->click();
    EXPECT_EQ(NoticeText(), Notice("请输入有效的娱乐时间"));
    EXPECT_NE(dialog.result(), QDialog::Accepted);

    // A valid play time with a refused rest: neither is taken.
    dialog.PlayMinutes()->setText(QStringLiteral("45"));
    dialog.RestRadio(3)->click();
    dialog.RestHours()->clear();
    dialog.RestMinutes()->setText(QStringLiteral("0"));
    dialog.SetButton()->click();
    EXPECT_EQ(NoticeText(), Notice("请输入有效的休息时间"));
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(ConsoleConfig().PlayTime, before.PlayTime);
    EXPECT_EQ(ConsoleConfig().RestTime, before.RestTime);
    EXPECT_EQ(StoredConfig().PlayTime, before.PlayTime);
    EXPECT_EQ(StoredConfig().RestTime, before.RestTime);
}

TEST_F(SettingsDialogsTest, SavedTimesReachConfigIniAndDriveTheShellsPlayAndRest) {
    StartMain();
    CDlgTimeControl dialog;
    ASSERT_TRUE(dialog.OnInitDialog());
    dialog.PlayRadio(3)->click();
    dialog.PlayHours()->setText(QStringLiteral("0"));
    dialog.PlayMinutes()->setText(QStringLiteral("2"));
    dialog.RestRadio(2)->click(); // 10 minutes
    dialog.SetButton()->click();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);

    tagConfig shell = StoredConfig(); // what the shell reads when it starts
    EXPECT_EQ(shell.PlayTime, 120000);
    EXPECT_EQ(shell.RestTime, 600000);
    shell.TimeStyle = 0;
    shell.CountTime = 0;
    int seconds = 0;
    std::optional<enShellView> view;
    while (!view && seconds < 10000) {
        view = TickPlayTime(shell);
        ++seconds;
    }
    EXPECT_EQ(view, enShellView::Rest);
    EXPECT_EQ(seconds, 120);
    seconds = 0;
    view.reset();
    while (!view && seconds < 10000) {
        view = TickPlayTime(shell);
        ++seconds;
    }
    EXPECT_EQ(view, enShellView::Play);
    EXPECT_EQ(seconds, 600);

    // "无限制" is stored as the no-limit value and reads back as that choice.
    CDlgTimeControl again;
    ASSERT_TRUE(again.OnInitDialog());
    EXPECT_TRUE(again.PlayRadio(3)->isChecked());
    again.PlayRadio(0)->click();
    again.SetButton()->click();
    EXPECT_EQ(StoredConfig().PlayTime, -2);
}

TEST_F(SettingsDialogsTest, BasicSettingsRoundTripTheThreeKeysAndCancelKeepsThem) {
    SetConfigInt("Setup", "IsAutoStart", 0);
    SetConfigInt("Setup", "StartStyle", 0);
    SetConfigInt("Setup", "UpdateStyle", 1);
    StartMain();
    {
        CDlgBaseSetup dialog;
        ASSERT_TRUE(dialog.OnInitDialog());
        EXPECT_EQ(dialog.Option(CDlgBaseSetup::AutoStart)->GetCheck(), 0);
        EXPECT_EQ(dialog.Option(CDlgBaseSetup::StartChild)->GetCheck(), 1);
        EXPECT_FALSE(dialog.Option(CDlgBaseSetup::StartParent)->isEnabled()); // no auto-start, no mode
        EXPECT_EQ(dialog.Option(CDlgBaseSetup::UpdateAnnounce)->GetCheck(), 1);

        dialog.Option(CDlgBaseSetup::AutoStart)->click();
        ASSERT_TRUE(dialog.Option(CDlgBaseSetup::StartParent)->isEnabled());
        dialog.Option(CDlgBaseSetup::StartParent)->click();
        EXPECT_EQ(dialog.Option(CDlgBaseSetup::StartChild)->GetCheck(), 0);
        dialog.Option(CDlgBaseSetup::UpdateIgnore)->click();
        EXPECT_EQ(dialog.Option(CDlgBaseSetup::UpdateAnnounce)->GetCheck(), 0);
        EXPECT_EQ(StoredConfig().IsAutoStart, 0); // nothing stored before "设  置"
        dialog.SetButton()->click();
    }
    tagConfig stored = StoredConfig();
    EXPECT_EQ(stored.IsAutoStart, 1);
    EXPECT_EQ(stored.StartStyle, STYLE_PARENT);
    EXPECT_EQ(stored.UpdateStyle, 2);
    {
        CDlgBaseSetup dialog;
        ASSERT_TRUE(dialog.OnInitDialog());
        EXPECT_EQ(dialog.Option(CDlgBaseSetup::AutoStart)->GetCheck(), 1);
        EXPECT_EQ(dialog.Option(CDlgBaseSetup::StartParent)->GetCheck(), 1);
        EXPECT_EQ(dialog.Option(CDlgBaseSetup::UpdateIgnore)->GetCheck(), 1);
        dialog.Option(CDlgBaseSetup::UpdateAuto)->click();
        dialog.Option(CDlgBaseSetup::AutoStart)->click();
        dialog.OnCancel();
    }
    stored = StoredConfig();
    EXPECT_EQ(stored.IsAutoStart, 1);
    EXPECT_EQ(stored.UpdateStyle, 2);
    EXPECT_EQ(ConsoleConfig().UpdateStyle, 2);
}

TEST_F(SettingsDialogsTest, ASaveKeepsThePlayTimeTheShellCountedSinceTheConsoleStarted) {
    SetConfigInt("Time", "TimeStyle", 0);
    SetConfigInt("Time", "CountTime", 0);
    StartMain();
    // The child shell ran meanwhile and counted an hour of play.
    SetConfigInt("Time", "CountTime", 3600000);
    CDlgBaseSetup base;
    ASSERT_TRUE(base.OnInitDialog());
    base.SetButton()->click();
    EXPECT_EQ(StoredConfig().CountTime, 3600000);

    SetConfigInt("Time", "TimeStyle", 1);
    SetConfigInt("Time", "CountTime", 60000);
    CDlgTimeControl times;
    ASSERT_TRUE(times.OnInitDialog());
    times.PlayRadio(1)->click();
    times.SetButton()->click();
    const tagConfig stored = StoredConfig();
    EXPECT_EQ(stored.PlayTime, 7200000);
    EXPECT_EQ(stored.TimeStyle, 1);
    EXPECT_EQ(stored.CountTime, 60000);
}

TEST_F(SettingsDialogsTest, ThePasswordChangeStoresTheNewPasswordOrKeepsTheOldOne) {
    CWarrowTrayDlg& main = StartMain();
    main.SelectPage(4);
    auto* page = static_cast<CDlgPageProtect*>(main.Page(4));
    CDlgPwdSetup::SetNextAnswer(console::IDOK, "new-parent");
    page->PasswordButton()->click();
    EXPECT_EQ(StoredRecord().UserPwd, "new-parent");
    EXPECT_EQ(NoticeText(), Notice("请牢记设置密码"));

    // Cancelled: nothing changes.
    CDlgPwdSetup::SetNextAnswer(console::IDCANCEL, "ignored");
    page->PasswordButton()->click();
    EXPECT_EQ(StoredRecord().UserPwd, "new-parent");

    // A database that refuses the write: the notice says so, and the
    // password the console checks stays the one that is stored.
    ASSERT_TRUE(Db()->Execute("DROP TABLE [System]"));
    CDlgPwdSetup::SetNextAnswer(console::IDOK, "lost");
    page->PasswordButton()->click();
    EXPECT_EQ(NoticeText(), Notice("设置密码失败，请已管理员权限再试"));
    EXPECT_EQ(CWarrowCoreInterface::Get()->GetDBConfig()->GetInfo().UserPwd, "new-parent");
}

TEST_F(SettingsDialogsTest, ThePagesButtonsOpenTheirDialogs) {
    CWarrowTrayDlg& main = StartMain();
    auto* protect = static_cast<CDlgPageProtect*>(main.Page(4));
    auto* smart = static_cast<CDlgPageAuto*>(main.Page(0));
    // Each click opens a modal window; the event loop it runs closes it and
    // says what it was.
    auto opened = [](QAbstractButton* button) {
        QString name;
        QTimer closer;
        QObject::connect(&closer, &QTimer::timeout, [&] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                name = QString::fromUtf8(modal->metaObject()->className()) + QLatin1Char(':') +
                       modal->windowTitle();
                static_cast<QDialog*>(modal)->reject();
            }
        });
        closer.start(10);
        button->click();
        return name;
    };
    EXPECT_EQ(opened(protect->BaseSetupButton()), QStringLiteral("QDialog:基本设置"));
    EXPECT_EQ(opened(protect->TimeControlButton()), QStringLiteral("QDialog:时间控制"));
    EXPECT_EQ(opened(protect->UsageLogButton()), QStringLiteral("QDialog:使 用 记 录"));
    EXPECT_EQ(opened(smart->BaseSetupButton()), QStringLiteral("QDialog:基本设置"));
    EXPECT_EQ(opened(smart->UsageLogButton()), QStringLiteral("QDialog:使 用 记 录"));
    EXPECT_EQ(opened(smart->RequestButton()), QStringLiteral("QDialog:问题反馈"));
    EXPECT_EQ(CDlgLogout::Instance(), nullptr);
}

TEST_F(SettingsDialogsTest, EnterSystemStartsTheChildShellAndHidesTheConsole) {
    CWarrowTrayDlg& main = StartMain();
    CWarrowTrayDlg::SetTrayAvailableOverride(1);
    const std::filesystem::path record = m_folder / "shell-started";
    ::setenv("WARROW_TEST_SHELL_RECORD", record.c_str(), 1);
    static_cast<CDlgPageAuto*>(main.Page(0))->EnterButton()->click();
    // The shell's stand-in writes the folder it was started in.
    QTRY_VERIFY_WITH_TIMEOUT(std::filesystem::exists(record) && std::filesystem::file_size(record) > 0,
                             20000);
    EXPECT_FALSE(main.isVisible());
    ::unsetenv("WARROW_TEST_SHELL_RECORD");
}
