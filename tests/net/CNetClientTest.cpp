#include "net/CNetClientLogin.h"
#include "net/UserLoginMessage.h"
#include "tests/net/LoopbackPeer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace user_login_message;
using Bytes = std::vector<unsigned char>;

const Bytes kHelpAnswer = {0x03, 0x00, 0x05};
const Bytes kRefused = {0x07, 0x00, 0x01, 0x01, 0x00, 0x00, 0x00};

// Records deliveries and lets the test wait for the receive thread's wake-up.
class CRecorder : public ILoginMessageHandler {
public:
    void OnLoginAnswer(CMSG_S2C_LOGIN_ANSWER& msg) override { results.push_back(msg.Body().nResult); }
    void OnHelpAnswer(CMSG_S2C_HELP_ANSWER&) override { results.push_back(-5); }

    void Wake() {
        std::lock_guard lock(m_lock);
        ++m_wakes;
        m_cv.notify_all();
    }
    int Wakes() {
        std::lock_guard lock(m_lock);
        return m_wakes;
    }
    bool WaitForWakes(int n) {
        std::unique_lock lock(m_lock);
        return m_cv.wait_for(lock, std::chrono::seconds(10), [&] { return m_wakes >= n; });
    }

    std::vector<int> results;

private:
    std::mutex m_lock;
    std::condition_variable m_cv;
    int m_wakes = 0;
};

class CNetClientTest : public ::testing::Test {
protected:
    void SetUp() override {
        client.SetHandler(&recorder);
        client.SetWakeup([this] { recorder.Wake(); });
        ASSERT_TRUE(client.Connect("127.0.0.1", peer.Port()));
        ASSERT_TRUE(peer.Accept());
    }

    CLoopbackPeer peer;
    CRecorder recorder;
    CNetClientLogin client;
};

TEST_F(CNetClientTest, TwoFramesInOneReceiveAreDeliveredInOrder) {
    Bytes both = kRefused;
    both.insert(both.end(), kHelpAnswer.begin(), kHelpAnswer.end());
    peer.Write(both);
    ASSERT_TRUE(recorder.WaitForWakes(1));
    client.ProcessMessages();
    if (recorder.results.size() < 2) { // the kernel may still have split them
        ASSERT_TRUE(recorder.WaitForWakes(2));
        client.ProcessMessages();
    }
    EXPECT_EQ(recorder.results, (std::vector<int>{LOGIN_REFUSED, -5}));
}

TEST_F(CNetClientTest, FrameSplitOverThreeReceivesIsDecodedOnce) {
    CMSG_S2C_LOGIN_ANSWER answer;
    answer.Body().nResult = LOGIN_ACCEPTED;
    answer.Body().account.strUserName = "12345";
    ASSERT_TRUE(answer.Pack());
    const Bytes f(answer.GetData(), answer.GetData() + answer.GetSize());
    // The client answers every receive with a log line; waiting for the peer's
    // own round trip is not needed: the parts may merge, the result may not change.
    peer.Write(Bytes(f.begin(), f.begin() + 1));
    peer.Write(Bytes(f.begin() + 1, f.begin() + 10));
    peer.Write(Bytes(f.begin() + 10, f.end()));
    peer.Write(kHelpAnswer);
    ASSERT_TRUE(recorder.WaitForWakes(1));
    client.ProcessMessages();
    if (recorder.results.size() < 2) {
        ASSERT_TRUE(recorder.WaitForWakes(2));
        client.ProcessMessages();
    }
    EXPECT_EQ(recorder.results, (std::vector<int>{LOGIN_ACCEPTED, -5}));
}

TEST_F(CNetClientTest, MalformedFramesCloseTheConnectionAndDropWhatWasQueued) {
    const std::vector<Bytes> faults = {
        {0x02, 0x00, 0x05},                         // length word below the header
        {0x01, 0x80, 0x05},                         // the same with the compression bit
        {0x03, 0x00, 0x09},                         // a type the family does not know
        {0x05, 0x00, 0x01, 0x00, 0x00},             // body shorter than its field
        {0x05, 0x80, 0x01, 0x01, 0x00},             // compressed block without its size field
        {0x07, 0x80, 0x01, 0x00, 0x00, 0x20, 0x00}, // announcing 2 MiB
    };
    for (const Bytes& fault : faults) {
        Bytes frames = kHelpAnswer;
        frames.insert(frames.end(), fault.begin(), fault.end());
        peer.Write(frames);
        EXPECT_TRUE(peer.WaitForClose());
        client.ProcessMessages();
        EXPECT_TRUE(recorder.results.empty());
        EXPECT_FALSE(client.IsConnected());
        ASSERT_TRUE(client.Connect("127.0.0.1", peer.Port()));
        ASSERT_TRUE(peer.Accept());
    }
    // The new connection starts with an empty buffer and works.
    const int before = recorder.Wakes();
    peer.Write(kHelpAnswer);
    ASSERT_TRUE(recorder.WaitForWakes(before + 1));
    client.ProcessMessages();
    EXPECT_EQ(recorder.results, (std::vector<int>{-5}));
}

