// What only the PostgreSQL store has: a connection URI that can be wrong, a
// schema set up by --init-db, and a database server that can go away.

#include "tests/server/AccountTestKit.h"
#include "tests/server/PostgresServer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {

using namespace account_test;

class AccountPostgres : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_postgres = std::make_unique<CPostgresServer>(); }
    static void TearDownTestSuite() { s_postgres.reset(); }
    void SetUp() override {
        if (!s_postgres->Available() && CPostgresServer::Required())
            FAIL() << "no PostgreSQL for this run: " << s_postgres->Why();
        if (!s_postgres->Available())
            GTEST_SKIP() << "no PostgreSQL for this run: " << s_postgres->Why();
        db = s_postgres->NewDatabase();
    }

    static std::unique_ptr<CPostgresServer> s_postgres;
    std::string db;
};

std::unique_ptr<CPostgresServer> AccountPostgres::s_postgres;

TEST_F(AccountPostgres, WrongDatabaseFailsAtStart) {
    CServerProcess malformed("WARROW_ACCOUNTD", {"--port", "0", "--db", "postgresql://user:pw@[::1/x"});
    EXPECT_EQ(malformed.Stop(), 2);
    EXPECT_NE(malformed.Log().find("cannot use the database"), std::string::npos) << malformed.Log();
    EXPECT_EQ(malformed.Log().find(":pw@"), std::string::npos)
        << "the password is not shown" << malformed.Log();

    CServerProcess unreachable(
        "WARROW_ACCOUNTD",
        {"--port", "0", "--db", "postgresql:///nodb?host=/nonexistent-warrow&password=hunter2&user=warrow"});
    EXPECT_EQ(unreachable.Stop(), 2);
    EXPECT_EQ(unreachable.Log().find("hunter2"), std::string::npos)
        << "nor a password in the query" << unreachable.Log();
    EXPECT_NE(unreachable.Log().find("cannot connect"), std::string::npos) << unreachable.Log();

    CServerProcess noSchema("WARROW_ACCOUNTD", {"--port", "0", "--db", db});
    EXPECT_EQ(noSchema.Stop(), 2);
    EXPECT_NE(noSchema.Log().find("--init-db"), std::string::npos) << noSchema.Log();
}

// Logins keep coming while the database stops and starts again: every client
// gets an answer or a clean close, the server stays up, and logins succeed
// again once the database is back.
TEST_F(AccountPostgres, DatabaseRestartUnderLoad) {
    CServerProcess server("WARROW_ACCOUNTD", {"--port", "0", "--db", db, "--init-db"});
    ASSERT_NE(server.Port(), 0) << server.Log();
    const auto accounts = RegisterAtOnce(server.Port(), 1);
    ASSERT_EQ(accounts.size(), 1u);
    const Bytes login = LoginFrame(accounts[0].nAccount, DigestOf(accounts[0].strPassword));

    std::atomic<bool> stop{false};
    std::atomic<int> accepted{0}, closed{0}, garbled{0};
    // Each accepted login is announced, so the test wakes when the count it
    // waits for is reached.
    std::mutex acceptedMutex;
    std::condition_variable acceptedMore;
    std::vector<std::thread> clients;
    for (int t = 0; t < 4; ++t)
        clients.emplace_back([&] {
            while (!stop) {
                CRawClient client(server.Port());
                client.Send(login);
                const auto frames = ReceiveFrames(client, 1);
                if (frames.empty())
                    ++closed;
                else if (frames[0].size() > 7 && frames[0][2] == CMSG_S2C_LOGIN_ANSWER::kType &&
                         frames[0][3] == 0) {
                    {
                        const std::lock_guard<std::mutex> lock(acceptedMutex);
                        ++accepted;
                    }
                    acceptedMore.notify_all();
                } else
                    ++garbled;
            }
        });
    const auto acceptedAtLeast = [&](int n) {
        std::unique_lock<std::mutex> lock(acceptedMutex);
        return acceptedMore.wait_for(lock, std::chrono::seconds(60), [&] { return accepted >= n; });
    };
    EXPECT_TRUE(acceptedAtLeast(20));
    ASSERT_TRUE(s_postgres->Stop());
    EXPECT_TRUE(server.WaitForLog("database unavailable"));
    const int before = accepted;
    ASSERT_TRUE(s_postgres->Start());
    EXPECT_TRUE(acceptedAtLeast(before + 20))
        << "service resumes\n"
        << server.Log().substr(server.Log().size() - std::min<std::size_t>(server.Log().size(), 3000));
    stop = true;
    for (auto& t : clients)
        t.join();
    EXPECT_TRUE(server.Running());
    EXPECT_EQ(garbled, 0);
    EXPECT_GT(closed, 0);
    EXPECT_EQ(server.Stop(), 0);
}

} // namespace
