#include "platform/ServiceRequest.h"

#include "platform/ServiceChannel.h"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace platform {
namespace {

class SocketPair {
public:
    SocketPair() { m_ok = ::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, m_fd) == 0; }
    ~SocketPair() {
        if (m_fd[0] >= 0) {
            ::close(m_fd[0]);
        }
        CloseTheirs();
    }
    SocketPair(const SocketPair&) = delete;
    SocketPair& operator=(const SocketPair&) = delete;
    bool Ok() const { return m_ok; }
    int Mine() const { return m_fd[0]; }
    int Theirs() const { return m_fd[1]; }
    void CloseTheirs() {
        if (m_fd[1] >= 0) {
            ::close(m_fd[1]);
            m_fd[1] = -1;
        }
    }

private:
    int m_fd[2] = {-1, -1};
    bool m_ok = false;
};

bool ValidName(std::string_view name) {
    if (name.empty()) {
        return false;
    }
    for (char c : name) {
        if (!((c >= 'A' && c <= 'Z') || c == '_')) {
            return false;
        }
    }
    return true;
}

} // namespace

std::string FormatServiceRequest(std::string_view name, std::string_view text) {
    std::string out(name);
    out += '\n';
    out += text;
    return out;
}

bool ParseServiceRequest(std::string_view datagram, std::string& name, std::string& text) {
    const std::size_t end = datagram.find('\n');
    if (end == std::string_view::npos || datagram.size() > kMaxServiceRequest ||
        !ValidName(datagram.substr(0, end))) {
        return false;
    }
    name.assign(datagram.substr(0, end));
    text.assign(datagram.substr(end + 1));
    return true;
}

bool PostServiceRequest(std::string_view name, std::string_view text, std::string* error) {
    return SendDatagram(ServiceSocketCandidates(), FormatServiceRequest(name, text), error);
}

std::optional<std::string> AskService(std::string_view name, std::string_view text, int timeoutMs,
                                      std::string* error) {
    SocketPair pair;
    if (!pair.Ok()) {
        if (error) {
            *error = std::strerror(errno);
        }
        return std::nullopt;
    }
    if (!SendDatagram(ServiceSocketCandidates(), FormatServiceRequest(name, text), error, pair.Theirs())) {
        return std::nullopt;
    }
    // Our copy of the service's end goes: when the service drops its copy
    // unanswered, the read below ends at once instead of at the time-out.
    pair.CloseTheirs();
    pollfd wait{pair.Mine(), POLLIN, 0};
    int ready;
    while ((ready = ::poll(&wait, 1, timeoutMs)) < 0 && errno == EINTR) {
    }
    char buffer[256];
    const ssize_t n = ready > 0 ? ::recv(pair.Mine(), buffer, sizeof buffer, MSG_DONTWAIT) : -1;
    if (n <= 0) {
        if (error) {
            *error = ready == 0 ? "the service did not answer" : "the service refused the request";
        }
        return std::nullopt;
    }
    return std::string(buffer, static_cast<std::size_t>(n));
}

} // namespace platform
