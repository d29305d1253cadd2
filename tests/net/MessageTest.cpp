#include "ltl/LZARI.h"
#include "net/FrameCutter.h"
#include "net/INetClient.h"
#include "net/NetException.h"
#include "net/UserLoginMessage.h"
#include "net/UserReportMessage.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

using namespace user_login_message;
using namespace user_report_message;
using Bytes = std::vector<unsigned char>;

Bytes Frame(CMsg& msg) {
    EXPECT_TRUE(msg.Pack());
    return {msg.GetData(), msg.GetData() + msg.GetSize()};
}

// Decodes a frame as the receive loop does: factory by type, then Unpack.
template <class T> std::unique_ptr<T> Receive(const Bytes& frame, CMsg* (*create)(unsigned char)) {
    const wire::tagFrameCut cut = wire::CutFrame(frame.data(), frame.size());
    EXPECT_EQ(cut.state, wire::enFrameState::Complete);
    std::unique_ptr<CMsg> msg(create(cut.type));
    EXPECT_NE(dynamic_cast<T*>(msg.get()), nullptr);
    msg->Unpack(frame.data(), cut.length, nullptr);
    return std::unique_ptr<T>(static_cast<T*>(msg.release()));
}

Bytes WithHeader(Bytes body, std::uint8_t type, bool compressed = false) {
    const auto length = static_cast<std::uint16_t>((body.size() + 3) | (compressed ? 0x8000 : 0));
    body.insert(body.begin(),
                {static_cast<unsigned char>(length & 0xFF), static_cast<unsigned char>(length >> 8), type});
    return body;
}

class CRecordingClient : public INetClient {
public:
    bool Send(const char* data, int size) override {
        sent.assign(data, data + size);
        return true;
    }
    Bytes sent;
};

TEST(MessageTest, LoginRequestFrameIsByteExact) {
    CMSG_C2S_LOGIN_REQUEST msg;
    msg.Body().nAccount = 12345;
    msg.Body().strPassword = "0123456789abcdef0123456789abcdef";
    msg.Body().nVersion = MakeVersion(1, 2, 3, 4);
    CRecordingClient client;
    ASSERT_TRUE(msg.Send(&client));
    const Bytes& f = client.sent;
    ASSERT_EQ(f.size(), 48u);
    EXPECT_EQ(Bytes(f.begin(), f.begin() + 7), (Bytes{0x30, 0x00, 0x00, 0x39, 0x30, 0x00, 0x00}));
    EXPECT_EQ(f[7 + 32], 0);
    EXPECT_EQ(Bytes(f.end() - 8, f.end()), (Bytes{4, 0, 3, 0, 2, 0, 1, 0}));
    EXPECT_FALSE(msg.Send(nullptr));

    auto back = Receive<CMSG_C2S_LOGIN_REQUEST>(f, CreateLoginMessage);
    EXPECT_EQ(back->Body().nAccount, 12345u);
    EXPECT_EQ(back->Body().strPassword, msg.Body().strPassword);
    EXPECT_EQ(back->Body().nVersion, MakeVersion(1, 2, 3, 4));
    EXPECT_FALSE(back->IsCompressed());
}

TEST(MessageTest, BodylessMessagesAreThreeBytes) {
    CMSG_C2S_REGISTER_REQUEST reg;
    EXPECT_EQ(Frame(reg), (Bytes{0x03, 0x00, 0x02}));
    CMSG_S2C_HELP_ANSWER help;
    EXPECT_EQ(Frame(help), (Bytes{0x03, 0x00, 0x05}));
    auto back = Receive<CMSG_S2C_HELP_ANSWER>({0x03, 0x00, 0x05}, CreateLoginMessage);
    EXPECT_EQ(back->GetLength(), 3);
}

TEST(MessageTest, LoginAnswerCarriesTheAccountUnlessRefused) {
    CMSG_S2C_LOGIN_ANSWER refused;
    refused.Body().nResult = LOGIN_REFUSED;
    refused.Body().account.strUserName = "ignored";
    EXPECT_EQ(Frame(refused), (Bytes{0x07, 0x00, 0x01, 0x01, 0x00, 0x00, 0x00}));

    CMSG_S2C_LOGIN_ANSWER newer;
    newer.Body().nResult = LOGIN_NEW_VERSION;
    newer.Body().account = {12345678, "12345678", 7, 45000.5, 99, "never sent here"};
    const Bytes f = Frame(newer);
    EXPECT_EQ(f.size(), 3u + 4 + 4 + 9 + 4 + 8 + 8);
    auto back = Receive<CMSG_S2C_LOGIN_ANSWER>(f, CreateLoginMessage);
    EXPECT_EQ(back->Body().nResult, LOGIN_NEW_VERSION);
    EXPECT_EQ(back->Body().account.nAccount, 12345678u);
    EXPECT_EQ(back->Body().account.strUserName, "12345678");
    EXPECT_EQ(back->Body().account.dtDate, 45000.5);
    EXPECT_EQ(back->Body().account.nValue64, 99u);
    EXPECT_EQ(back->Body().account.strPassword, "");

    // Accepted but cut short after the result: malformed.
    EXPECT_THROW(Receive<CMSG_S2C_LOGIN_ANSWER>(WithHeader({0, 0, 0, 0, 1, 2}, 1), CreateLoginMessage),
                 datastream_exception);
}

