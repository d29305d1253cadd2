// One behavioural suite for the account server, run once on the file store
// and once on PostgreSQL.

#include "tests/server/AccountTestKit.h"
#include "tests/server/PostgresServer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <thread>

namespace {

using namespace account_test;
namespace fs = std::filesystem;

enum class enBackend { File, Postgres };

class AccountBehaviour : public ::testing::TestWithParam<enBackend> {
protected:
    static void TearDownTestSuite() { s_postgres.reset(); }

    void SetUp() override {
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(name.begin(), name.end(), '/', '-');
        dir = fs::temp_directory_path() / ("warrow-accountd-" + std::to_string(getpid()) + "-" + name);
        fs::remove_all(dir);
        fs::create_directories(dir);
        if (GetParam() == enBackend::File) {
            db = (dir / "accounts.db").string();
            storeFolder = dir;
            return;
        }
        if (!s_postgres)
            s_postgres = std::make_unique<CPostgresServer>();
        if (!s_postgres->Available() && CPostgresServer::Required())
            FAIL() << "no PostgreSQL for this run: " << s_postgres->Why();
        if (!s_postgres->Available())
            GTEST_SKIP() << "no PostgreSQL for this run: " << s_postgres->Why();
        db = s_postgres->NewDatabase();
        storeFolder = s_postgres->Folder();
    }
    void TearDown() override { fs::remove_all(dir); }

    std::unique_ptr<CServerProcess> Start(std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"--port", "0", "--db", db, "--current-version", "1_2_3_4"};
        if (GetParam() == enBackend::Postgres)
            args.push_back("--init-db");
        args.insert(args.end(), extra.begin(), extra.end());
        auto server = std::make_unique<CServerProcess>("WARROW_ACCOUNTD", args);
        EXPECT_NE(server->Port(), 0) << server->Log();
        return server;
    }

    // Registers over a connected client and returns the new account.
    static tagAccountInfo Register(CNetClientLogin& client, CAnswers& answers) {
        CMSG_C2S_REGISTER_REQUEST reg;
        EXPECT_TRUE(reg.Send(&client));
        EXPECT_TRUE(answers.WaitFor(answers.logins.size() + answers.registers.size() + 1));
        return answers.registers.empty() ? tagAccountInfo{} : answers.registers.back();
    }

    static bool Login(CNetClientLogin& client, std::uint32_t account, const std::string& digest,
                      std::uint64_t version) {
        CMSG_C2S_LOGIN_REQUEST request;
        request.Body() = {account, digest, version};
        return request.Send(&client);
    }

    static std::unique_ptr<CPostgresServer> s_postgres;
    fs::path dir;
    fs::path storeFolder; // every file the store writes is below it
    std::string db;
};

std::unique_ptr<CPostgresServer> AccountBehaviour::s_postgres;

TEST_P(AccountBehaviour, RegisterThenLoginThenHelp) {
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

    const std::string digest = DigestOf(account.strPassword);
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
    EXPECT_DOUBLE_EQ(answers.logins[0].account.dtDate, account.dtDate);
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
    CMSG_C2S_HELP_REQUEST stray; // a number that names no account is not kept
    stray.Body() = {account.nAccount + 1, "other@example.org", "", "Linux", "?"};
    ASSERT_TRUE(stray.Send(&client));
    ASSERT_TRUE(answers.WaitFor(9));
    EXPECT_EQ(answers.helps, 2);
    EXPECT_EQ(server->Stop(), 0);

    EXPECT_EQ(Query(db, "SELECT digest FROM accounts;"), digest + "\n");
    EXPECT_EQ(Query(db, "SELECT question FROM help_requests ORDER BY id;"), "孩子的浏览器打不开网页\n?\n");
    EXPECT_EQ(Query(db, "SELECT account FROM help_requests ORDER BY id;"),
              std::to_string(account.nAccount) + "\n0\n");
}

// The console sends one request at a time, but nothing stops a client from
// sending several at once: the answers still come back in request order.
TEST_P(AccountBehaviour, AnswersFollowRequestOrder) {
    auto server = Start();
    CRawClient client(server->Port());
    CMSG_C2S_HELP_REQUEST help;
    help.Body() = {0, "a@example.org", "", "Linux", "?"};
    Bytes burst;
    for (const Bytes& frame : {LoginFrame(1, std::string(32, 'a')), Bytes{0x03, 0x00, 0x02}, Packed(help),
                               LoginFrame(2, std::string(32, 'b')), Bytes{0x03, 0x00, 0x02}})
        burst.insert(burst.end(), frame.begin(), frame.end());
    client.Send(burst);
    const auto frames = ReceiveFrames(client, 5);
    std::vector<int> types;
    for (const Bytes& f : frames)
        types.push_back(f[2]);
    EXPECT_EQ(types, (std::vector<int>{1, 3, 5, 1, 3}));
}

