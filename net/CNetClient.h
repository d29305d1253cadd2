#pragma once
// TCP client of one message family: sends finished frames and runs one
// receive thread that cuts the incoming bytes into frames, decodes each into
// a message through the family's factory and queues it. The owner's
// user-interface thread delivers the queue with ProcessMessages; the receive
// thread wakes it through the callback installed with SetWakeup instead of
// the owner polling.
//
// Socket events are written to standard output, one line each.

#include "net/CMsgQueue.h"
#include "net/INetClient.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class CMsg;

class CNetClient : public INetClient {
public:
    using CreateFn = CMsg* (*)(unsigned char type);
    static constexpr std::uint32_t kRecvCapacity = 60000;

    explicit CNetClient(CreateFn create);
    CNetClient(const CNetClient&) = delete;
    CNetClient& operator=(const CNetClient&) = delete;
    ~CNetClient() override;

    // Blocking; host is a dotted IPv4 address or a name. True when connected
    // (also when it already was).
    bool Connect(const char* host, unsigned short port);
    bool Send(const char* data, int size) override;
    // Drops the connection and the undelivered messages; OnDisconnect runs
    // unless silent. Nothing happens when not connected.
    void Close(bool silent);
    // Runs OnMessage of each queued message and deletes it. Safe against a
    // handler that closes or destroys this client.
    void ProcessMessages() override;
    bool IsConnected() const { return m_bConnected.load(); }
    // Called on the receive thread after each queued message; it must only
    // hand the work over (for example a queued call to the UI thread).
    void SetWakeup(std::function<void()> wakeup);

protected:
    virtual void OnDisconnect() = 0;
    // Ends the receive thread. The class that overrides OnDisconnect calls it
    // first in its destructor, so the thread never calls OnDisconnect into a
    // half-destroyed object.
    void StopReceiving();

private:
    enum class enCloseReason { Owner, PeerOrError, BadFrame };

    void ReceiveLoop();
    void ReceivePass();
    // Cuts and queues complete frames; false when a bad frame closed the connection.
    bool CutFrames(std::uint64_t generation);
    void CloseGeneration(std::uint64_t generation, enCloseReason reason, bool silent);
    void CloseLocked(enCloseReason reason, bool silent);
    // A thread inside a socket call holds the descriptor; a close meanwhile
    // only shuts it down, and the last holder closes it, so a descriptor
    // number is never reused under a thread still using it.
    int AcquireSocket(std::uint64_t& generation);
    void ReleaseSocket();
    void ReleaseDescriptor(int fd);

    std::atomic<int> m_hSocket{-1};
    std::atomic<bool> m_bConnected{false};
    std::atomic<bool> m_bStop{false};
    std::recursive_mutex m_lock; // serialises Close, Connect's state change and the descriptor bookkeeping
    std::thread m_hThread;
    std::unique_ptr<unsigned char[]> m_pRecvBuf;
    std::uint32_t m_nRecvLen = 0; // receive thread only
    std::uint32_t m_nRecvCap = kRecvCapacity;
    std::uint64_t m_nRecvGeneration = 0; // receive thread only: the connection the buffer's bytes came from
    CMsgQueue m_queue;
    CreateFn m_pfnCreate;

    std::atomic<std::uint64_t> m_nGeneration{0}; // counts connections, so a stale close hits nothing
    int m_nSocketUsers = 0;                      // under m_lock
    std::vector<int> m_pendingClose;             // under m_lock
    std::mutex m_idleLock;
    std::condition_variable m_idle; // the receive thread sleeps here while disconnected
    std::mutex m_wakeupLock;
    std::function<void()> m_wakeup;
    std::shared_ptr<bool> m_alive = std::make_shared<bool>(true);
};
