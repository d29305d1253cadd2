// The built reports against the reference report server.
#include "ReportTestSupport.h"

#include "net/CSocketReportClient.h"
#include "report/ReportBuilder.h"
#include "report/ReportConnection.h"
#include "tests/server/ServerProcess.h"

#include <algorithm>
#include <chrono>
#include <sstream>
#include <thread>

namespace {

using namespace report;
using namespace user_report_message;
namespace fs = std::filesystem;

class CAnswerCounter : public IReportMessageHandler {
public:
    void OnReportAnswer(CMSG_S2C_REPORT_ANSWER& msg) override { results.push_back(msg.Body().nResult); }
    std::vector<std::uint32_t> results;
};

class ReportSendTest : public ScratchFolder {
protected:
    void SetUp() override {
        ScratchFolder::SetUp();
        m_client.SetHandler(&m_answers);
    }

    // Delivers messages until `count` answers arrived or 10 s passed.
    bool WaitForAnswers(std::size_t count) {
        for (int i = 0; i < 1000 && m_answers.results.size() < count; ++i) {
            m_client.ProcessMessages();
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return m_answers.results.size() >= count;
    }

    std::vector<std::string> StoredLogs() const {
        std::vector<fs::path> folders;
        for (const auto& entry : fs::directory_iterator("store"))
            folders.push_back(entry.path());
        std::sort(folders.begin(), folders.end());
        std::vector<std::string> logs;
        for (const auto& folder : folders) {
            std::ifstream in(folder / "log", std::ios::binary);
            std::ostringstream bytes;
            bytes << in.rdbuf();
            logs.push_back(bytes.str());
        }
        return logs;
    }

    CSocketReportClient m_client;
    CAnswerCounter m_answers;
};

std::string Lines(std::size_t size, bool random) {
    std::string text;
    unsigned seed = 1;
    for (int n = 1; text.size() < size; ++n) {
        text += "frame " + std::to_string(n % 50) + " CWarrowApp::OnTick\t";
        for (int i = 0; random && i < 60; ++i) {
            seed = seed * 1103515245 + 12345;
            text += static_cast<char>('!' + (seed >> 16) % 90);
        }
        text += "\r\n";
    }
    return text;
}

TEST_F(ReportSendTest, EachFormIsStoredAsBuilt) {
    CServerProcess server("WARROW_REPORTD", {"--port", "0", "--store", "store"});
    ASSERT_NE(server.Port(), 0) << server.Log();
    ASSERT_TRUE(m_client.Connect("127.0.0.1", server.Port()));

    std::vector<std::string> sent;
    for (const std::size_t size : {std::size_t{2000}, std::size_t{150000}, std::size_t{400000}}) {
        WriteFile("crash.Txt", Lines(size, size > 200000));
        tagReportRequest fields;
        fields.strLogFile = "crash.Txt";
        const tagBuiltReport built = BuildReport(fields, ReadCrashLog("crash.Txt"));
        ASSERT_NE(built.pMsg, nullptr);
        ASSERT_TRUE(SendReport(m_client, *built.pMsg, "127.0.0.1", server.Port()));
        sent.push_back(Text(built.pMsg->Body().pData));
    }
    ASSERT_TRUE(WaitForAnswers(3));
    EXPECT_EQ(m_answers.results, (std::vector<std::uint32_t>{0, 0, 0}));
    EXPECT_EQ(server.Stop(), 0);
    EXPECT_EQ(StoredLogs(), sent);
}

TEST_F(ReportSendTest, AConnectionTheServerDroppedIsMadeAgainForTheSend) {
    CServerProcess server("WARROW_REPORTD", {"--port", "0", "--store", "store", "--idle-timeout", "1"});
    ASSERT_NE(server.Port(), 0) << server.Log();
    ASSERT_TRUE(m_client.Connect("127.0.0.1", server.Port()));
    for (int i = 0; i < 500 && m_client.IsConnected(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_FALSE(m_client.IsConnected()) << "the server closes an idle client";

    const tagBuiltReport built = BuildReport(tagReportRequest{}, tagCrashLog{});
    ASSERT_NE(built.pMsg, nullptr);
    EXPECT_TRUE(SendReport(m_client, *built.pMsg, "127.0.0.1", server.Port()));
    EXPECT_TRUE(WaitForAnswers(1));
}

} // namespace
