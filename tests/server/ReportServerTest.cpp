#include "net/CSocketReportClient.h"
#include "tests/server/ServerProcess.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace {

using namespace user_report_message;
namespace fs = std::filesystem;

class CAnswerWaiter : public IReportMessageHandler {
public:
    void OnReportAnswer(CMSG_S2C_REPORT_ANSWER& msg) override { results.push_back(msg.Body().nResult); }
    std::vector<std::uint32_t> results;
};

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class ReportServerTest : public ::testing::Test {
protected:
    void SetUp() override {
        store = fs::temp_directory_path() / ("warrow-reportd-" + std::to_string(getpid()));
        fs::remove_all(store);
    }
    void TearDown() override { fs::remove_all(store); }

    // Sends one report and delivers answers until it is answered.
    bool SendReport(CSocketReportClient& client, CAnswerWaiter& waiter, CMSG_C2S_REPORT_REQUEST& request) {
        const std::size_t before = waiter.results.size();
        if (!request.Send(&client))
            return false;
        for (int i = 0; i < 1000 && waiter.results.size() == before; ++i) {
            client.ProcessMessages();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return waiter.results.size() > before;
    }

    std::vector<fs::path> Reports() const {
        std::vector<fs::path> found;
        for (const auto& entry : fs::directory_iterator(store))
            found.push_back(entry.path());
        std::sort(found.begin(), found.end());
        return found;
    }

    fs::path store;
};

TEST_F(ReportServerTest, StoresEachReportWholeAndAnswersIt) {
    CServerProcess server("WARROW_REPORTD", {"--port", "0", "--store", store.string()});
    ASSERT_NE(server.Port(), 0) << server.Log();
    CSocketReportClient client;
    CAnswerWaiter waiter;
    client.SetHandler(&waiter);
    ASSERT_TRUE(client.Connect("127.0.0.1", server.Port()));

    CMSG_C2S_REPORT_REQUEST report;
    report.Body().nAccount = 12345;
    report.Body().strDescription = "打开设置时崩溃\r\n第二行\x0b\x1b]0;title\x07";
    report.Body().strProgram = "WarrowTray\naccount: 1\x1b[2J"; // cannot forge a line or reach a terminal
    report.Body().strLogFile = "../../crash[2026-03-05( 08.07.09 )].Txt"; // a name, never a path
    report.Body().pData = {'l', 'i', 'n', 'e', '\n', 0, 0xFF};
    ASSERT_TRUE(SendReport(client, waiter, report));

    // A log too large for one plain frame goes compressed.
    CMSG_C2S_REPORT_REQUEST large;
    large.Body().strProgram = "Warrow";
    for (int i = 0; i < 4000; ++i) {
        const std::string line = "frame " + std::to_string(i % 40) + " in function Tick\n";
        large.Body().pData.insert(large.Body().pData.end(), line.begin(), line.end());
    }
    large.SetCompress(true);
    ASSERT_TRUE(SendReport(client, waiter, large));
    EXPECT_EQ(waiter.results, (std::vector<std::uint32_t>{0, 0}));
    EXPECT_EQ(server.Stop(), 0);

    const auto reports = Reports();
    ASSERT_EQ(reports.size(), 2u);
    const std::string meta = ReadAll(reports[0] / "report.txt");
    EXPECT_NE(meta.find("account: 12345\n"), std::string::npos);
    EXPECT_NE(meta.find("program: WarrowTray\\naccount: 1\\x1b[2J\n"), std::string::npos) << meta;
    EXPECT_NE(meta.find("log-file: ../../crash[2026-03-05( 08.07.09 )].Txt\n"), std::string::npos);
    EXPECT_NE(meta.find("\n\n打开设置时崩溃\n第二行\\x0b\\x1b]0;title\\x07\n"), std::string::npos) << meta;
    for (const char control : {'\x1b', '\x0b', '\x07', '\r'})
        EXPECT_EQ(meta.find(control), std::string::npos);
    EXPECT_EQ(server.Log().find('\x1b'), std::string::npos) << "nor into the server's log";
    EXPECT_EQ(server.Log().find("\naccount: 1"), std::string::npos);
    EXPECT_EQ(ReadAll(reports[0] / "log"), std::string("line\n\0\xFF", 7));
    EXPECT_EQ(ReadAll(reports[1] / "log").size(), large.Body().pData.size());
    EXPECT_FALSE(fs::exists(store.parent_path() / "crash[2026-03-05( 08.07.09 )].Txt"));
}

TEST_F(ReportServerTest, AnswersAreNotAcceptedFromClients) {
    CServerProcess server("WARROW_REPORTD", {"--port", "0", "--store", store.string()});
    ASSERT_NE(server.Port(), 0);
    CRawClient raw(server.Port());
    raw.Send({0x07, 0x00, 0x01, 0, 0, 0, 0});
    EXPECT_TRUE(raw.ClosedByServer());
    CRawClient truncated(server.Port());
    truncated.Send({0x0A, 0x00, 0x00, 1, 0, 0, 0, 'a', 0, 'b'}); // texts run out before the log size
    EXPECT_TRUE(truncated.ClosedByServer());
    EXPECT_EQ(server.Stop(), 0);
    EXPECT_TRUE(Reports().empty());
}

} // namespace