TEST_P(AccountBehaviour, AccountsSurviveARestart) {
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
    ASSERT_TRUE(Login(client, account.nAccount, DigestOf(account.strPassword), MakeVersion(1, 2, 3, 4)));
    ASSERT_TRUE(answers.WaitFor(1));
    EXPECT_EQ(answers.logins.at(0).nResult, LOGIN_ACCEPTED);
}

// Two servers on one store, as behind a balancer: an account registered on
// one logs in on the other at once, and numbers handed out at the same time
// by both never collide.
TEST_P(AccountBehaviour, TwoServersShareOneStore) {
    const std::vector<std::string> open = {"--registrations-per-minute", "0", "--max-per-address", "2000"};
    auto a = Start(open);
    auto b = Start(open);
    CNetClientLogin onA, onB;
    CAnswers answersA(onA), answersB(onB);
    ASSERT_TRUE(onA.Connect("127.0.0.1", a->Port()));
    ASSERT_TRUE(onB.Connect("127.0.0.1", b->Port()));
    const tagAccountInfo account = Register(onA, answersA);
    ASSERT_TRUE(Login(onB, account.nAccount, DigestOf(account.strPassword), MakeVersion(1, 2, 3, 4)));
    ASSERT_TRUE(answersB.WaitFor(1));
    EXPECT_EQ(answersB.logins.at(0).nResult, LOGIN_ACCEPTED);

    std::vector<tagAccountInfo> fromA, fromB;
    std::thread other([&] { fromB = RegisterAtOnce(b->Port(), 500); });
    fromA = RegisterAtOnce(a->Port(), 500);
    other.join();
    EXPECT_EQ(fromA.size(), 500u) << a->Log();
    EXPECT_EQ(fromB.size(), 500u) << b->Log();
    std::set<std::uint32_t> numbers;
    for (const auto* list : {&fromA, &fromB})
        for (const auto& info : *list)
            numbers.insert(info.nAccount);
    EXPECT_EQ(numbers.size(), 1000u);
    EXPECT_FALSE(numbers.contains(account.nAccount));
    EXPECT_EQ(Query(db, "SELECT count(*) FROM accounts;"), "1001\n");
}

// The plain password leaves the server only in the register answer: no file
// of the store holds it, not even after the server was killed mid-run.
TEST_P(AccountBehaviour, PlainPasswordsNeverReachTheStore) {
    auto server = Start({"--registrations-per-minute", "0", "--max-per-address", "1000"});
    const auto accounts = RegisterAtOnce(server->Port(), 200);
    ASSERT_EQ(accounts.size(), 200u);
    server->Kill();
    const std::string bytes = AllBytesUnder(storeFolder);
    ASSERT_FALSE(bytes.empty());
    std::size_t passwords = 0, digests = 0;
    for (const auto& account : accounts) {
        passwords += bytes.find(account.strPassword) != std::string::npos ? 1 : 0;
        digests += bytes.find(DigestOf(account.strPassword)) != std::string::npos ? 1 : 0;
    }
    EXPECT_EQ(passwords, 0u);
    // The scan does see the store: the digests are there (a few may straddle
    // a page header of the database's write-ahead log).
    EXPECT_GT(digests, accounts.size() / 2);
}

// Guessing is throttled per account: after the burst of wrong logins even the
// right password is refused for a while, and other accounts are unaffected.
TEST_P(AccountBehaviour, WrongLoginsAreThrottled) {
    auto server = Start({"--failures-per-minute", "1"});
    CNetClientLogin client;
    CAnswers answers(client);
    ASSERT_TRUE(client.Connect("127.0.0.1", server->Port()));
    const tagAccountInfo target = Register(client, answers);
    const tagAccountInfo other = Register(client, answers);
    for (int i = 0; i < 12; ++i)
        ASSERT_TRUE(Login(client, target.nAccount, std::string(32, 'f'), 0));
    ASSERT_TRUE(Login(client, target.nAccount, DigestOf(target.strPassword), 0));
    ASSERT_TRUE(Login(client, other.nAccount, DigestOf(other.strPassword), MakeVersion(1, 2, 3, 4)));
    ASSERT_TRUE(answers.WaitFor(2 + 14));
    EXPECT_EQ(answers.logins.at(12).nResult, LOGIN_REFUSED) << "throttled";
    EXPECT_EQ(answers.logins.at(13).nResult, LOGIN_ACCEPTED);
    EXPECT_EQ(server->Stop(), 0);
    EXPECT_EQ(server->CountInLog("wrong logins throttled"), 1u) << server->Log();
}

INSTANTIATE_TEST_SUITE_P(Backends, AccountBehaviour, ::testing::Values(enBackend::File, enBackend::Postgres),
                         [](const auto& info) {
                             return info.param == enBackend::File ? "file" : "postgresql";
                         });

} // namespace
