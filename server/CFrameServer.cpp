#include "server/CFrameServer.h"

#include "net/CMsg.h"
#include "net/FrameCutter.h"

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
#include <sys/resource.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <unistd.h>

struct CFrameServer::CConnection {
    int fd = -1;
    std::uint64_t id = 0;
    std::string peer;
    std::vector<unsigned char> in;  // a frame begun but not complete
    std::vector<unsigned char> out; // answers not yet taken by the kernel
    std::size_t outPos = 0;
    bool watchingOutput = false;
    Clock::time_point lastFrame;    // idle since
    Clock::time_point partialSince; // first byte of the frame in `in`
    Clock::time_point outputSince;  // oldest answer still waiting
    std::vector<std::function<void()>> afterFlush;
};

namespace {

constexpr std::size_t kScratchSize = 64 * 1024;
constexpr int kMaxEvents = 512;

std::string FormatPeer(const sockaddr_storage& addr) {
    char host[INET6_ADDRSTRLEN] = "?";
    unsigned port = 0;
    if (addr.ss_family == AF_INET) {
        const auto& a = reinterpret_cast<const sockaddr_in&>(addr);
        inet_ntop(AF_INET, &a.sin_addr, host, sizeof host);
        port = ntohs(a.sin_port);
        return std::string(host) + ":" + std::to_string(port);
    }
    const auto& a = reinterpret_cast<const sockaddr_in6&>(addr);
    inet_ntop(AF_INET6, &a.sin6_addr, host, sizeof host);
    port = ntohs(a.sin6_port);
    return "[" + std::string(host) + "]:" + std::to_string(port);
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
    m_epoll = epoll_create1(EPOLL_CLOEXEC);
    m_spareFd = open("/dev/null", O_RDONLY | O_CLOEXEC);
}

CFrameServer::~CFrameServer() {
    for (auto& conn : m_conns)
        if (conn)
            Close(*conn, "server ends");
    for (int fd : {m_listen, m_signals, m_spareFd, m_epoll})
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

const std::string& CFrameServer::PeerOf(const CConnection& conn) const {
    return conn.peer;
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
    sigset_t mask;
    sigemptyset(&mask);
    sigaddset(&mask, SIGTERM);
    sigaddset(&mask, SIGINT);
    sigprocmask(SIG_BLOCK, &mask, nullptr);
    signal(SIGPIPE, SIG_IGN);
    m_signals = signalfd(-1, &mask, SFD_NONBLOCK | SFD_CLOEXEC);
    epoll_event ev{};
    ev.events = EPOLLIN;
    ev.data.fd = m_signals;
    epoll_ctl(m_epoll, EPOLL_CTL_ADD, m_signals, &ev);

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
                continue;
            }
            if (fd < 0 || static_cast<std::size_t>(fd) >= m_conns.size() || !m_conns[fd])
                continue; // closed earlier in this batch
            CConnection& conn = *m_conns[fd];
            if (events[i].events & EPOLLOUT)
                Flush(conn);
            if (m_conns[fd] && (events[i].events & (EPOLLIN | EPOLLERR | EPOLLHUP)))
                OnReadable(*m_conns[fd]);
        }
        const auto now = Clock::now();
        if (now >= nextSweep) {
            Sweep(now);
            nextSweep = now + std::chrono::seconds(1);
        }
    }
}

void CFrameServer::Accept() {
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
            return; // EAGAIN, or a client that gave up while queued
        }
        const std::string peer = FormatPeer(addr);
        if (m_nClients >= m_limits.maxClients) {
            ::close(fd);
            Log("refused %s: %zu clients already", peer.c_str(), m_nClients);
            continue;
        }
        const int on = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        auto conn = std::make_unique<CConnection>();
        conn->fd = fd;
        conn->id = m_nNextId++;
        conn->peer = peer;
        conn->lastFrame = Clock::now();
        epoll_event ev{};
        ev.events = EPOLLIN;
        ev.data.fd = fd;
        if (epoll_ctl(m_epoll, EPOLL_CTL_ADD, fd, &ev) != 0) {
            ::close(fd);
            continue;
        }
        if (static_cast<std::size_t>(fd) >= m_conns.size())
            m_conns.resize(static_cast<std::size_t>(fd) + 1);
        Log("#%llu %s connected", static_cast<unsigned long long>(conn->id), peer.c_str());
        m_conns[fd] = std::move(conn);
        ++m_nClients;
    }
}

