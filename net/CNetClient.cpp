#include "net/CNetClient.h"

#include "net/CMsg.h"
#include "net/FrameCutter.h"
#include "net/NetException.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace {

// A peer that stops reading must not wedge the owner's thread in send.
constexpr int kSendTimeoutSeconds = 10;

bool ResolveIPv4(const char* host, in_addr& address) {
    if (host == nullptr)
        return false;
    if (inet_pton(AF_INET, host, &address) == 1)
        return true;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &found) != 0 || found == nullptr)
        return false;
    address = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
    freeaddrinfo(found);
    return true;
}

} // namespace

CNetClient::CNetClient(CreateFn create)
    : m_pRecvBuf(std::make_unique<unsigned char[]>(kRecvCapacity)), m_pfnCreate(create) {
    m_hThread = std::thread([this] { ReceiveLoop(); });
}

CNetClient::~CNetClient() {
    StopReceiving();
    *m_alive = false;
    std::lock_guard lock(m_lock);
    for (int fd : m_pendingClose)
        ::close(fd);
    m_pendingClose.clear();
}

void CNetClient::StopReceiving() {
    Close(true);
    {
        std::lock_guard idle(m_idleLock);
        m_bStop = true;
    }
    m_idle.notify_all();
    if (m_hThread.joinable())
        m_hThread.join();
}

void CNetClient::SetWakeup(std::function<void()> wakeup) {
    std::lock_guard lock(m_wakeupLock);
    m_wakeup = std::move(wakeup);
}

bool CNetClient::Connect(const char* host, unsigned short port) {
    if (m_bConnected)
        return true;
    int fd = m_hSocket;
    if (fd < 0) {
        fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            std::fprintf(stderr, "socket error code = %d\n", errno);
            return false;
        }
        const timeval timeout{kSendTimeoutSeconds, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
        m_hSocket = fd;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    if (!ResolveIPv4(host, address.sin_addr)) {
        errno = EINVAL;
        return false;
    }
    int rc = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    if (rc != 0 && errno == EINTR) {
        // Interrupted, the connection goes on in the background: wait for its outcome.
        pollfd done{fd, POLLOUT, 0};
        while (::poll(&done, 1, -1) < 0 && errno == EINTR) {
        }
        int error = 0;
        socklen_t length = sizeof error;
        ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length);
        rc = error == 0 ? 0 : -1;
        errno = error;
    }
    if (rc != 0 && errno != EISCONN) {
        // Linux leaves the state of a socket after a failed connect open to
        // doubt; the next attempt starts with a fresh one.
        const int saved = errno;
        ::close(fd);
        m_hSocket = -1;
        errno = saved;
        return false;
    }
    {
        std::lock_guard lock(m_lock);
        m_nGeneration++;
        std::lock_guard idle(m_idleLock);
        m_bConnected = true;
    }
    m_idle.notify_all();
    return true;
}

int CNetClient::AcquireSocket(std::uint64_t& generation) {
    std::lock_guard lock(m_lock);
    if (!m_bConnected)
        return -1;
    ++m_nSocketUsers;
    generation = m_nGeneration;
    return m_hSocket;
}

void CNetClient::ReleaseSocket() {
    std::lock_guard lock(m_lock);
    if (--m_nSocketUsers == 0) {
        for (int fd : m_pendingClose)
            ::close(fd);
        m_pendingClose.clear();
    }
}

void CNetClient::ReleaseDescriptor(int fd) {
    ::shutdown(fd, SHUT_RDWR); // wakes a receive or send blocked on it
    if (m_nSocketUsers == 0)
        ::close(fd);
    else
        m_pendingClose.push_back(fd);
}

bool CNetClient::Send(const char* data, int size) {
    std::uint64_t generation = 0;
    const int fd = AcquireSocket(generation);
    if (fd < 0) {
        std::fputs("send data error. socket disconnected\n", stdout);
        return false;
    }
    std::size_t sent = 0;
    const std::size_t total = size > 0 ? static_cast<std::size_t>(size) : 0;
    int error = 0;
    // A blocking send may still return early (a signal); the rest follows,
    // because a frame cut short would garble every frame after it.
    while (sent < total) {
        const ssize_t n = ::send(fd, data + sent, total - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? errno : EPIPE;
            break;
        }
        sent += static_cast<std::size_t>(n);
    }
    ReleaseSocket();
    if (error == 0) {
        std::fprintf(stdout, "send %d bytes data to TCP server\n", size);
        return true;
    }
    std::fprintf(stdout, "send data error. socket error = %d\n", error);
    const bool reset = error == ECONNRESET || error == EPIPE;
    if (reset)
        std::fputs("socket disconnected\n", stdout);
    if (reset || sent != 0)
        CloseGeneration(generation, enCloseReason::PeerOrError, false);
    return false;
}

