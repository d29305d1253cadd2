// The first run: the login state against a real account server.

#include "tests/console/ConsoleFixture.h"

#include "console/AccountFile.h"
#include "console/CDlgLogin.h"
#include "console/CDlgPwdSetup.h"
#include "console/CWarrowTrayDlg.h"
#include "console/ConsoleMessageBox.h"
#include "net/CNetClientLogin.h"
#include "net/GbkText.h"
#include "skin/CGlazeButton.h"
#include "skin/CGlazeEdit.h"
#include "skin/CGlazeTextButton.h"

#include <QTcpServer>
#include <QTest>

#include <fstream>
#include <iterator>
#include <sys/stat.h>

namespace {

std::string FileBytes(const char* path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Gbk(const char* utf8) {
    std::string out;
    wire::Utf8ToGbk(utf8, out);
    return out;
}

void Type(CDlgLogin& login, const std::string& account, const std::string& password) {
    login.Fields().accountEdit->setText(QString::fromStdString(account));
    login.Fields().passwordEdit->setText(QString::fromStdString(password));
}

} // namespace

TEST_F(ConsoleTest, FirstRunRegistersLogsInSetsTheParentPasswordAndStoresTheAccount) {
    StartServer("9_0_0_0"); // the login is answered with code 2, which the login state takes as 0
    CWarrowTrayApp& app = StartConsole();
    ASSERT_TRUE(app.IsLoginState());
    CDlgLogin* login = app.LoginDialog();
    ASSERT_NE(login, nullptr);
    EXPECT_TRUE(login->isVisible());
    EXPECT_EQ(app.MainWindow(), nullptr);
    ASSERT_NE(app.NetClient(), nullptr);
    EXPECT_TRUE(app.NetClient()->IsConnected());

    // A new account fills both fields and lands in the account file.
    login->OnRegister();
    EXPECT_FALSE(login->RegisterButton()->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(!login->Fields().passwordEdit->text().isEmpty(), 20000);
    QTRY_VERIFY_WITH_TIMEOUT(MessageBoxShown(QStringLiteral("账号和密码已经保存到软件安装目录，感谢使用！")),
                             20000);
    const std::string number = login->Fields().accountEdit->text().toStdString();
    const std::string password = login->Fields().passwordEdit->text().toStdString();
    ASSERT_FALSE(number.empty());
    const std::string expected = Gbk("账号：") + number + " \n" + std::string(1, '\0') + Gbk("密码: ") +
                                 password + std::string(1, '\0');
    EXPECT_EQ(FileBytes(console::kAccountFileName), expected);
    struct stat info {};
    ASSERT_EQ(::stat(console::kAccountFileName, &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
    EXPECT_EQ(StoredRecord().ID, -1); // nothing stored before the login

    // Logging in with it asks for the parent password, stores all and opens the main window.
    CDlgPwdSetup::SetNextAnswer(1, "parent-1");
    login->OnNext();
    QTRY_VERIFY_WITH_TIMEOUT(!app.IsLoginState(), 20000);
    EXPECT_TRUE(MessageBoxShown(QStringLiteral("请牢记家长密码")));
    EXPECT_FALSE(login->isVisible());
    ASSERT_NE(app.MainWindow(), nullptr);
    EXPECT_TRUE(app.MainWindow()->isVisible());
    EXPECT_FALSE(app.NetClient() != nullptr && app.NetClient()->IsConnected()); // the main state closes it

    const tagSystemInfo stored = StoredRecord();
    EXPECT_EQ(stored.ID, std::stoi(number));
    EXPECT_EQ(stored.Password, Digest(password));
    EXPECT_EQ(stored.UserName, number);
    EXPECT_EQ(stored.UserPwd, "parent-1");
    EXPECT_EQ(stored.Style, 0);
}

TEST_F(ConsoleTest, ARefusedLoginOrACancelledPasswordLeavesTheRecordUnsaved) {
    StartServer();
    const auto account = RegisterAccount();
    CWarrowTrayApp& app = StartConsole();
    CDlgLogin* login = app.LoginDialog();

    Type(*login, std::to_string(account.nAccount), "not-the-password");
    login->OnNext();
    EXPECT_FALSE(login->NextButton()->isEnabled()); // waiting for the answer
    QTRY_VERIFY_WITH_TIMEOUT(MessageBoxShown(QStringLiteral("账号或密码输入错误，请核对后输入")), 20000);
    EXPECT_TRUE(login->NextButton()->isEnabled());
    EXPECT_FALSE(login->IsWaitingForAnswer());
    EXPECT_TRUE(app.IsLoginState());

    // Accepted, but the parent cancels the password: still nothing stored.
    std::string typed = std::to_string(account.nAccount);
    if (typed.size() < 8) {
        typed = "0" + typed; // a leading zero vanishes
    }
    Type(*login, typed, account.strPassword);
    CDlgPwdSetup::SetNextAnswer(2, "");
    login->OnNext();
    QTRY_VERIFY_WITH_TIMEOUT(login->NextButton()->isEnabled(), 20000);
    EXPECT_TRUE(app.IsLoginState());
    EXPECT_EQ(StoredRecord().ID, -1);
    EXPECT_EQ(CWarrowCoreInterface::Get()->GetDBConfig()->GetInfo().ID, static_cast<int>(account.nAccount));
}

TEST_F(ConsoleTest, EmptyEntriesAreRefusedBeforeAnythingIsSent) {
    StartServer();
    CWarrowTrayApp& app = StartConsole();
    CDlgLogin* login = app.LoginDialog();
    login->OnNext();
    Type(*login, "12345", "");
    login->OnNext();
    EXPECT_EQ(console::ShownMessageBoxes(),
              (std::vector<QString>{QStringLiteral("请输入Tavi号"), QStringLiteral("请输入密码")}));
    EXPECT_TRUE(login->NextButton()->isEnabled());
    EXPECT_FALSE(login->IsWaitingForAnswer());
}

TEST_F(ConsoleTest, AServerThatNeverAnswersEndsInTheAnswerTimeout) {
    QTcpServer silent; // accepts connections, never says a word
    ASSERT_TRUE(silent.listen(QHostAddress::LocalHost));
    SetServerPort(silent.serverPort());
    CDlgLogin::SetAnswerTimeoutMs(300);
    CWarrowTrayApp& app = StartConsole();
    CDlgLogin* login = app.LoginDialog();
    ASSERT_TRUE(app.NetClient() != nullptr && app.NetClient()->IsConnected());

    Type(*login, "12345", "secret");
    login->OnNext();
    EXPECT_TRUE(login->IsWaitingForAnswer());
    QTRY_VERIFY_WITH_TIMEOUT(MessageBoxShown(QStringLiteral("无法连接，请联系客服，给您带来的不便深表歉意")),
                             20000);
    EXPECT_TRUE(login->NextButton()->isEnabled());
    EXPECT_FALSE(app.NetClient() != nullptr && app.NetClient()->IsConnected());
}

TEST_F(ConsoleTest, WithoutAServerTheLoginSaysSoAtOnceInsteadOfWaiting) {
    CWarrowTrayApp& app = StartConsole(); // port 1: refused
    EXPECT_EQ(app.NetClient(), nullptr);
    CDlgLogin* login = app.LoginDialog();
    Type(*login, "12345", "secret");
    login->OnNext();
    EXPECT_TRUE(MessageBoxShown(QStringLiteral("无法连接，请联系客服，给您带来的不便深表歉意")));
    EXPECT_FALSE(login->IsWaitingForAnswer());
    EXPECT_TRUE(login->NextButton()->isEnabled());

    login->OnRegister();
    EXPECT_TRUE(login->RegisterButton()->isEnabled()); // nothing went out: the parent may try again
}

TEST_F(ConsoleTest, AConnectionTheServerDroppedWhileTheParentTypedIsMadeAgainForTheLogin) {
    StartServer("0_0_0_0", {"--idle-timeout", "1"});
    const auto account = RegisterAccount();
    CWarrowTrayApp& app = StartConsole();
    ASSERT_NE(app.NetClient(), nullptr);
    QTRY_VERIFY_WITH_TIMEOUT(!app.NetClient()->IsConnected(), 30000); // the server ended the idle connection

    Type(*app.LoginDialog(), std::to_string(account.nAccount), account.strPassword);
    CDlgPwdSetup::SetNextAnswer(1, "parent-2");
    app.LoginDialog()->OnNext();
    QTRY_VERIFY_WITH_TIMEOUT(!app.IsLoginState(), 20000);
    EXPECT_EQ(StoredRecord().ID, static_cast<int>(account.nAccount));
}

TEST_F(ConsoleTest, ClosingTheLoginAsksFirst) {
    CWarrowTrayApp& app = StartConsole();
    console::PushMessageBoxAnswer(console::IDCANCEL);
    app.LoginDialog()->OnCancel(); // Escape
    EXPECT_TRUE(MessageBoxShown(QStringLiteral("请问真的要退出该系统吗？")));
    // OK ends the loop: the console's exit status comes back from exec().
    QTimer::singleShot(0, app.LoginDialog(), [&app] {
        console::PushMessageBoxAnswer(console::IDOK);
        app.LoginDialog()->OnCancel();
    });
    QTimer guard;
    QObject::connect(&guard, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    guard.start(20000);
    EXPECT_EQ(QCoreApplication::exec(), 0);
}