TEST(MessageTest, RegisterAnswerAndHelpRequestRoundTripWithChineseTexts) {
    CMSG_S2C_REGISTER_ANSWER reg;
    reg.Body() = {54321, "54321", 0, 0.0, 0, "密码Ab3"};
    auto regBack = Receive<CMSG_S2C_REGISTER_ANSWER>(Frame(reg), CreateLoginMessage);
    EXPECT_EQ(regBack->Body().strPassword, "密码Ab3");
    EXPECT_EQ(regBack->Body().strUserName, "54321");

    CMSG_C2S_HELP_REQUEST help;
    help.Body() = {54321, "parent@example.org", "", "Linux Debian 12", "浏览器打不开网页"};
    const Bytes f = Frame(help);
    auto back = Receive<CMSG_C2S_HELP_REQUEST>(f, CreateLoginMessage);
    EXPECT_EQ(back->Body().strQuestion, "浏览器打不开网页");
    EXPECT_EQ(back->Body().strSystem, "Linux Debian 12");
    // Extra bytes after the last field are ignored.
    Bytes longer(f.begin() + 3, f.end());
    longer.push_back(0xEE);
    EXPECT_EQ(Receive<CMSG_C2S_HELP_REQUEST>(WithHeader(longer, 4), CreateLoginMessage)->Body().strMail,
              "parent@example.org");
}

TEST(MessageTest, FactoriesKnowTheirTypesOnly) {
    for (unsigned t = 0; t < 256; ++t) {
        std::unique_ptr<CMsg> login(CreateLoginMessage(static_cast<unsigned char>(t)));
        std::unique_ptr<CMsg> report(CreateReportMessage(static_cast<unsigned char>(t)));
        EXPECT_EQ(login != nullptr, t <= 5) << t;
        EXPECT_EQ(report != nullptr, t <= 1) << t;
        if (login) {
            EXPECT_EQ(login->GetType(), t);
        }
        if (report) {
            EXPECT_EQ(report->GetType(), t);
        }
    }
}

TEST(MessageTest, ReportRequestCarriesTheLogAndBoundsItsCount) {
    CMSG_C2S_REPORT_REQUEST req;
    req.Body().nAccount = 77;
    req.Body().strDescription = "点了按钮就崩溃";
    req.Body().strProgram = "WarrowTray";
    req.Body().strLogFile = "crash[2026-03-05( 08.07.09 )].Txt";
    req.Body().pData = {'l', 'o', 'g', '\n', 0, 0};
    const Bytes f = Frame(req);
    auto back = Receive<CMSG_C2S_REPORT_REQUEST>(f, CreateReportMessage);
    EXPECT_EQ(back->Body().strLogFile, "crash[2026-03-05( 08.07.09 )].Txt");
    EXPECT_EQ(back->Body().pData, req.Body().pData);

    // A count larger than the bytes that follow is refused before allocating.
    Bytes body(f.begin() + 3, f.end() - 6 - 4);
    body.insert(body.end(), {0xFF, 0xFF, 0xFF, 0x7F, 'x'});
    EXPECT_THROW(Receive<CMSG_C2S_REPORT_REQUEST>(WithHeader(body, 0), CreateReportMessage),
                 datastream_exception);

    CMSG_S2C_REPORT_ANSWER answer;
    answer.Body().nResult = 3;
    EXPECT_EQ(Frame(answer), (Bytes{0x07, 0x00, 0x01, 0x03, 0x00, 0x00, 0x00}));
}

TEST(MessageTest, CompressedFramesAreExpandedBeforeReading) {
    CMSG_C2S_HELP_REQUEST help;
    help.Body() = {9, "m@example.org", "", std::string(2000, 'S'), std::string(3000, 'Q')};
    help.SetCompress(true);
    const Bytes f = Frame(help);
    EXPECT_TRUE(f[1] & 0x80);
    EXPECT_LT(f.size(), 200u);
    EXPECT_EQ(help.GetLength(), f.size());
    auto back = Receive<CMSG_C2S_HELP_REQUEST>(f, CreateLoginMessage);
    EXPECT_TRUE(back->IsCompressed());
    EXPECT_EQ(back->Body().strQuestion, std::string(3000, 'Q'));

    // A body LZARI cannot shrink goes out plain, and the flag says so.
    CMSG_S2C_REPORT_ANSWER small;
    small.SetCompress(true);
    EXPECT_EQ(Frame(small).size(), 7u);
    EXPECT_FALSE(small.IsCompressed());

    // A body longer than receivers expand is refused, however well it compresses.
    CMSG_C2S_HELP_REQUEST huge;
    huge.Body() = {9, "m@example.org", "", "", std::string(CMsg::kMaxExpanded, 'Q')};
    huge.SetCompress(true);
    EXPECT_FALSE(huge.Pack());
}