TEST_F(CNetClientTest, AnswersThatArrivedBeforeThePeerClosedAreStillDelivered) {
    peer.Write(kRefused);
    ASSERT_TRUE(recorder.WaitForWakes(1));
    peer.Drop();
    while (client.IsConnected()) // the receive thread notices the close on its own
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    client.ProcessMessages();
    EXPECT_EQ(recorder.results, (std::vector<int>{LOGIN_REFUSED}));
}

TEST_F(CNetClientTest, SendWritesWholeFramesAndFailsQuietlyWhenClosed) {
    CMSG_C2S_REGISTER_REQUEST reg;
    ASSERT_TRUE(reg.Send(&client));
    EXPECT_EQ(peer.Read(3), (Bytes{0x03, 0x00, 0x02}));
    EXPECT_TRUE(client.Connect("127.0.0.1", peer.Port())) << "already connected";

    client.Close(false);
    EXPECT_TRUE(peer.WaitForClose());
    testing::internal::CaptureStdout();
    EXPECT_FALSE(client.Send("abc", 3));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "send data error. socket disconnected\n");
}

TEST_F(CNetClientTest, HandlerMayDestroyTheClientWhileMessagesAreDelivered) {
    auto* doomed = new CNetClientLogin;
    struct CDestroyer : ILoginMessageHandler {
        CNetClientLogin* victim = nullptr;
        int calls = 0;
        void OnHelpAnswer(CMSG_S2C_HELP_ANSWER&) override {
            ++calls;
            delete victim;
        }
    } destroyer;
    destroyer.victim = doomed;
    doomed->SetHandler(&destroyer);
    doomed->SetWakeup([this] { recorder.Wake(); });
    CLoopbackPeer other;
    ASSERT_TRUE(doomed->Connect("127.0.0.1", other.Port()));
    ASSERT_TRUE(other.Accept());
    Bytes two = kHelpAnswer;
    two.insert(two.end(), kHelpAnswer.begin(), kHelpAnswer.end());
    other.Write(two);
    ASSERT_TRUE(recorder.WaitForWakes(1));
    doomed->ProcessMessages(); // must stop after the first delivery deleted its client
    EXPECT_EQ(destroyer.calls, 1);
}

class CCountingClient final : public CNetClient {
public:
    CCountingClient() : CNetClient(CreateLoginMessage) {}
    ~CCountingClient() override { StopReceiving(); }
    std::atomic<int> disconnects{0};

protected:
    void OnDisconnect() override { ++disconnects; }
};

TEST(CNetClientStandaloneTest, CloseIsSilentOnRequestAndConnectFailsForNoPeer) {
    auto peer = std::make_unique<CLoopbackPeer>();
    CCountingClient client;
    ASSERT_TRUE(client.Connect("localhost", peer->Port()));
    ASSERT_TRUE(peer->Accept());
    client.Close(true);
    client.Close(false); // no longer connected: nothing happens
    EXPECT_EQ(client.disconnects, 0);
    ASSERT_TRUE(client.Connect("127.0.0.1", peer->Port()));
    ASSERT_TRUE(peer->Accept());
    client.Close(false);
    EXPECT_EQ(client.disconnects, 1);

    const unsigned short port = peer->Port();
    peer.reset(); // nobody listens there any more
    EXPECT_FALSE(client.Connect("127.0.0.1", port));
    EXPECT_FALSE(client.Connect("no-such-host.invalid", 1));
    EXPECT_FALSE(client.IsConnected());
    // A failed attempt leaves the client able to connect again.
    CLoopbackPeer again;
    EXPECT_TRUE(client.Connect("127.0.0.1", again.Port()));
}

} // namespace