void CFrameServer::OnReadable(CConnection& conn) {
    const int fd = conn.fd;
    const ssize_t n = ::recv(fd, m_scratch.data(), m_scratch.size(), 0);
    if (n == 0) {
        Close(conn, "closed by peer");
        return;
    }
    if (n < 0) {
        if (errno != EAGAIN && errno != EINTR)
            Close(conn, std::strerror(errno));
        return;
    }
    const char* fault;
    if (conn.in.empty()) {
        fault = CutFrames(conn, m_scratch.data(), static_cast<std::size_t>(n), false);
    } else {
        conn.in.insert(conn.in.end(), m_scratch.begin(), m_scratch.begin() + n);
        std::vector<unsigned char> pending;
        pending.swap(conn.in);
        fault = CutFrames(conn, pending.data(), pending.size(), true);
    }
    if (fault != nullptr) {
        Close(conn, fault);
        return;
    }
    Flush(conn);
}

// Consumes every complete frame; the rest waits in conn.in for more bytes.
const char* CFrameServer::CutFrames(CConnection& conn, const unsigned char* data, std::size_t size,
                                    bool continued) {
    std::size_t offset = 0;
    const auto now = Clock::now();
    for (;;) {
        const wire::tagFrameCut cut = wire::CutFrame(data + offset, size - offset);
        if (cut.state == wire::enFrameState::Bad)
            return "malformed frame";
        if (cut.state == wire::enFrameState::Incomplete)
            break;
        if (const char* fault = OnFrame(conn, data + offset, cut.length))
            return fault;
        offset += cut.length;
        conn.lastFrame = now;
    }
    if (offset < size) {
        // A frame still being received keeps the time its first byte came.
        if (!continued || offset != 0)
            conn.partialSince = now;
        conn.in.assign(data + offset, data + size);
    }
    return nullptr;
}

bool CFrameServer::Reply(CConnection& conn, CMsg& msg) {
    if (!msg.Pack())
        return false;
    if (conn.outPos == conn.out.size())
        conn.outputSince = Clock::now();
    conn.out.insert(conn.out.end(), msg.GetData(), msg.GetData() + msg.GetSize());
    return true;
}

void CFrameServer::AfterFlush(CConnection& conn, std::function<void()> action) {
    conn.afterFlush.push_back(std::move(action));
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
        auto actions = std::move(conn.afterFlush);
        conn.afterFlush.clear();
        for (auto& action : actions)
            action();
    }
    if (pending != conn.watchingOutput) {
        epoll_event ev{};
        ev.events = EPOLLIN | (pending ? EPOLLOUT : 0u);
        ev.data.fd = conn.fd;
        epoll_ctl(m_epoll, EPOLL_CTL_MOD, conn.fd, &ev);
        conn.watchingOutput = pending;
    }
}

void CFrameServer::Close(CConnection& conn, const char* reason) {
    const int fd = conn.fd;
    Log("#%llu %s closed: %s", static_cast<unsigned long long>(conn.id), conn.peer.c_str(), reason);
    epoll_ctl(m_epoll, EPOLL_CTL_DEL, fd, nullptr);
    ::close(fd);
    auto actions = std::move(conn.afterFlush);
    m_conns[fd].reset(); // conn is gone from here on
    --m_nClients;
    for (auto& action : actions)
        action();
}

void CFrameServer::Sweep(Clock::time_point now) {
    for (auto& slot : m_conns) {
        if (!slot)
            continue;
        CConnection& conn = *slot;
        if (!conn.in.empty() && now - conn.partialSince > m_limits.frameTimeout)
            Close(conn, "frame timeout");
        else if (conn.outPos < conn.out.size() && now - conn.outputSince > m_limits.frameTimeout)
            Close(conn, "answer not taken in time");
        else if (now - conn.lastFrame > m_limits.idleTimeout)
            Close(conn, "idle timeout");
    }
}

// Answers already queued get one last non-blocking attempt before the close.
void CFrameServer::Shutdown() {
    if (m_listen >= 0) {
        epoll_ctl(m_epoll, EPOLL_CTL_DEL, m_listen, nullptr);
        ::close(m_listen);
        m_listen = -1;
    }
    for (auto& slot : m_conns) {
        if (!slot)
            continue;
        Flush(*slot);
        if (slot)
            Close(*slot, "server shutting down");
    }
    Log("stopped");
}