TEST(MessageTest, MalformedCompressedBlocksAreRefused) {
    // Too short for the size field.
    EXPECT_THROW(Receive<CMSG_S2C_REPORT_ANSWER>(WithHeader({1, 0, 0}, 1, true), CreateReportMessage),
                 datastream_exception);
    // Announcing more than 1 MiB.
    EXPECT_THROW(Receive<CMSG_S2C_REPORT_ANSWER>(WithHeader({0x01, 0x00, 0x10, 0x00, 0xFF}, 1, true),
                                                 CreateReportMessage),
                 datastream_exception);
    // Announcing 1 MiB with 7 code bytes: refused once the code runs out,
    // where it used to expand a megabyte of invented bytes. The message has
    // no fields, so nothing else could refuse it.
    EXPECT_THROW(Receive<CMSG_S2C_HELP_ANSWER>(
                     WithHeader({0x00, 0x00, 0x10, 0x00, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE}, 5, true),
                     CreateLoginMessage),
                 datastream_exception);
    // Expands fine but to fewer bytes than the body needs.
    ltl::LZARI lzari;
    unsigned char* out = nullptr;
    unsigned size = 0;
    const unsigned char two[] = {1, 2};
    lzari.Compress(two, 2, &out, &size);
    EXPECT_THROW(
        Receive<CMSG_S2C_REPORT_ANSWER>(WithHeader(Bytes(out, out + size), 1, true), CreateReportMessage),
        datastream_exception);
}

TEST(MessageTest, FramesBeyondTheFifteenBitLengthAreRefused) {
    CMSG_C2S_REPORT_REQUEST largest;
    // 4 + 1 + 1 + 1 + 4 bytes of fields around the log: the frame is exactly 32767 bytes.
    largest.Body().pData.assign(32767 - 3 - 11, 'x');
    const Bytes f = Frame(largest);
    EXPECT_EQ(f.size(), 32767u);
    EXPECT_EQ(f[0], 0xFF);
    EXPECT_EQ(f[1], 0x7F);

    CMSG_C2S_REPORT_REQUEST tooLarge;
    tooLarge.Body().pData.assign(32767 - 3 - 11 + 1, 'x');
    CRecordingClient client;
    EXPECT_FALSE(tooLarge.Send(&client));
    EXPECT_TRUE(client.sent.empty());
    EXPECT_FALSE(tooLarge.IsPacked());

    // Compression can bring the same log within the limit.
    tooLarge.SetCompress(true);
    EXPECT_TRUE(tooLarge.Send(&client));
    EXPECT_TRUE(client.sent[1] & 0x80);
    EXPECT_EQ(Receive<CMSG_C2S_REPORT_REQUEST>(client.sent, CreateReportMessage)->Body().pData.size(),
              32754u);

    // A text with no GBK form is refused the same way, nothing sent.
    CMSG_C2S_HELP_REQUEST help;
    help.Body().strQuestion = "😀";
    EXPECT_FALSE(help.Pack());
}

TEST(MessageTest, PackingTwiceSendsTheFirstFrame) {
    CMSG_S2C_REPORT_ANSWER answer;
    answer.Body().nResult = 1;
    const Bytes first = Frame(answer);
    answer.Body().nResult = 2;
    EXPECT_EQ(Frame(answer), first);
}

TEST(MessageTest, CutterTellsCompleteIncompleteAndBad) {
    const Bytes two = {0x03, 0x00, 0x02, 0x07, 0x00, 0x01, 0x00};
    auto cut = wire::CutFrame(two.data(), two.size());
    EXPECT_EQ(cut.state, wire::enFrameState::Complete);
    EXPECT_EQ(cut.length, 3);
    EXPECT_EQ(cut.type, 2);
    EXPECT_EQ(wire::CutFrame(two.data() + 3, 4).state, wire::enFrameState::Incomplete);
    EXPECT_EQ(wire::CutFrame(two.data(), 2).state, wire::enFrameState::Incomplete);
    const Bytes tooShort = {0x02, 0x80, 0x00};
    EXPECT_EQ(wire::CutFrame(tooShort.data(), 3).state, wire::enFrameState::Bad);
    const Bytes zero = {0x00, 0x00, 0x00};
    EXPECT_EQ(wire::CutFrame(zero.data(), 3).state, wire::enFrameState::Bad);
}

} // namespace
