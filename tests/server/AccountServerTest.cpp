#include "net/CNetClientLogin.h"
#include "net/PasswordDigest.h"
#include "tests/server/ServerProcess.h"

#include <gtest/gtest.h>

#define SQLITE_HAS_CODEC 1
#include <sqlite3.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>

namespace {

using namespace user_login_message;
using Bytes = std::vector<unsigned char>;

// Collects answers on the test's thread, woken by the receive thread.
class CAnswers : public ILoginMessageHandler {
public:
    explicit CAnswers(CNetClientLogin& client) : m_client(client) {
        client.SetHandler(this);
        client.SetWakeup([this] {
            std::lock_guard lock(m_lock);
            m_woken = true;
            m_cv.notify_all();
        });
    }
    void OnLoginAnswer(CMSG_S2C_LOGIN_ANSWER& msg) override { logins.push_back(msg.Body()); }
    void OnRegisterAnswer(CMSG_S2C_REGISTER_ANSWER& msg) override { registers.push_back(msg.Body()); }
    void OnHelpAnswer(CMSG_S2C_HELP_ANSWER&) override { ++helps; }

    // Delivers until `count` answers of all kinds have arrived.
    bool WaitFor(std::size_t count) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (Total() < count) {
            std::unique_lock lock(m_lock);
            if (!m_cv.wait_until(lock, deadline, [this] { return m_woken; }))
                return false;
            m_woken = false;
            lock.unlock();
            m_client.ProcessMessages();
        }
        return true;
    }

    std::vector<tagLoginAnswer> logins;
    std::vector<tagAccountInfo> registers;
    int helps = 0;

private:
    std::size_t Total() const { return logins.size() + registers.size() + static_cast<std::size_t>(helps); }

    CNetClientLogin& m_client;
    std::mutex m_lock;
    std::condition_variable m_cv;
    bool m_woken = false;
};

class AccountServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir = std::filesystem::temp_directory_path() /
              ("warrow-accountd-" + std::to_string(getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(dir);
        std::filesystem::create_directories(dir);
        db = (dir / "accounts.db").string();
    }
    void TearDown() override { std::filesystem::remove_all(dir); }

    std::unique_ptr<CServerProcess> Start(std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"--port", "0", "--db", db, "--current-version", "1_2_3_4"};
        args.insert(args.end(), extra.begin(), extra.end());
        auto server = std::make_unique<CServerProcess>("WARROW_ACCOUNTD", args);
        EXPECT_NE(server->Port(), 0) << server->Log();
        return server;
    }

    // Registers over a connected client and returns the new account.
    static tagAccountInfo Register(CNetClientLogin& client, CAnswers& answers) {
        CMSG_C2S_REGISTER_REQUEST reg;
        EXPECT_TRUE(reg.Send(&client));
        EXPECT_TRUE(answers.WaitFor(answers.registers.size() + 1));
        return answers.registers.empty() ? tagAccountInfo{} : answers.registers.back();
    }

    static bool Login(CNetClientLogin& client, std::uint32_t account, const std::string& digest,
                      std::uint64_t version) {
        CMSG_C2S_LOGIN_REQUEST request;
        request.Body() = {account, digest, version};
        return request.Send(&client);
    }

    std::filesystem::path dir;
    std::string db;
};

TEST_F(AccountServerTest, RegisterThenLoginThenHelp) {
    auto server = Start();
    CNetClientLogin client;
    CAnswers answers(client);
    ASSERT_TRUE(client.Connect("127.0.0.1", server->Port()));

    const tagAccountInfo account = Register(client, answers);
    EXPECT_GE(account.nAccount, 10000u);
    EXPECT_LE(account.nAccount, 99999999u);
    EXPECT_EQ(account.strUserName, std::to_string(account.nAccount));
    EXPECT_EQ(account.strPassword.size(), 8u);
    EXPECT_GT(account.dtDate, 40000.0); // after the year 2009

    std::string digest;
    ASSERT_TRUE(wire::PasswordDigest(account.strPassword, digest));
    const std::uint64_t current = MakeVersion(1, 2, 3, 4);
    ASSERT_TRUE(Login(client, account.nAccount, digest, current));
    ASSERT_TRUE(Login(client, account.nAccount, digest, MakeVersion(1, 2, 3, 3)));
    ASSERT_TRUE(Login(client, account.nAccount, digest, MakeVersion(2, 0, 0, 0)));
    std::string upper = digest;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    ASSERT_TRUE(Login(client, account.nAccount, upper, current));
    ASSERT_TRUE(Login(client, account.nAccount, std::string(32, '0'), current));
    ASSERT_TRUE(Login(client, account.nAccount + 1, digest, current));
    ASSERT_TRUE(answers.WaitFor(7));
    ASSERT_EQ(answers.logins.size(), 6u);
    EXPECT_EQ(answers.logins[0].nResult, LOGIN_ACCEPTED);
    EXPECT_EQ(answers.logins[0].account.nAccount, account.nAccount);
    EXPECT_EQ(answers.logins[0].account.strUserName, account.strUserName);
    EXPECT_EQ(answers.logins[0].account.strPassword, "") << "a login never carries the password";
    EXPECT_EQ(answers.logins[1].nResult, LOGIN_NEW_VERSION);
    EXPECT_EQ(answers.logins[1].account.nAccount, account.nAccount);
    EXPECT_EQ(answers.logins[2].nResult, LOGIN_ACCEPTED);
    EXPECT_EQ(answers.logins[3].nResult, LOGIN_ACCEPTED);
    EXPECT_EQ(answers.logins[4].nResult, LOGIN_REFUSED);
    EXPECT_EQ(answers.logins[5].nResult, LOGIN_REFUSED);

    CMSG_C2S_HELP_REQUEST help;
    help.Body() = {account.nAccount, "parent@example.org", "", "Linux", "孩子的浏览器打不开网页"};
    ASSERT_TRUE(help.Send(&client));
    ASSERT_TRUE(answers.WaitFor(8));
    EXPECT_EQ(answers.helps, 1);
    EXPECT_EQ(server->Stop(), 0);

    // Stored: the digest and the help text, never the plain password.
    sqlite3* handle = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &handle), SQLITE_OK);
    std::string row;
    sqlite3_exec(
        handle,
        "SELECT digest || '|' || ifnull(password, '-') FROM accounts; SELECT question FROM help_requests;",
        [](void* out, int, char** values, char**) {
            *static_cast<std::string*>(out) += std::string(values[0]) + "\n";
            return 0;
        },
        &row, nullptr);
    sqlite3_close(handle);
    EXPECT_EQ(row, digest + "|-\n孩子的浏览器打不开网页\n");
}

