#pragma once
// One-thread epoll server for the framed protocols: accepts clients on one
// address, cuts their bytes into frames and hands each complete frame to the
// derived server, which answers with Reply. A malformed frame closes only
// that client; silent clients and clients that take too long over one frame
// or do not read their answers time out; SIGTERM or SIGINT ends Run after
// every client has been closed. Each connection event is one line on
// standard error.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class CMsg;

struct tagServerLimits {
    std::chrono::seconds idleTimeout{600}; // no complete frame for this long
    std::chrono::seconds frameTimeout{30}; // one frame, or one answer, in progress this long
    std::size_t maxClients = 20000;
    std::size_t maxPendingOutput = 1 << 20; // answers a client has not read
};

class CFrameServer {
public:
    struct CConnection;
    using Clock = std::chrono::steady_clock;

    CFrameServer(std::string name, tagServerLimits limits);
    CFrameServer(const CFrameServer&) = delete;
    CFrameServer& operator=(const CFrameServer&) = delete;
    virtual ~CFrameServer();

    // Binds and listens; port 0 picks a free port, which the log line names.
    bool Listen(const std::string& address, unsigned short port);
    unsigned short Port() const { return m_nPort; }
    // Serves until SIGTERM or SIGINT; returns the process exit code.
    int Run();

protected:
    // One complete frame. Null when handled; otherwise why the client is closed.
    virtual const char* OnFrame(CConnection& conn, const unsigned char* frame, std::uint16_t length) = 0;

    // Queues a packed answer; false when it could not be packed.
    bool Reply(CConnection& conn, CMsg& msg);
    // Runs once the connection's queued answers have left, or when it closes first.
    void AfterFlush(CConnection& conn, std::function<void()> action);
    const std::string& PeerOf(const CConnection& conn) const;
    void Log(const char* format, ...) const __attribute__((format(printf, 2, 3)));

private:
    void Accept();
    void OnReadable(CConnection& conn);
    // `continued`: data starts with the frame begun in an earlier receive.
    // Null, or why the client must be closed.
    const char* CutFrames(CConnection& conn, const unsigned char* data, std::size_t size, bool continued);
    void Flush(CConnection& conn);
    void Close(CConnection& conn, const char* reason);
    void Sweep(Clock::time_point now);
    void Shutdown();

    std::string m_name;
    tagServerLimits m_limits;
    int m_epoll = -1;
    int m_listen = -1;
    int m_signals = -1;
    int m_spareFd = -1; // given up to accept and drop a client when descriptors run out
    unsigned short m_nPort = 0;
    std::string m_address;
    std::uint64_t m_nNextId = 1;
    std::size_t m_nClients = 0;
    std::vector<std::unique_ptr<CConnection>> m_conns; // by descriptor
    std::vector<unsigned char> m_scratch;
};
