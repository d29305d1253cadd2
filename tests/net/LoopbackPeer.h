#pragma once
// The server side of one loopback connection, driven byte by byte by a test.
// Every wait is bounded so that a fault fails the test instead of hanging it.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>
#include <vector>

class CLoopbackPeer {
public:
    static constexpr int kWaitMs = 10000;

    CLoopbackPeer() {
        m_listen = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof a;
        if (::bind(m_listen, reinterpret_cast<sockaddr*>(&a), len) != 0 || ::listen(m_listen, 4) != 0 ||
            ::getsockname(m_listen, reinterpret_cast<sockaddr*>(&a), &len) != 0)
            throw std::runtime_error("loopback listen failed");
        m_port = ntohs(a.sin_port);
    }
    ~CLoopbackPeer() {
        Drop();
        ::close(m_listen);
    }
    CLoopbackPeer(const CLoopbackPeer&) = delete;
    CLoopbackPeer& operator=(const CLoopbackPeer&) = delete;

    unsigned short Port() const { return m_port; }

    bool Accept() {
        Drop();
        if (!Wait(m_listen))
            return false;
        m_conn = ::accept4(m_listen, nullptr, nullptr, SOCK_CLOEXEC);
        return m_conn >= 0;
    }

    void Write(const std::vector<unsigned char>& bytes) {
        ::send(m_conn, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    }

    // Reads exactly n bytes; fewer when the client closed or nothing came.
    std::vector<unsigned char> Read(std::size_t n) {
        std::vector<unsigned char> out;
        unsigned char buf[4096];
        while (out.size() < n && Wait(m_conn)) {
            const ssize_t got = ::recv(m_conn, buf, std::min(sizeof buf, n - out.size()), 0);
            if (got <= 0)
                break;
            out.insert(out.end(), buf, buf + got);
        }
        return out;
    }

    // True once the client has closed its end.
    bool WaitForClose() {
        unsigned char buf[256];
        while (Wait(m_conn)) {
            const ssize_t got = ::recv(m_conn, buf, sizeof buf, 0);
            if (got <= 0)
                return true;
        }
        return false;
    }

    void Drop() {
        if (m_conn >= 0)
            ::close(m_conn);
        m_conn = -1;
    }

private:
    static bool Wait(int fd) {
        pollfd p{fd, POLLIN, 0};
        return ::poll(&p, 1, kWaitMs) == 1;
    }

    int m_listen = -1;
    int m_conn = -1;
    unsigned short m_port = 0;
};