TEST_F(AccountServerTest, AccountsSurviveARestart) {
    tagAccountInfo account;
    {
        auto server = Start();
        CNetClientLogin client;
        CAnswers answers(client);
        ASSERT_TRUE(client.Connect("127.0.0.1", server->Port()));
        account = Register(client, answers);
    }
    auto server = Start();
    CNetClientLogin client;
    CAnswers answers(client);
    ASSERT_TRUE(client.Connect("127.0.0.1", server->Port()));
    std::string digest;
    ASSERT_TRUE(wire::PasswordDigest(account.strPassword, digest));
    ASSERT_TRUE(Login(client, account.nAccount, digest, MakeVersion(1, 2, 3, 4)));
    ASSERT_TRUE(answers.WaitFor(1));
    EXPECT_EQ(answers.logins.at(0).nResult, LOGIN_ACCEPTED);
}

TEST_F(AccountServerTest, MalformedFrameClosesOnlyThatClient) {
    auto server = Start();
    CRawClient good(server->Port());
    ASSERT_TRUE(good.Connected());
    const std::vector<Bytes> faults = {
        {0x02, 0x00, 0x00},                            // length below the header
        {0x03, 0x00, 0x07},                            // unknown type
        {0x03, 0x00, 0x01},                            // an answer sent to the server
        {0x05, 0x00, 0x00, 0x01, 0x02},                // login request cut short
        {0x04, 0x80, 0x00, 0x01},                      // compressed block without size
        {0x08, 0x80, 0x00, 0x00, 0x00, 0x00, 0x01, 0}, // announcing 16 MiB
    };
    for (const Bytes& fault : faults) {
        CRawClient bad(server->Port());
        bad.Send(fault);
        EXPECT_TRUE(bad.ClosedByServer());
    }
    good.Send({0x03, 0x00, 0x02});
    const Bytes answer = good.Receive(3);
    ASSERT_GE(answer.size(), 3u);
    EXPECT_EQ(answer[2], 3) << "a register answer";
    EXPECT_EQ(server->Stop(), 0);
    EXPECT_NE(server->Log().find("unknown message type"), std::string::npos);
    EXPECT_NE(server->Log().find("malformed message"), std::string::npos);
}

TEST_F(AccountServerTest, SilentAndSlowClientsTimeOut) {
    auto server = Start({"--idle-timeout", "1", "--frame-timeout", "1"});
    CRawClient silent(server->Port());
    CRawClient slow(server->Port());
    slow.Send({0x30, 0x00, 0x00, 0x39}); // a login request that never completes
    EXPECT_TRUE(silent.ClosedByServer());
    EXPECT_TRUE(slow.ClosedByServer());
    EXPECT_TRUE(server->WaitForLog("idle timeout"));
    EXPECT_TRUE(server->WaitForLog("frame timeout"));
}

TEST_F(AccountServerTest, CommandLineIsCheckedAndExplained) {
    CServerProcess help("WARROW_ACCOUNTD", {"--help"});
    EXPECT_EQ(help.Stop(), 0);
    CServerProcess missing("WARROW_ACCOUNTD", {"--db", db});
    EXPECT_EQ(missing.Stop(), 2);
    EXPECT_NE(missing.Log().find("--port"), std::string::npos);
    CServerProcess badVersion("WARROW_ACCOUNTD", {"--port", "0", "--db", db, "--current-version", "1_2_3"});
    EXPECT_EQ(badVersion.Stop(), 2);
}

} // namespace
