// The main state: the account check and its answers, the account change,
// the tray, the updater's status and the switch to child mode.

#include "tests/console/ConsoleFixture.h"

#include "console/CDlgChangeAccount.h"
#include "console/CDlgLogo.h"
#include "console/CDlgMessage.h"
#include "console/CDlgPageBase.h"
#include "console/CDlgRequest.h"
#include "console/CWarrowTrayDlg.h"
#include "net/CNetClientLogin.h"
#include "platform/SingleInstance.h"
#include "skin/CGlazeCheckButton.h"
#include "skin/CGlazeEdit.h"
#include "skin/CGlazeStatic.h"
#include "skin/CGlazeTextButton.h"
#include "update/ConsoleStatus.h"

#include <QMenu>
#include <QPlainTextEdit>
#include <QSystemTrayIcon>
#include <QTest>

#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

QString Notice(const char* text) {
    return QStringLiteral("瓦罗提示:\n") + QString::fromUtf8(text);
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

class ConsoleMainTest : public ConsoleTest {
protected:
    void SetUp() override {
        ConsoleTest::SetUp();
        // The updater's stand-in tells how it was started, one line per start.
        std::ofstream(m_folder / "WarrowUpdate") << "#!/bin/sh\necho \"$(pwd) $*\" >> updater-started\n";
        fs::permissions(m_folder / "WarrowUpdate", fs::perms::owner_all);
    }

    // A stored account, a server that knows it, and the console in its main state.
    CWarrowTrayDlg& StartWithAccount(const std::string& currentVersion = "0_0_0_0", int pollMs = 3600000) {
        StartServer(currentVersion);
        m_account = RegisterAccount();
        StoreAccount(m_account, "parent");
        CWarrowTrayDlg::SetPollIntervalMs(pollMs);
        CWarrowTrayApp& app = StartConsole();
        EXPECT_FALSE(app.IsLoginState());
        EXPECT_EQ(app.LoginDialog(), nullptr);
        return *app.MainWindow();
    }

    user_login_message::tagAccountInfo m_account;
};

TEST_F(ConsoleMainTest, AStoredAccountOpensTheMainWindowWhosePollRunsTheAccountCheck) {
    CWarrowTrayDlg& main = StartWithAccount("0_0_0_0", 50);
    EXPECT_TRUE(main.isVisible());
    EXPECT_EQ(main.size(), QSize(672, 510));
    EXPECT_TRUE(main.Logo()->isVisible());
    EXPECT_EQ(main.SelectedPage(), 0);
    EXPECT_EQ(main.PageButton(0)->GetCheck(), 1);
    EXPECT_FALSE(main.PageButton(3)->isEnabled());
    EXPECT_EQ(main.AccountLabel()->GetLabelText(),
              QString::asprintf("账号:%7d", static_cast<int>(m_account.nAccount)));
    EXPECT_EQ(main.VersionLabel()->GetLabelText(), QStringLiteral("1.0.0.0"));
    EXPECT_TRUE(main.ChangeButton()->isVisibleTo(&main));
    EXPECT_FALSE(main.RegisterButton()->isVisibleTo(&main));
    EXPECT_FALSE(main.UpgradeButton()->isEnabled());

    QTRY_COMPARE_WITH_TIMEOUT(NoticeText(), Notice("您的版本已经是最新，感谢对Tavi儿童保护系统的一贯支持"),
                              20000);
    EXPECT_FALSE(main.IsPolling()); // one check per start
}

TEST_F(ConsoleMainTest, PageButtonsSelectTheirPageAndShowTheirNotice) {
    CWarrowTrayDlg& main = StartWithAccount();
    main.PageButton(4)->click();
    EXPECT_EQ(main.SelectedPage(), 4);
    EXPECT_TRUE(main.Page(4)->isVisible());
    EXPECT_FALSE(main.Page(0)->isVisible());
    EXPECT_EQ(main.PageButton(0)->GetCheck(), 0);
    EXPECT_EQ(NoticeText(), Notice("您可以在此设置家长密码、开机进入模式、自动更新、使用时间控制等"));
    main.PageButton(2)->click(); // the browser's button shows the web-tree page
    EXPECT_EQ(main.SelectedPage(), 3);
    EXPECT_EQ(NoticeText(), Notice("您可以自定义访问的网页内容，让您的孩子更安全地上网。"));
}

TEST_F(ConsoleMainTest, ANewVersionWithAutomaticUpdatesStartsTheUpdater) {
    SetConfigInt("Setup", "UpdateStyle", 0);
    StartWithAccount("9_0_0_0", 50);
    QTRY_VERIFY_WITH_TIMEOUT(fs::exists(m_folder / "updater-started"), 20000);
    EXPECT_EQ(ReadAll(m_folder / "updater-started"), m_folder.string() + " [Warrow][1_0_0_0]\n");
    QTRY_COMPARE_WITH_TIMEOUT(NoticeText(), Notice("更新中，请稍后..."), 20000);
}

TEST_F(ConsoleMainTest, ANewVersionWithManualUpdatesEnablesTheUpgradeButtonForOneStart) {
    SetConfigInt("Setup", "UpdateStyle", 1);
    CWarrowTrayDlg& main = StartWithAccount("9_0_0_0", 50);
    QTRY_COMPARE_WITH_TIMEOUT(NoticeText(), Notice("发现新版本，如需更新请点升级按钮！"), 20000);
    EXPECT_TRUE(main.UpgradeButton()->isEnabled());
    EXPECT_FALSE(fs::exists(m_folder / "updater-started"));
    main.UpgradeButton()->click();
    EXPECT_FALSE(main.UpgradeButton()->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(fs::exists(m_folder / "updater-started"), 20000);
    EXPECT_EQ(ReadAll(m_folder / "updater-started"), m_folder.string() + " [Warrow][1_0_0_0]\n");
}

TEST_F(ConsoleMainTest, ANewVersionWithUpdatesOffChangesNothing) {
    SetConfigInt("Setup", "UpdateStyle", 2);
    CWarrowTrayDlg& main = StartWithAccount("9_0_0_0", 50);
    QTRY_VERIFY_WITH_TIMEOUT(!main.IsPolling(), 20000);
    // Answers come in order: once the help answer's notice shows, the login answer was handled.
    user_login_message::CMSG_C2S_HELP_REQUEST help;
    help.Body().strMail = "parent@example.org";
    help.Body().strQuestion = "?";
    ASSERT_TRUE(m_app->SendRequest(help));
    QTRY_COMPARE_WITH_TIMEOUT(
        NoticeText(), Notice("我们会尽快处理您提交的问题，感谢您对Tavi儿童保护系统的一贯支持，谢谢"), 20000);
    EXPECT_FALSE(main.UpgradeButton()->isEnabled());
    EXPECT_FALSE(fs::exists(m_folder / "updater-started"));
}

TEST_F(ConsoleMainTest, AnAcceptedAccountChangeIsStoredAndARefusedOneIsForgotten) {
    CWarrowTrayDlg& main = StartWithAccount();
    const auto second = RegisterAccount();

    CDlgChangeAccount::SetNextAnswer(1, std::to_string(second.nAccount), second.strPassword);
    main.OnChangeAccount();
    EXPECT_TRUE(main.IsChangingAccount());
    QTRY_VERIFY_WITH_TIMEOUT(!main.IsChangingAccount(), 20000);
    EXPECT_EQ(NoticeText(), Notice("您的版本已经是最新，感谢对Tavi儿童保护系统的一贯支持"));
    EXPECT_EQ(StoredRecord().ID, static_cast<int>(second.nAccount));
    EXPECT_EQ(StoredRecord().Password, Digest(second.strPassword));
    EXPECT_EQ(main.AccountLabel()->GetLabelText(),
              QString::asprintf("账号:%7d", static_cast<int>(second.nAccount)));

    CDlgChangeAccount::SetNextAnswer(1, std::to_string(m_account.nAccount), "wrong");
    main.OnChangeAccount();
    QTRY_VERIFY_WITH_TIMEOUT(!main.IsChangingAccount(), 20000);
    EXPECT_EQ(NoticeText(), Notice("您的账号密码不正确，更改账号失败"));
    EXPECT_EQ(StoredRecord().ID, static_cast<int>(second.nAccount));
    // A later save of the record (the protection page's) must not store the refused account.
    const tagSystemInfo& inMemory = CWarrowCoreInterface::Get()->GetDBConfig()->GetInfo();
    EXPECT_EQ(inMemory.ID, static_cast<int>(second.nAccount));
    EXPECT_EQ(inMemory.Password, Digest(second.strPassword));
}

TEST_F(ConsoleMainTest, TheUpdatersStatusArrivesOnTheMailbox) {
    StartWithAccount();
    ASSERT_TRUE(platform::PostToInstance(update::kConsoleTitle, update::kUpdateStatusMessage,
                                         update::UPDATE_STARTED));
    QTRY_COMPARE_WITH_TIMEOUT(NoticeText(), Notice("开始更新"), 20000);
    ASSERT_TRUE(platform::PostToInstance(update::kConsoleTitle, update::kUpdateStatusMessage,
                                         update::UPDATE_FINISHED));
    QTRY_COMPARE_WITH_TIMEOUT(NoticeText(), Notice("更新完成"), 20000);
    ASSERT_TRUE(
        platform::PostToInstance(update::kConsoleTitle, update::kUpdateStatusMessage, update::UPDATE_FAILED));
    QTRY_VERIFY_WITH_TIMEOUT(NoticeText().startsWith(Notice("更新失败，请去官网")), 20000);
    EXPECT_TRUE(NoticeText().endsWith(QStringLiteral("查询最新信息")));
}

TEST_F(ConsoleMainTest, ClosingHidesToTheTrayAndWithoutATrayOnlyMinimises) {
    CWarrowTrayDlg& main = StartWithAccount();
    CWarrowTrayDlg::SetTrayAvailableOverride(1);
    main.close();
    EXPECT_FALSE(main.isVisible());
    EXPECT_FALSE(main.Logo()->isVisible());
    EXPECT_TRUE(main.TrayIcon()->isVisible());
    EXPECT_EQ(main.TrayIcon()->toolTip(), QStringLiteral("Tavi儿童保护系统"));
    ASSERT_EQ(main.TrayMenu()->actions().size(), 3);
    EXPECT_EQ(main.TrayMenu()->actions()[0]->text(), QStringLiteral("显示主界面"));

    main.TrayMenu()->actions()[0]->trigger(); // shows the window, the icon stays
    EXPECT_TRUE(main.isVisible());
    EXPECT_TRUE(main.TrayIcon()->isVisible());
    main.close();
    main.RestoreFromTray(); // the double click
    EXPECT_TRUE(main.isVisible());
    EXPECT_TRUE(main.Logo()->isVisible());
    EXPECT_FALSE(main.TrayIcon()->isVisible());

    CWarrowTrayDlg::SetTrayAvailableOverride(0);
    main.close();
    EXPECT_TRUE(main.isVisible()); // the parent can always find the window again
    EXPECT_TRUE(main.isMinimized());
}

TEST_F(ConsoleMainTest, SwitchingToChildModeStartsTheShellAndHidesTheConsole) {
    CWarrowTrayDlg& main = StartWithAccount();
    CWarrowTrayDlg::SetTrayAvailableOverride(1);
    // The shell's stand-in lies beside this test program, the folder the
    // console starts the other mode from.
    const fs::path record = m_folder / "shell-started";
    ::setenv("WARROW_TEST_SHELL_RECORD", record.c_str(), 1);
    main.SwitchToChildMode();
    QTRY_VERIFY_WITH_TIMEOUT(fs::exists(record), 20000);
    EXPECT_EQ(ReadAll(record), fs::path(WARROW_TEST_SHELL).parent_path().string() + "\n");
    EXPECT_FALSE(main.isVisible());
    EXPECT_TRUE(main.TrayIcon()->isVisible());
    EXPECT_NE(m_app->MainWindow(), nullptr); // the console keeps running
    ::unsetenv("WARROW_TEST_SHELL_RECORD");
}

TEST_F(ConsoleMainTest, AHelpRequestNeedsMailAndQuestionAndTheServersThanksShowAsANotice) {
    StartWithAccount("0_0_0_0", 50);
    QTRY_COMPARE_WITH_TIMEOUT(NoticeText(), Notice("您的版本已经是最新，感谢对Tavi儿童保护系统的一贯支持"),
                              20000);
    CDlgRequest request;
    request.OnInitDialog();
    request.OnOK();
    EXPECT_EQ(NoticeText(), Notice("请输入您的邮箱，方便我们联系到您"));
    request.MailEdit()->setText(QStringLiteral("parent@example.org"));
    request.OnOK();
    EXPECT_EQ(NoticeText(), Notice("请描述您所碰到的问题，我们会尽快予以解决"));
    EXPECT_EQ(request.result(), 0);
    request.QuestionEdit()->setPlainText(QStringLiteral("孩子的游戏打不开"));
    request.OnOK();
    EXPECT_EQ(request.result(), QDialog::Accepted);
    QTRY_COMPARE_WITH_TIMEOUT(
        NoticeText(), Notice("我们会尽快处理您提交的问题，感谢您对Tavi儿童保护系统的一贯支持，谢谢"), 20000);
}
