// Sending against the reference report server.
#include "ReportTestSupport.h"

#include "net/CSocketReportClient.h"
#include "report/ReportBuilder.h"
#include "report/ReportConnection.h"
#include "tests/server/ServerProcess.h"

#include <chrono>
#include <thread>

namespace {

using namespace user_report_message;

class CAnswerCounter : public IReportMessageHandler {
public:
    void OnReportAnswer(CMSG_S2C_REPORT_ANSWER&) override { ++answers; }
    int answers = 0;
};

using ReportSendTest = ScratchFolder;

TEST_F(ReportSendTest, AConnectionTheServerDroppedIsMadeAgainForTheSend) {
    CServerProcess server("WARROW_REPORTD", {"--port", "0", "--store", "store", "--idle-timeout", "1"});
    ASSERT_NE(server.Port(), 0) << server.Log();
    CSocketReportClient client;
    CAnswerCounter counter;
    client.SetHandler(&counter);
    ASSERT_TRUE(client.Connect("127.0.0.1", server.Port()));
    for (int i = 0; i < 500 && client.IsConnected(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_FALSE(client.IsConnected()) << "the server closes an idle client";

    const report::tagBuiltReport built = report::BuildReport(tagReportRequest{}, report::tagCrashLog{});
    ASSERT_NE(built.pMsg, nullptr);
    EXPECT_TRUE(report::SendReport(client, *built.pMsg, "127.0.0.1", server.Port()));
    for (int i = 0; i < 1000 && counter.answers == 0; ++i) {
        client.ProcessMessages();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(counter.answers, 1);
}

} // namespace