namespace {

class ReportLimits : public ::testing::Test {
protected:
    void SetUp() override {
        store = fs::temp_directory_path() / ("warrow-reportd-limits-" + std::to_string(getpid()));
        fs::remove_all(store);
        fs::create_directories(store);
    }
    void TearDown() override { fs::remove_all(store); }

    // One report on a fresh connection: its answer's nResult, or -1 when closed without one.
    static int SendOne(unsigned short port, const std::vector<unsigned char>& log, bool compress = false) {
        CRawClient client(port);
        CMSG_C2S_REPORT_REQUEST report;
        report.Body().strProgram = "Warrow";
        report.Body().pData = log;
        report.SetCompress(compress);
        report.Pack();
        client.Send({report.GetData(), report.GetData() + report.GetSize()});
        const auto answer = client.Receive(7);
        return answer.size() == 7 && answer[2] == CMSG_S2C_REPORT_ANSWER::kType ? answer[3] : -1;
    }

    std::size_t Folders() const {
        std::size_t n = 0;
        for ([[maybe_unused]] const auto& entry : fs::directory_iterator(store))
            ++n;
        return n;
    }

    fs::path store;
};

// A run killed while writing leaves a temporary folder; the next start removes it.
TEST_F(ReportLimits, LeftoversOfAKilledRunAreRemoved) {
    fs::create_directories(store / ".incoming-a1b2c3");
    std::ofstream(store / ".incoming-a1b2c3" / "log") << std::string(512 * 1024, 'x');
    fs::create_directories(store / "report-20260101-000000-1");
    CServerProcess server("WARROW_REPORTD", {"--port", "0", "--store", store.string()});
    ASSERT_NE(server.Port(), 0) << server.Log();
    EXPECT_FALSE(fs::exists(store / ".incoming-a1b2c3"));
    EXPECT_TRUE(fs::exists(store / "report-20260101-000000-1"));
}

// With the quota used up, or the free-space floor reached, a report is
// refused with an answer and a close, nothing is left behind, and the log
// says so once however many are refused.
TEST_F(ReportLimits, AFullStoreRefusesCleanlyAndLogsOnce) {
    for (const std::vector<std::string>& limit : {std::vector<std::string>{"--max-store-mb", "0"},
                                                  std::vector<std::string>{"--min-free-mb", "1073741824"}}) {
        std::vector<std::string> args = {"--port", "0", "--store", store.string()};
        args.insert(args.end(), limit.begin(), limit.end());
        CServerProcess server("WARROW_REPORTD", args);
        ASSERT_NE(server.Port(), 0) << server.Log();
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(SendOne(server.Port(), {'l', 'o', 'g'}), 1);
        EXPECT_EQ(server.Stop(), 0);
        EXPECT_EQ(server.CountInLog("store full"), 1u + 3u) << server.Log(); // one line, and three closes
        EXPECT_EQ(Folders(), 0u);
    }
}

TEST_F(ReportLimits, LogsAndExpansionAreBounded) {
    CServerProcess server("WARROW_REPORTD",
                          {"--port", "0", "--store", store.string(), "--max-log-bytes", "100000"});
    ASSERT_NE(server.Port(), 0) << server.Log();
    EXPECT_EQ(SendOne(server.Port(), std::vector<unsigned char>(100000, 'a'), true), 0);
    EXPECT_EQ(SendOne(server.Port(), std::vector<unsigned char>(100001, 'a'), true), 1);
    // 14 bytes that announce 1 MiB: refused before any expansion.
    CRawClient bomb(server.Port());
    bomb.Send({0x0E, 0x80, 0x00, 0x00, 0x00, 0x10, 0x00, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_TRUE(bomb.ClosedByServer());
    EXPECT_EQ(server.Stop(), 0);
    EXPECT_NE(server.Log().find("compressed body announces too much"), std::string::npos);
    EXPECT_EQ(Folders(), 1u);
}

TEST_F(ReportLimits, ReportsPerAddressAreLimited) {
    CServerProcess server("WARROW_REPORTD",
                          {"--port", "0", "--store", store.string(), "--reports-per-minute", "1"});
    ASSERT_NE(server.Port(), 0) << server.Log();
    for (int i = 0; i < 20; ++i)
        ASSERT_EQ(SendOne(server.Port(), {'x'}), 0);
    EXPECT_EQ(SendOne(server.Port(), {'x'}), -1);
    EXPECT_EQ(SendOne(server.Port(), {'x'}), -1);
    EXPECT_EQ(server.Stop(), 0);
    EXPECT_EQ(server.CountInLog("too many reports from this address"), 1u);
    EXPECT_EQ(Folders(), 20u);
}

} // namespace
