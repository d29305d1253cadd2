// The account server against hostile clients (file store: the limits do not
// depend on the store).

#include "tests/server/AccountTestKit.h"

#include <gtest/gtest.h>

namespace {

using namespace account_test;
namespace fs = std::filesystem;

// Login type, compressed, announcing 1 MiB, seven bytes of code bits.
const Bytes kBomb = {0x0E, 0x80, 0x00, 0x00, 0x00, 0x10, 0x00, 0, 0, 0, 0, 0, 0, 0};

class AccountLimits : public ::testing::Test {
protected:
    void SetUp() override {
        dir = fs::temp_directory_path() / ("warrow-accountd-limits-" + std::to_string(getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    std::unique_ptr<CServerProcess> Start(std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"--port", "0", "--db", (dir / "accounts.db").string()};
        args.insert(args.end(), extra.begin(), extra.end());
        auto server = std::make_unique<CServerProcess>("WARROW_ACCOUNTD", args);
        EXPECT_NE(server->Port(), 0) << server->Log();
        return server;
    }

    // True when a fresh client still gets a register answer.
    static bool Serves(unsigned short port) {
        CRawClient client(port);
        client.Send({0x03, 0x00, 0x02});
        const auto frames = ReceiveFrames(client, 1);
        return frames.size() == 1 && frames[0][2] == CMSG_S2C_REGISTER_ANSWER::kType;
    }

    fs::path dir;
};

TEST_F(AccountLimits, MalformedFramesCloseOnlyThatClient) {
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
        kBomb,
    };
    for (const Bytes& fault : faults) {
        CRawClient bad(server->Port());
        bad.Send(fault);
        EXPECT_TRUE(bad.ClosedByServer());
    }
    good.Send({0x03, 0x00, 0x02});
    const auto frames = ReceiveFrames(good, 1);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0][2], CMSG_S2C_REGISTER_ANSWER::kType);
    EXPECT_EQ(server->Stop(), 0);
    EXPECT_NE(server->Log().find("unknown message type"), std::string::npos);
    EXPECT_NE(server->Log().find("an answer sent to the server"), std::string::npos);
    EXPECT_NE(server->Log().find("malformed message"), std::string::npos);
    EXPECT_EQ(server->CountInLog("compressed request refused"), 3u) << server->Log();
}

// A burst of frames that announce 1 MiB each is refused at its first frame,
// so the connection's later frames are never looked at.
TEST_F(AccountLimits, CompressedBurstIsRefusedAtOnce) {
    auto server = Start();
    CRawClient bad(server->Port());
    Bytes burst;
    for (int i = 0; i < 2000; ++i)
        burst.insert(burst.end(), kBomb.begin(), kBomb.end());
    bad.Send(burst);
    EXPECT_TRUE(bad.ClosedByServer());
    EXPECT_TRUE(Serves(server->Port()));
    EXPECT_EQ(server->Stop(), 0);
    EXPECT_EQ(server->CountInLog("compressed request refused"), 1u);
}

TEST_F(AccountLimits, SilentAndSlowClientsTimeOut) {
    auto server = Start({"--first-byte-timeout", "1", "--frame-timeout", "1", "--idle-timeout", "2"});
    CRawClient silent(server->Port());
    CRawClient slow(server->Port());
    CRawClient idle(server->Port());
    slow.Send({0x30, 0x00, 0x00, 0x39}); // a login request that never completes
    idle.Send({0x03, 0x00, 0x02});
    EXPECT_EQ(ReceiveFrames(idle, 1).size(), 1u);
    EXPECT_TRUE(silent.ClosedByServer());
    EXPECT_TRUE(slow.ClosedByServer());
    EXPECT_TRUE(idle.ClosedByServer());
    EXPECT_TRUE(server->WaitForLog("no request in time"));
    EXPECT_TRUE(server->WaitForLog("frame timeout"));
    EXPECT_TRUE(server->WaitForLog("idle timeout"));
}

TEST_F(AccountLimits, ConnectionsPerAddressAreCapped) {
    auto server = Start({"--max-per-address", "3"});
    std::vector<std::unique_ptr<CRawClient>> held;
    for (int i = 0; i < 3; ++i)
        held.push_back(std::make_unique<CRawClient>(server->Port()));
    ASSERT_TRUE(server->WaitForLog("#3 "));
    CRawClient fourth(server->Port());
    EXPECT_TRUE(fourth.ClosedByServer());
    held.pop_back(); // one slot comes free once the server has seen the close
    ASSERT_TRUE(server->WaitForLog("closed by peer"));
    EXPECT_TRUE(Serves(server->Port()));
    EXPECT_NE(server->Log().find("too many connections from this address"), std::string::npos);
}

