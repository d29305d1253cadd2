#pragma once
// Epoll server for the framed protocols: accepts clients on one address and
// cuts their bytes into frames on one network thread; each complete frame
// is handled by the derived server on a small worker pool (database calls,
// expansion and file writes never hold the event loop). A connection has at
// most one frame with the workers at a time, so its answers go out in the
// order of its requests and a fast sender cannot queue unbounded work.
//
// A malformed frame closes only that client; clients that send nothing at
// first, go silent, take too long over one frame or do not read their
// answers time out; an address may hold only so many connections; SIGTERM
// or SIGINT ends Run after every client has been closed. Each connection
// event is one line on standard error.

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

class CMsg;
class CWorkerPool;

struct tagServerLimits {
    std::chrono::seconds idleTimeout{600}; // no complete frame for this long
    std::chrono::seconds frameTimeout{30}; // one frame, or one answer, in progress this long
    // A new client's first byte. The console connects when its login dialog
    // opens and sends once the parent has typed, so this is long by default;
    // when more than half the client slots are taken it is cut to 10 s.
    std::chrono::seconds firstByteTimeout{120};
    std::size_t maxClients = 20000;
    std::size_t maxPerAddress = 256;        // a school behind one address still fits
    std::size_t maxPendingOutput = 1 << 20; // answers a client has not read
    unsigned workers = 4;
};

class CFrameServer {
public:
    using Clock = std::chrono::steady_clock;

    // One frame as a worker sees it.
    struct tagRequest {
        std::string peer; // address:port
        std::string host; // address only: the key of per-address limits
        std::vector<unsigned char> frame;
    };
    // What a worker decided: an answer (may be empty) and, when `close` is
    // set, the reason to close the client once the answer has left.
    struct tagOutcome {
        std::vector<unsigned char> answer;
        const char* close = nullptr;
    };

    CFrameServer(std::string name, tagServerLimits limits);
    CFrameServer(const CFrameServer&) = delete;
    CFrameServer& operator=(const CFrameServer&) = delete;
    virtual ~CFrameServer();

    // Binds and listens; port 0 picks a free port, which the log line names.
    bool Listen(const std::string& address, unsigned short port);
    unsigned short Port() const { return m_nPort; }
    // Serves until SIGTERM or SIGINT; returns the process exit code.
    int Run();

    void Log(const char* format, ...) const __attribute__((format(printf, 2, 3)));

protected:
    // On the network thread, before a frame goes to the workers: cheap checks
    // only. Null to go on; otherwise why the client is closed.
    virtual const char* Screen(const unsigned char* frame, std::uint16_t length);
    // On worker thread `worker` (0 to workers - 1).
    virtual tagOutcome Handle(unsigned worker, const tagRequest& request) = 0;

    // Packs `msg` as the outcome's answer; false when it cannot be packed.
    static bool Answer(CMsg& msg, tagOutcome& outcome);

private:
    struct CConnection;
    struct tagDone {
        int fd;
        std::uint64_t id;
        tagOutcome outcome;
    };

    void Accept();
    void OnEvent(CConnection& conn, std::uint32_t events);
    void Receive(CConnection& conn);
    // Hands the next complete frame to the workers when none is there.
    void Advance(CConnection& conn);
    void Submit(CConnection& conn, std::uint16_t length);
    void CollectDone();
    void Flush(CConnection& conn);
    void Watch(CConnection& conn);
    void Close(CConnection& conn, const char* reason);
    void Sweep(Clock::time_point now);
    void Shutdown();

    std::string m_name;
    tagServerLimits m_limits;
    int m_epoll = -1;
    int m_listen = -1;
    int m_signals = -1;
    int m_wake = -1;    // eventfd: a worker finished a frame
    int m_spareFd = -1; // given up to accept and drop a client when descriptors run out
    unsigned short m_nPort = 0;
    std::string m_address;
    std::uint64_t m_nNextId = 1;
    std::size_t m_nClients = 0;
    std::vector<std::unique_ptr<CConnection>> m_conns; // by descriptor
    std::unordered_map<std::string, std::size_t> m_perAddress;
    std::vector<unsigned char> m_scratch;
    std::unique_ptr<CWorkerPool> m_pool;
    std::mutex m_doneLock;
    std::vector<tagDone> m_done;
};
