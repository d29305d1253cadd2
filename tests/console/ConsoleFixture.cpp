#include "tests/console/ConsoleFixture.h"

#include "console/CDlgChangeAccount.h"
#include "console/CDlgLogin.h"
#include "console/CDlgMessage.h"
#include "console/CDlgPwdSetup.h"
#include "console/CWarrowTrayDlg.h"
#include "console/ConsoleMessageBox.h"
#include "ltl/CIni.h"
#include "net/CMsg.h"
#include "net/PasswordDigest.h"

#include <QApplication>

#include <algorithm>

namespace fs = std::filesystem;

namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override { m_app = std::make_unique<QApplication>(m_argc, m_argv); }
    void TearDown() override { m_app.reset(); }

private:
    int m_argc = 1;
    char m_name[16] = "console_tests";
    char* m_argv[2] = {m_name, nullptr};
    std::unique_ptr<QApplication> m_app;
};

[[maybe_unused]] ::testing::Environment* const s_environment =
    ::testing::AddGlobalTestEnvironment(new QtEnvironment);

} // namespace

std::string Digest(const std::string& password) {
    std::string hex;
    wire::PasswordDigest(password, hex);
    return hex;
}

void ConsoleTest::SetUp() {
    InstallationFolder::SetUp();
    fs::create_directory_symlink(fs::path(std::getenv("WARROW_BINARY_DIR")) / "Resource",
                                 m_folder / "Resource");
    m_runtime = fs::temp_directory_path() / ("wcon-" + std::to_string(::getpid())); // socket paths are short
    fs::remove_all(m_runtime);
    fs::create_directories(m_runtime);
    fs::permissions(m_runtime, fs::perms::owner_all);
    ::setenv("XDG_RUNTIME_DIR", m_runtime.c_str(), 1);
    console::SetMessageBoxScripted(true);
    CDlgLogin::SetAnswerTimeoutMs(CDlgLogin::kAnswerTimeoutMs);
    CWarrowTrayDlg::SetPollIntervalMs(3600000); // tests that want the poll ask for it
    CWarrowTrayDlg::SetTrayAvailableOverride(-1);
    SetServerPort(1); // nothing listens there until a test starts a server
}

void ConsoleTest::TearDown() {
    m_app.reset();
    m_server.reset();
    console::SetMessageBoxScripted(false);
    // An answer a failed test left unused must not answer the next test's dialog.
    CDlgPwdSetup::ClearNextAnswer();
    CDlgChangeAccount::ClearNextAnswer();
    fs::remove_all(m_runtime);
    InstallationFolder::TearDown();
}

void ConsoleTest::StartServer(const std::string& currentVersion, std::vector<std::string> extra) {
    std::vector<std::string> args = {
        "--port", "0", "--db", (m_folder / "accounts.db").string(), "--current-version", currentVersion};
    args.insert(args.end(), extra.begin(), extra.end());
    m_server = std::make_unique<CServerProcess>("WARROW_ACCOUNTD", args);
    ASSERT_NE(m_server->Port(), 0) << m_server->Log();
    SetServerPort(m_server->Port());
}

void ConsoleTest::SetServerPort(unsigned short port) {
    ltl::CIni ini;
    ASSERT_TRUE(ini.Open("Config.ini"));
    ASSERT_TRUE(ini.SetStrings({{"Network", "Ip", "127.0.0.1"}, {"Network", "Port", std::to_string(port)}}));
}

void ConsoleTest::SetConfigInt(const char* section, const char* key, int value) {
    ltl::CIni ini;
    ASSERT_TRUE(ini.Open("Config.ini"));
    ASSERT_TRUE(ini.SetInt(section, key, value));
}

user_login_message::tagAccountInfo ConsoleTest::RegisterAccount() {
    CRawClient client(m_server->Port());
    EXPECT_TRUE(client.Connected());
    client.Send({0x03, 0x00, 0x02});
    const std::vector<unsigned char> head = client.Receive(3);
    user_login_message::CMSG_S2C_REGISTER_ANSWER answer;
    if (head.size() < 3) {
        ADD_FAILURE() << "no register answer";
        return {};
    }
    const unsigned length = (head[0] | head[1] << 8) & 0x7FFF;
    std::vector<unsigned char> frame = head;
    const std::vector<unsigned char> rest = client.Receive(length - head.size());
    frame.insert(frame.end(), rest.begin(), rest.end());
    answer.Unpack(frame.data(), static_cast<unsigned short>(frame.size()), nullptr);
    return answer.Body();
}

void ConsoleTest::StoreAccount(const user_login_message::tagAccountInfo& account,
                               const std::string& parentPassword) {
    CWarrowDBConfig config;
    config.Init(kDataBasePath, kDataBasePassword); // a new database has no record yet
    config.GetInfo().ID = static_cast<int>(account.nAccount);
    config.GetInfo().Password = Digest(account.strPassword);
    config.GetInfo().UserName = account.strUserName;
    config.GetInfo().UserPwd = parentPassword;
    config.GetInfo().Style = 0;
    ASSERT_TRUE(config.Save());
}

tagSystemInfo ConsoleTest::StoredRecord() {
    CWarrowDBConfig config;
    config.Init(kDataBasePath, kDataBasePassword); // without a record: the defaults, ID -1
    return config.GetInfo();
}

CWarrowTrayApp& ConsoleTest::StartConsole() {
    m_app = std::make_unique<CWarrowTrayApp>();
    EXPECT_TRUE(m_app->StartInstance({}));
    m_app->InitInstance();
    return *m_app;
}

bool ConsoleTest::MessageBoxShown(const QString& text) const {
    const auto& shown = console::ShownMessageBoxes();
    return std::find(shown.begin(), shown.end(), text) != shown.end();
}

QString ConsoleTest::NoticeText() const {
    CDlgMessage* notice = CDlgMessage::Instance();
    return notice != nullptr && notice->isVisible() ? notice->Text() : QString();
}