void CNetClient::Close(bool silent) {
    std::lock_guard lock(m_lock);
    CloseLocked(enCloseReason::Owner, silent);
}

void CNetClient::CloseGeneration(std::uint64_t generation, enCloseReason reason, bool silent) {
    std::lock_guard lock(m_lock);
    if (generation == m_nGeneration)
        CloseLocked(reason, silent);
}

void CNetClient::CloseLocked(enCloseReason reason, bool silent) {
    if (!m_bConnected)
        return;
    m_bConnected = false;
    // Messages that arrived whole before the peer went away are still
    // delivered; the owner closing, or a bad frame, discards them, before
    // the peer can see the connection end.
    if (reason != enCloseReason::PeerOrError)
        m_queue.Clear();
    const int fd = m_hSocket.exchange(-1);
    if (fd >= 0)
        ReleaseDescriptor(fd);
    if (!silent)
        OnDisconnect();
}

void CNetClient::ProcessMessages() {
    const std::shared_ptr<bool> alive = m_alive;
    while (CMsg* msg = m_queue.Pop()) {
        const std::unique_ptr<CMsg> owned(msg);
        owned->OnMessage();
        if (!*alive)
            return; // the handler destroyed this client
    }
}

void CNetClient::ReceiveLoop() {
    while (!m_bStop) {
        if (!m_bConnected) {
            std::unique_lock idle(m_idleLock);
            m_idle.wait(idle, [this] { return m_bStop || m_bConnected; });
            continue;
        }
        ReceivePass();
    }
}

void CNetClient::ReceivePass() {
    std::uint64_t generation = 0;
    const int fd = AcquireSocket(generation);
    if (fd < 0)
        return;
    if (m_nRecvGeneration != generation) {
        m_nRecvLen = 0; // bytes of an earlier connection mean nothing now
        m_nRecvGeneration = generation;
    }
    ssize_t n;
    do {
        n = ::recv(fd, m_pRecvBuf.get() + m_nRecvLen, m_nRecvCap - m_nRecvLen, 0);
    } while (n < 0 && errno == EINTR);
    const int error = n < 0 ? errno : 0;
    ReleaseSocket();

    if (!m_bConnected || generation != m_nGeneration)
        return; // closed meanwhile by another thread
    if (n <= 0) {
        std::fprintf(stdout, "socket error number = %d\n", error);
        CloseGeneration(generation, enCloseReason::PeerOrError, false);
        return;
    }
    std::fprintf(stdout, "recv %d bytes data from TCP client\n", static_cast<int>(n));
    m_nRecvLen += static_cast<std::uint32_t>(n);
    CutFrames(generation);
}

bool CNetClient::CutFrames(std::uint64_t generation) {
    std::uint32_t offset = 0;
    bool queued = false;
    bool ok = true;
    while (ok) {
        const wire::tagFrameCut cut = wire::CutFrame(m_pRecvBuf.get() + offset, m_nRecvLen - offset);
        if (cut.state == wire::enFrameState::Incomplete)
            break;
        std::unique_ptr<CMsg> msg;
        if (cut.state == wire::enFrameState::Complete)
            msg.reset(m_pfnCreate(cut.type));
        if (msg) {
            try {
                msg->Unpack(m_pRecvBuf.get() + offset, cut.length, this);
            } catch (...) {
                // net_exception in practice; anything a malformed frame raises ends the connection
                msg.reset();
            }
        }
        if (!msg) {
            ok = false;
            break;
        }
        m_queue.Push(msg.release());
        queued = true;
        offset += cut.length;
    }
    if (ok) {
        std::memmove(m_pRecvBuf.get(), m_pRecvBuf.get() + offset, m_nRecvLen - offset);
        m_nRecvLen -= offset;
    } else {
        m_nRecvLen = 0;
        CloseGeneration(generation, enCloseReason::BadFrame, false);
    }
    // After a bad frame the queue was emptied: nothing to wake anyone for.
    if (queued && ok) {
        std::lock_guard lock(m_wakeupLock);
        if (m_wakeup)
            m_wakeup();
    }
    return ok;
}
