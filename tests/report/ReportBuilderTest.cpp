#include "ReportTestSupport.h"

#include "report/ReportBuilder.h"

#include <random>

namespace {

using namespace report;
using user_report_message::tagReportRequest;
using ReportBuilderTest = ScratchFolder;

tagReportRequest Fields() {
    tagReportRequest fields;
    fields.nAccount = 4242;
    fields.strDescription = "打开设置时崩溃";
    fields.strProgram = "WarrowTray";
    fields.strLogFile = "crash.Txt";
    return fields;
}

tagCrashLog LogOf(const std::string& bytes) {
    tagCrashLog log;
    log.bRead = true;
    log.nFileSize = bytes.size();
    log.strHead = bytes;
    return log;
}

// Lines that LZARI cannot shrink much: random letters.
std::string RandomLines(std::size_t size) {
    std::mt19937 random(7);
    std::uniform_int_distribution<int> letter(0x21, 0x7E);
    std::string text;
    for (int line = 1; text.size() < size; ++line) {
        text += "line " + std::to_string(line) + ' ';
        for (int i = 0; i < 70; ++i)
            text += static_cast<char>(letter(random));
        text += '\n';
    }
    return text;
}

// Lines like a stack dump: they shrink to a small part.
std::string DumpLines(std::size_t size) {
    std::string text;
    for (int frame = 1; text.size() < size; ++frame)
        text += "  " + std::to_string(frame % 97) + "\t0x00401000\tCWarrowApp::OnTick(int) , 第" +
                std::to_string(frame % 13) + "行\r\n";
    return text;
}

TEST_F(ReportBuilderTest, ASmallLogGoesPlainInTextModeReadingPaddedToItsLength) {
    std::string bytes = "系统信息：Linux\r\n异常代码：EXCEPTION_ACCESS_VIOLATION(0xc0000005)\r\n";
    bytes += std::string(100 - bytes.size() - 2, '.') + "\r\n";
    ASSERT_EQ(bytes.size(), 100u);
    const tagBuiltReport built = BuildReport(Fields(), LogOf(bytes));
    ASSERT_NE(built.pMsg, nullptr);
    EXPECT_EQ(built.nForm, enReportForm::Plain);
    EXPECT_FALSE(built.pMsg->IsCompressed());

    const auto received = Receive(*built.pMsg);
    ASSERT_NE(received, nullptr);
    EXPECT_EQ(received->Body().nAccount, 4242u);
    EXPECT_EQ(received->Body().strDescription, "打开设置时崩溃");
    EXPECT_EQ(received->Body().strProgram, "WarrowTray");
    EXPECT_EQ(received->Body().strLogFile, "crash.Txt");
    ASSERT_EQ(received->Body().pData.size(), 100u);
    EXPECT_EQ(Text(received->Body().pData), ToTextMode(bytes) + std::string(3, '\0'));
}

TEST_F(ReportBuilderTest, ALogLargerThanAFrameGoesCompressedWhole) {
    const std::string bytes = DumpLines(200000);
    const tagBuiltReport built = BuildReport(Fields(), LogOf(bytes));
    ASSERT_NE(built.pMsg, nullptr);
    EXPECT_EQ(built.nForm, enReportForm::Compressed);
    EXPECT_TRUE(built.pMsg->IsCompressed());
    EXPECT_LE(built.pMsg->GetSize(), CMsg::kMaxFrame);
    const auto received = Receive(*built.pMsg);
    ASSERT_NE(received, nullptr);
    const std::string text = ToTextMode(bytes);
    EXPECT_EQ(Text(received->Body().pData), text + std::string(bytes.size() - text.size(), '\0'));
}

TEST_F(ReportBuilderTest, ALogThatDoesNotFitCompressedKeepsItsHeadAndTailAroundAMarkerLine) {
    const std::string bytes = RandomLines(300000);
    const tagBuiltReport built = BuildReport(Fields(), LogOf(bytes));
    ASSERT_NE(built.pMsg, nullptr);
    EXPECT_EQ(built.nForm, enReportForm::Cut);
    EXPECT_LE(built.pMsg->GetSize(), CMsg::kMaxFrame);
    EXPECT_GT(built.pMsg->GetSize(), CMsg::kMaxFrame * 3 / 4) << "the frame is used well";
    const auto received = Receive(*built.pMsg);
    ASSERT_NE(received, nullptr);

    const std::string got = Text(received->Body().pData);
    const std::string marker = OmissionMarker(built.nOmitted);
    const std::size_t at = got.find(marker);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(got.find(marker, at + 1), std::string::npos);
    const std::string head = got.substr(0, at);
    const std::string tail = got.substr(at + marker.size());
    EXPECT_EQ(head.rfind("line 1 ", 0), 0u);
    EXPECT_EQ(bytes.compare(0, head.size(), head), 0) << "the head is the log's start, up to a line end";
    EXPECT_EQ(head.back(), '\n');
    ASSERT_LT(tail.size(), bytes.size());
    EXPECT_EQ(bytes.compare(bytes.size() - tail.size(), tail.size(), tail), 0) << "the tail is the log's end";
    EXPECT_EQ(bytes[bytes.size() - tail.size() - 1], '\n') << "the tail starts a line";
    EXPECT_GT(head.size(), tail.size());
    EXPECT_EQ(head.size() + tail.size() + built.nOmitted, bytes.size());
}

TEST_F(ReportBuilderTest, ALogThatWouldExpandBeyondWhatReceiversAcceptIsCut) {
    // Shrinks to well under a frame, but no receiver expands more than 1 MiB.
    std::string same;
    while (same.size() < 1500000)
        same += "eax=00000000\r\n";
    const tagBuiltReport built = BuildReport(Fields(), LogOf("HEAD\r\n" + same + "TAIL\r\n"));
    ASSERT_NE(built.pMsg, nullptr);
    EXPECT_EQ(built.nForm, enReportForm::Cut);
    const auto received = Receive(*built.pMsg);
    ASSERT_NE(received, nullptr) << "the receiver accepts the frame";
    const std::string got = Text(received->Body().pData);
    EXPECT_LE(got.size(), CMsg::kMaxExpanded);
    EXPECT_EQ(got.rfind("HEAD\n", 0), 0u);
    EXPECT_EQ(got.substr(got.size() - 5), "TAIL\n");
}

TEST_F(ReportBuilderTest, ALogTooLargeToHoldIsSentAsItsHeadAndTail) {
    WriteFile("crash.Txt", "HEAD\n" + RandomLines(kLogWholeLimit + 100000) + "TAIL\n");
    const tagCrashLog log = ReadCrashLog("crash.Txt");
    const tagBuiltReport built = BuildReport(Fields(), log);
    ASSERT_NE(built.pMsg, nullptr);
    EXPECT_EQ(built.nForm, enReportForm::Cut);
    const auto received = Receive(*built.pMsg);
    ASSERT_NE(received, nullptr);
    const std::string got = Text(received->Body().pData);
    EXPECT_EQ(got.rfind("HEAD\nline 1 ", 0), 0u);
    EXPECT_EQ(got.substr(got.size() - 5), "TAIL\n");
    const std::string marker = OmissionMarker(built.nOmitted);
    EXPECT_EQ(got.size() - marker.size() + built.nOmitted, log.nFileSize)
        << "kept and left out make the file";
}

TEST_F(ReportBuilderTest, TextsAreMadeFitForTheWire) {
    tagReportRequest fields = Fields();
    fields.strDescription = std::string("崩溃😀\0x\xFF!", 15);
    fields.strProgram = "Warrow😀";
    tagBuiltReport built = BuildReport(fields, tagCrashLog{});
    ASSERT_NE(built.pMsg, nullptr) << "one emoji does not lose the report";
    auto received = Receive(*built.pMsg);
    ASSERT_NE(received, nullptr);
    EXPECT_EQ(received->Body().strDescription, "崩溃?x?!");
    EXPECT_EQ(received->Body().strProgram, "Warrow?");
    EXPECT_TRUE(received->Body().pData.empty()) << "a log that was not read goes as none";

    // A pasted novel and a log that fills a frame on its own still go out together.
    std::string novel;
    for (int i = 0; i < 20000; ++i)
        novel += "崩";
    fields.strDescription = novel;
    built = BuildReport(fields, LogOf(RandomLines(100000)));
    ASSERT_NE(built.pMsg, nullptr);
    received = Receive(*built.pMsg);
    ASSERT_NE(received, nullptr);
    const std::string& description = received->Body().strDescription;
    EXPECT_LE(description.size(), kMaxDescriptionBytes);
    EXPECT_EQ(description.substr(description.size() - 6), "……");
    EXPECT_EQ(description.substr(0, 9), "崩崩崩");
    EXPECT_EQ(built.nForm, enReportForm::Cut);
}

} // namespace