TEST_F(AccountLimits, RegistrationsPerAddressAreLimited) {
    auto server = Start({"--registrations-per-minute", "1"});
    CRawClient client(server->Port());
    for (int i = 0; i < 10; ++i)
        client.Send({0x03, 0x00, 0x02});
    EXPECT_EQ(ReceiveFrames(client, 10).size(), 10u) << "a burst of ten is allowed";
    client.Send({0x03, 0x00, 0x02});
    EXPECT_TRUE(client.ClosedByServer());
    EXPECT_FALSE(Serves(server->Port()));
    EXPECT_EQ(server->Stop(), 0);
    EXPECT_EQ(server->CountInLog("too many registrations from this address"), 1u) << server->Log();
    EXPECT_EQ(Query((dir / "accounts.db").string(), "SELECT count(*) FROM accounts;"), "10\n");
}

TEST_F(AccountLimits, AccountTotalIsCapped) {
    auto server = Start({"--max-accounts", "2", "--workers", "1"}); // one worker: its count is exact
    EXPECT_TRUE(Serves(server->Port()));
    EXPECT_TRUE(Serves(server->Port()));
    EXPECT_FALSE(Serves(server->Port()));
    EXPECT_TRUE(server->WaitForLog("no account numbers left"));
}

TEST_F(AccountLimits, HelpRequestsAreCappedAndLimited) {
    auto server = Start({"--help-per-minute", "1"});
    const auto send = [&](const std::string& mail, const std::string& system, const std::string& question) {
        CRawClient client(server->Port());
        CMSG_C2S_HELP_REQUEST help;
        help.Body() = {0, mail, "", system, question};
        client.Send(Packed(help));
        const auto frames = ReceiveFrames(client, 1);
        return frames.size() == 1 && frames[0][2] == CMSG_S2C_HELP_ANSWER::kType;
    };
    EXPECT_TRUE(send(std::string(256, 'm'), std::string(512, 's'), std::string(8192, 'q')));
    EXPECT_FALSE(send(std::string(257, 'm'), "Linux", "?"));
    EXPECT_FALSE(send("a@example.org", std::string(513, 's'), "?"));
    EXPECT_FALSE(send("a@example.org", "Linux", std::string(8193, 'q')));
    for (int i = 0; i < 4; ++i) // the burst of five, one used above
        EXPECT_TRUE(send("a@example.org", "Linux", "?"));
    EXPECT_FALSE(send("a@example.org", "Linux", "?"));
    EXPECT_EQ(server->Stop(), 0);
    EXPECT_EQ(Query((dir / "accounts.db").string(), "SELECT count(*) FROM help_requests;"), "5\n");
    EXPECT_EQ(server->CountInLog("help request too large"), 3u);
}

// A file written by an older version kept a plain password until the answer
// left; opening it wipes every one that an interrupted run left behind.
TEST_F(AccountLimits, OldFilesLoseTheirPlainPasswords) {
    const std::string db = (dir / "accounts.db").string();
    sqlite3* handle = nullptr;
    ASSERT_EQ(sqlite3_open(db.c_str(), &handle), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(handle,
                           "CREATE TABLE accounts(number INTEGER PRIMARY KEY, user_name TEXT NOT NULL,"
                           " digest TEXT NOT NULL, password TEXT, created REAL NOT NULL);"
                           "INSERT INTO accounts VALUES(12345, '12345', 'd', 'plainSecret7', 45000);",
                           nullptr, nullptr, nullptr),
              SQLITE_OK);
    sqlite3_close(handle);
    auto server = Start();
    EXPECT_EQ(server->Stop(), 0);
    EXPECT_EQ(Query(db, "SELECT ifnull(password, '-') FROM accounts;"), "-\n");
    EXPECT_EQ(AllBytesUnder(dir).find("plainSecret7"), std::string::npos);
}

TEST_F(AccountLimits, CommandLineIsCheckedAndExplained) {
    const std::string db = (dir / "accounts.db").string();
    CServerProcess help("WARROW_ACCOUNTD", {"--help"});
    EXPECT_EQ(help.Stop(), 0);
    CServerProcess missing("WARROW_ACCOUNTD", {"--db", db});
    EXPECT_EQ(missing.Stop(), 2);
    EXPECT_NE(missing.Log().find("--port"), std::string::npos);
    CServerProcess badVersion("WARROW_ACCOUNTD", {"--port", "0", "--db", db, "--current-version", "1_2_3"});
    EXPECT_EQ(badVersion.Stop(), 2);
    CServerProcess initFile("WARROW_ACCOUNTD", {"--port", "0", "--db", db, "--init-db"});
    EXPECT_EQ(initFile.Stop(), 2);
    CServerProcess notAFile("WARROW_ACCOUNTD",
                            {"--port", "0", "--db", (dir / "no" / "such" / "x.db").string()});
    EXPECT_EQ(notAFile.Stop(), 2);
    EXPECT_NE(notAFile.Log().find("cannot use the database"), std::string::npos);
}

} // namespace
