#include "server/CFrameServer.h"

#include "server/CWorkerPool.h"

#include "net/CMsg.h"
#include "net/FrameCutter.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/eventfd.h>
#include <sys/resource.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <unistd.h>

struct CFrameServer::CConnection {
    int fd = -1;
    std::uint64_t id = 0;
    std::string peer;
    std::string host;
    std::vector<unsigned char> in;  // bytes not yet handed to the workers
    std::vector<unsigned char> out; // answers not yet taken by the kernel
    std::size_t outPos = 0;
    std::uint32_t watching = EPOLLIN;
    bool busy = false;             // a frame is with the workers
    bool gotByte = false;          // the client has sent anything at all
    bool partial = false;          // `in` starts with an incomplete frame
    const char* closing = nullptr; // close once `out` has left
    Clock::time_point connectedAt;
    Clock::time_point lastFrame;    // idle since
    Clock::time_point partialSince; // first byte of the incomplete frame
    Clock::time_point outputSince;  // oldest answer still waiting
};

namespace {

constexpr std::size_t kScratchSize = 64 * 1024;
constexpr int kMaxEvents = 512;
constexpr std::chrono::seconds kCrowdedFirstByteTimeout{10};

std::string FormatAddress(int family, const void* address) {
    char host[INET6_ADDRSTRLEN] = "?";
    inet_ntop(family, address, host, sizeof host);
    return host;
}

// The key the per-address limits count by. One IPv6 client holds a whole /64
// (it picks its own low 64 bits), so IPv6 addresses count by their /64;
// IPv4 ones (mapped or not) by the address.
std::string FormatHost(const sockaddr_storage& addr) {
    if (addr.ss_family == AF_INET)
        return FormatAddress(AF_INET, &reinterpret_cast<const sockaddr_in&>(addr).sin_addr);
    in6_addr network = reinterpret_cast<const sockaddr_in6&>(addr).sin6_addr;
    if (IN6_IS_ADDR_V4MAPPED(&network))
        return FormatAddress(AF_INET6, &network);
    std::fill(network.s6_addr + 8, network.s6_addr + 16, 0);
    return FormatAddress(AF_INET6, &network) + "/64";
}

std::string FormatPeer(const sockaddr_storage& addr) {
    if (addr.ss_family == AF_INET) {
        const auto& a = reinterpret_cast<const sockaddr_in&>(addr);
        return FormatAddress(AF_INET, &a.sin_addr) + ":" + std::to_string(ntohs(a.sin_port));
    }
    const auto& a = reinterpret_cast<const sockaddr_in6&>(addr);
    return "[" + FormatAddress(AF_INET6, &a.sin6_addr) + "]:" + std::to_string(ntohs(a.sin6_port));
}

// Thousands of clients need thousands of descriptors; the soft limit is often 1024.
void RaiseDescriptorLimit() {
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

} // namespace

CFrameServer::CFrameServer(std::string name, tagServerLimits limits)
    : m_name(std::move(name)), m_limits(limits), m_scratch(kScratchSize) {
    RaiseDescriptorLimit();
    m_limits.workers = std::max(1u, m_limits.workers);
    m_epoll = epoll_create1(EPOLL_CLOEXEC);
    m_spareFd = open("/dev/null", O_RDONLY | O_CLOEXEC);
    m_wake = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.fd = m_wake;
    epoll_ctl(m_epoll, EPOLL_CTL_ADD, m_wake, &ev);
    // Taken over before the "listening" line, which is when a supervisor may
    // already send SIGTERM; the worker threads inherit the mask.
    sigset_t mask;
    sigemptyset(&mask);
    sigaddset(&mask, SIGTERM);
    sigaddset(&mask, SIGINT);
    sigprocmask(SIG_BLOCK, &mask, nullptr);
    signal(SIGPIPE, SIG_IGN);
    m_signals = signalfd(-1, &mask, SFD_NONBLOCK | SFD_CLOEXEC);
    ev.data.fd = m_signals;
    epoll_ctl(m_epoll, EPOLL_CTL_ADD, m_signals, &ev);
}

CFrameServer::~CFrameServer() {
    m_pool.reset();
    for (auto& conn : m_conns)
        if (conn)
            Close(*conn, "server ends");
    for (int fd : {m_listen, m_signals, m_wake, m_spareFd, m_epoll})
        if (fd >= 0)
            ::close(fd);
}

void CFrameServer::Log(const char* format, ...) const {
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    const std::time_t now = std::time(nullptr);
    tm local{};
    localtime_r(&now, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    std::fprintf(stderr, "%s %s: %s\n", stamp, m_name.c_str(), text);
}

const char* CFrameServer::Screen(const unsigned char*, std::uint16_t) {
    return nullptr;
}

bool CFrameServer::Answer(CMsg& msg, tagOutcome& outcome) {
    if (!msg.Pack())
        return false;
    outcome.answer.assign(msg.GetData(), msg.GetData() + msg.GetSize());
    return true;
}

bool CFrameServer::Listen(const std::string& address, unsigned short port) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE | AI_NUMERICHOST | AI_NUMERICSERV;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    if (getaddrinfo(address.c_str(), service.c_str(), &hints, &found) != 0 || found == nullptr) {
        Log("cannot listen on %s: not a numeric address", address.c_str());
        return false;
    }
    m_listen = ::socket(found->ai_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    const int on = 1;
    if (m_listen >= 0)
        setsockopt(m_listen, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    const bool ok = m_listen >= 0 && ::bind(m_listen, found->ai_addr, found->ai_addrlen) == 0 &&
                    ::listen(m_listen, SOMAXCONN) == 0;
    freeaddrinfo(found);
    if (!ok) {
        Log("cannot listen on %s:%u: %s", address.c_str(), port, std::strerror(errno));
        return false;
    }
    sockaddr_storage bound{};
    socklen_t len = sizeof bound;
    getsockname(m_listen, reinterpret_cast<sockaddr*>(&bound), &len);
    m_nPort = bound.ss_family == AF_INET ? ntohs(reinterpret_cast<sockaddr_in&>(bound).sin_port)
                                         : ntohs(reinterpret_cast<sockaddr_in6&>(bound).sin6_port);
    m_address = address;
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.fd = m_listen;
    epoll_ctl(m_epoll, EPOLL_CTL_ADD, m_listen, &ev);
    Log("listening on %s:%u", address.c_str(), m_nPort);
    return true;
}

int CFrameServer::Run() {
    m_pool = std::make_unique<CWorkerPool>(m_limits.workers);

    epoll_event events[kMaxEvents];
    auto nextSweep = Clock::now() + std::chrono::seconds(1);
    for (;;) {
        const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(nextSweep - Clock::now());
        const int n =
            epoll_wait(m_epoll, events, kMaxEvents, std::max<int>(0, static_cast<int>(wait.count())));
        if (n < 0 && errno != EINTR) {
            Log("event loop failed: %s", std::strerror(errno));
            Shutdown();
            return 1;
        }
        for (int i = 0; i < n; ++i) {
            const int fd = events[i].data.fd;
            if (fd == m_signals) {
                signalfd_siginfo info{};
                if (::read(m_signals, &info, sizeof info) > 0)
                    Log("signal %u: shutting down", info.ssi_signo);
                Shutdown();
                return 0;
            }
            if (fd == m_listen) {
                Accept();
            } else if (fd == m_wake) {
                CollectDone();
            } else if (fd >= 0 && static_cast<std::size_t>(fd) < m_conns.size() && m_conns[fd]) {
                OnEvent(*m_conns[fd], events[i].events);
            } // else closed earlier in this batch
        }
        const auto now = Clock::now();
        if (now >= nextSweep) {
            Sweep(now);
            nextSweep = now + std::chrono::seconds(1);
        }
    }
}

void CFrameServer::Accept() {
    std::size_t refused = 0;
    for (int round = 0; round < 256; ++round) {
        sockaddr_storage addr{};
        socklen_t len = sizeof addr;
        const int fd =
            accept4(m_listen, reinterpret_cast<sockaddr*>(&addr), &len, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if ((errno == EMFILE || errno == ENFILE) && m_spareFd >= 0) {
                // Out of descriptors: take the waiting client with the spare
                // one and drop it, rather than leave it queued forever.
                ::close(m_spareFd);
                const int dropped = accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
                if (dropped >= 0)
                    ::close(dropped);
                m_spareFd = open("/dev/null", O_RDONLY | O_CLOEXEC);
                Log("refused a client: out of descriptors");
                continue;
            }
            break; // EAGAIN, or a client that gave up while queued
        }
        const std::string host = FormatHost(addr);
        std::size_t& fromHost = m_perAddress[host];
        if (m_nClients >= m_limits.maxClients || fromHost >= m_limits.maxPerAddress) {
            ::close(fd);
            if (fromHost == 0)
                m_perAddress.erase(host);
            // One line per batch: a flood must not flood the log as well.
            if (refused++ == 0)
                Log("refused %s: %s", host.c_str(),
                    m_nClients >= m_limits.maxClients ? "too many clients"
                                                      : "too many connections from this address");
            continue;
        }
        const int on = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        auto conn = std::make_unique<CConnection>();
        conn->fd = fd;
        conn->id = m_nNextId++;
        conn->peer = FormatPeer(addr);
        conn->host = host;
        conn->connectedAt = conn->lastFrame = Clock::now();
        epoll_event ev{};
        ev.events = EPOLLIN;
        ev.data.fd = fd;
        if (epoll_ctl(m_epoll, EPOLL_CTL_ADD, fd, &ev) != 0) {
            ::close(fd);
            if (fromHost == 0)
                m_perAddress.erase(host);
            continue;
        }
        if (static_cast<std::size_t>(fd) >= m_conns.size())
            m_conns.resize(static_cast<std::size_t>(fd) + 1);
        Log("#%llu %s connected", static_cast<unsigned long long>(conn->id), conn->peer.c_str());
        m_conns[fd] = std::move(conn);
        ++fromHost;
        ++m_nClients;
    }
    if (refused > 1)
        Log("refused %zu clients in all", refused);
}

void CFrameServer::OnEvent(CConnection& conn, std::uint32_t events) {
    const int fd = conn.fd;
    if (events & EPOLLOUT)
        Flush(conn);
    if (!m_conns[fd])
        return;
    CConnection& still = *m_conns[fd];
    if ((events & (EPOLLERR | EPOLLHUP)) && (still.busy || still.closing != nullptr))
        Close(still, "connection lost");
    else if (events & (EPOLLIN | EPOLLERR | EPOLLHUP))
        Receive(still);
}

void CFrameServer::Receive(CConnection& conn) {
    const ssize_t n = ::recv(conn.fd, m_scratch.data(), m_scratch.size(), 0);
    if (n == 0) {
        Close(conn, "closed by peer");
        return;
    }
    if (n < 0) {
        if (errno != EAGAIN && errno != EINTR)
            Close(conn, std::strerror(errno));
        return;
    }
    conn.gotByte = true;
    conn.in.insert(conn.in.end(), m_scratch.begin(), m_scratch.begin() + n);
    Advance(conn);
}

void CFrameServer::Advance(CConnection& conn) {
    if (m_pool && !conn.busy && conn.closing == nullptr && !conn.in.empty()) {
        const wire::tagFrameCut cut = wire::CutFrame(conn.in.data(), conn.in.size());
        if (cut.state == wire::enFrameState::Bad) {
            Close(conn, "malformed frame");
            return;
        }
        if (cut.state == wire::enFrameState::Incomplete) {
            if (!conn.partial)
                conn.partialSince = Clock::now();
            conn.partial = true;
        } else {
            conn.partial = false;
            if (const char* fault = Screen(conn.in.data(), cut.length)) {
                Close(conn, fault);
                return;
            }
            Submit(conn, cut.length);
        }
    }
    Watch(conn);
}

void CFrameServer::Submit(CConnection& conn, std::uint16_t length) {
    tagRequest request{conn.peer, conn.host, {conn.in.begin(), conn.in.begin() + length}};
    conn.in.erase(conn.in.begin(), conn.in.begin() + length);
    conn.busy = true;
    m_pool->Submit([this, fd = conn.fd, id = conn.id, request = std::move(request)](unsigned worker) {
        tagDone done{fd, id, {}};
        try {
            done.outcome = Handle(worker, request);
        } catch (const std::exception&) {
            done.outcome = {{}, "the frame could not be handled"};
        }
        {
            std::lock_guard lock(m_doneLock);
            m_done.push_back(std::move(done));
        }
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(m_wake, &one, sizeof one);
    });
}

void CFrameServer::CollectDone() {
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t got = ::read(m_wake, &count, sizeof count);
    std::vector<tagDone> done;
    {
        std::lock_guard lock(m_doneLock);
        done.swap(m_done);
    }
    const auto now = Clock::now();
    for (tagDone& d : done) {
        if (static_cast<std::size_t>(d.fd) >= m_conns.size() || !m_conns[d.fd] || m_conns[d.fd]->id != d.id)
            continue; // the client left while its frame was handled
        CConnection& conn = *m_conns[d.fd];
        conn.busy = false;
        conn.lastFrame = now;
        if (!d.outcome.answer.empty()) {
            if (conn.outPos == conn.out.size())
                conn.outputSince = now;
            conn.out.insert(conn.out.end(), d.outcome.answer.begin(), d.outcome.answer.end());
        }
        if (d.outcome.close != nullptr && conn.outPos == conn.out.size()) {
            Close(conn, d.outcome.close);
            continue;
        }
        conn.closing = d.outcome.close;
        Flush(conn);
        if (m_conns[d.fd] && m_conns[d.fd]->id == d.id)
            Advance(conn);
    }
}

void CFrameServer::Flush(CConnection& conn) {
    while (conn.outPos < conn.out.size()) {
        const ssize_t n =
            ::send(conn.fd, conn.out.data() + conn.outPos, conn.out.size() - conn.outPos, MSG_NOSIGNAL);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (errno == EAGAIN)
                break;
            Close(conn, std::strerror(errno));
            return;
        }
        conn.outPos += static_cast<std::size_t>(n);
        conn.outputSince = Clock::now();
    }
    const bool pending = conn.outPos < conn.out.size();
    if (pending && conn.out.size() - conn.outPos > m_limits.maxPendingOutput) {
        Close(conn, "does not read its answers");
        return;
    }
    if (!pending) {
        conn.out.clear();
        conn.outPos = 0;
        if (conn.closing != nullptr) {
            Close(conn, conn.closing);
            return;
        }
    }
    Watch(conn);
}

// A connection whose frame is with the workers is not read: its next frame
// waits in the kernel, which keeps a fast sender from queueing work.
void CFrameServer::Watch(CConnection& conn) {
    const bool reading = !conn.busy && conn.closing == nullptr;
    const std::uint32_t wanted = (reading ? EPOLLIN : 0u) | (conn.outPos < conn.out.size() ? EPOLLOUT : 0u);
    if (wanted == conn.watching)
        return;
    epoll_event ev{};
    ev.events = wanted;
    ev.data.fd = conn.fd;
    epoll_ctl(m_epoll, EPOLL_CTL_MOD, conn.fd, &ev);
    conn.watching = wanted;
}

void CFrameServer::Close(CConnection& conn, const char* reason) {
    const int fd = conn.fd;
    Log("#%llu %s closed: %s", static_cast<unsigned long long>(conn.id), conn.peer.c_str(), reason);
    epoll_ctl(m_epoll, EPOLL_CTL_DEL, fd, nullptr);
    ::close(fd);
    const auto it = m_perAddress.find(conn.host);
    if (it != m_perAddress.end() && --it->second == 0)
        m_perAddress.erase(it);
    m_conns[fd].reset(); // conn is gone from here on
    --m_nClients;
}

void CFrameServer::Sweep(Clock::time_point now) {
    const auto firstByte =
        m_nClients > m_limits.maxClients / 2
            ? std::min<std::chrono::seconds>(m_limits.firstByteTimeout, kCrowdedFirstByteTimeout)
            : m_limits.firstByteTimeout;
    for (auto& slot : m_conns) {
        if (!slot)
            continue;
        CConnection& conn = *slot;
        if (conn.outPos < conn.out.size() && now - conn.outputSince > m_limits.frameTimeout)
            Close(conn, "answer not taken in time");
        else if (conn.busy)
            continue; // the workers answer for it
        else if (!conn.gotByte && now - conn.connectedAt > firstByte)
            Close(conn, "no request in time");
        else if (conn.partial && now - conn.partialSince > m_limits.frameTimeout)
            Close(conn, "frame timeout");
        else if (now - conn.lastFrame > m_limits.idleTimeout)
            Close(conn, "idle timeout");
    }
}

// Frames a worker has begun are finished (the rest are dropped), and queued
// answers get one last non-blocking attempt before the close.
void CFrameServer::Shutdown() {
    if (m_listen >= 0) {
        epoll_ctl(m_epoll, EPOLL_CTL_DEL, m_listen, nullptr);
        ::close(m_listen);
        m_listen = -1;
    }
    m_pool.reset();
    CollectDone();
    for (auto& slot : m_conns) {
        if (!slot)
            continue;
        Flush(*slot);
        if (slot)
            Close(*slot, "server shutting down");
    }
    Log("stopped");
}
