#include "platform/ServiceChannel.h"

#include "platform/DatagramSender.h"

#include <cerrno>
#include <charconv>
#include <cstdlib>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace platform {
namespace {

constexpr const char* kOverride = "WARROW_SERVICE_SOCKET";
constexpr const char* kSocketName = "warrow-service.sock";
// The system service's socket lives in a folder of its own: a sandboxed
// service may write below /run only in the runtime folder systemd made for it.
constexpr const char* kSystemFolder = "/run/warrow";
constexpr const char* kSystemSocket = "/run/warrow/service.sock";
// Where services before that listened; still tried by senders.
constexpr const char* kOldSystemSocket = "/run/warrow-service.sock";
constexpr std::size_t kMaxDatagram = 128;

std::string TmpFolder() {
    return "/tmp/warrow-" + std::to_string(::getuid());
}

// The /tmp fallback is shared with everyone: use it only when it is our own
// private folder, never one someone else prepared for us.
bool PrivateFolder(const std::string& folder) {
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
        return false;
    }
    struct stat st {};
    return ::lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == ::getuid() &&
           (st.st_mode & 077) == 0;
}

bool MakeAddress(const std::string& path, sockaddr_un& address) {
    address = {};
    address.sun_family = AF_UNIX;
    if (path.empty() || path.size() >= sizeof address.sun_path) {
        errno = ENAMETOOLONG;
        return false;
    }
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

std::string RuntimePath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    return runtime != nullptr && *runtime != '\0' ? std::string(runtime) + "/" + kSocketName : std::string();
}

} // namespace

std::string ServiceSocketPath() {
    if (const char* path = std::getenv(kOverride); path != nullptr && *path != '\0') {
        return path;
    }
    if (std::string runtime = RuntimePath(); !runtime.empty()) {
        return runtime;
    }
    if (::geteuid() == 0) {
        return kSystemSocket;
    }
    return TmpFolder() + "/service.sock";
}

std::vector<std::string> ServiceSocketCandidates() {
    if (const char* path = std::getenv(kOverride); path != nullptr && *path != '\0') {
        return {path};
    }
    std::vector<std::string> candidates;
    if (std::string runtime = RuntimePath(); !runtime.empty()) {
        candidates.push_back(runtime);
    }
    candidates.push_back(kSystemSocket);
    candidates.push_back(kOldSystemSocket);
    candidates.push_back(TmpFolder() + "/service.sock");
    return candidates;
}

bool ParseServiceMessage(std::string_view datagram, std::string& name, long& wParam) {
    const std::size_t space = datagram.find(' ');
    if (datagram.size() > kMaxDatagram || space == std::string_view::npos || space == 0) {
        return false;
    }
    const std::string_view number = datagram.substr(space + 1);
    long value = 0;
    const auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (ec != std::errc() || end != number.data() + number.size() || number.empty()) {
        return false;
    }
    name.assign(datagram.substr(0, space));
    wParam = value;
    return true;
}

namespace {

// One datagram to `address`, with `descriptor` attached when it is one.
bool SendTo(int fd, const sockaddr_un& address, const std::string& text, int descriptor) {
    iovec io{const_cast<char*>(text.data()), text.size()};
    msghdr message{};
    message.msg_name = const_cast<sockaddr_un*>(&address);
    message.msg_namelen = sizeof address;
    message.msg_iov = &io;
    message.msg_iovlen = 1;
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    if (descriptor >= 0) {
        message.msg_control = control;
        message.msg_controllen = sizeof control;
        cmsghdr* c = CMSG_FIRSTHDR(&message);
        c->cmsg_level = SOL_SOCKET;
        c->cmsg_type = SCM_RIGHTS;
        c->cmsg_len = CMSG_LEN(sizeof(int));
        std::memcpy(CMSG_DATA(c), &descriptor, sizeof descriptor);
    }
    return ::sendmsg(fd, &message, MSG_NOSIGNAL) == static_cast<ssize_t>(text.size());
}

} // namespace

bool SendDatagram(const std::vector<std::string>& paths, const std::string& text, std::string* error,
                  int descriptor) {
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        if (error) {
            *error = std::strerror(errno);
        }
        return false;
    }
    std::string reasons;
    bool sent = false;
    for (const auto& path : paths) {
        sockaddr_un address{};
        if (MakeAddress(path, address) && SendTo(fd, address, text, descriptor)) {
            sent = true;
            break;
        }
        reasons += (reasons.empty() ? "" : "; ") + path + ": " + std::strerror(errno);
    }
    ::close(fd);
    if (!sent && error) {
        *error = "nobody is listening (" + reasons + ")";
    }
    return sent;
}

bool PostServiceMessage(const char* name, long wParam, std::string* error) {
    return SendDatagram(ServiceSocketCandidates(), std::string(name) + " " + std::to_string(wParam), error);
}

std::string UserRuntimeFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && *runtime != '\0') {
        return runtime;
    }
    return PrivateFolder(TmpFolder()) ? TmpFolder() : std::string();
}

ServiceSocket::~ServiceSocket() {
    Close();
}

bool ServiceSocket::Open(const std::string& path, std::string* error) {
    Close();
    auto fail = [error, &path](const std::string& what) {
        if (error) {
            *error = path + ": " + what + ": " + std::strerror(errno);
        }
        return false;
    };
    if (path == TmpFolder() + "/service.sock" && !PrivateFolder(TmpFolder())) {
        return fail("folder is not private");
    }
    if (path == kSystemSocket && ::mkdir(kSystemFolder, 0755) != 0 && errno != EEXIST) {
        return fail("folder");
    }
    sockaddr_un address{};
    if (!MakeAddress(path, address)) {
        return fail("address");
    }
    const int fd = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (fd < 0) {
        return fail("socket");
    }
    // Every datagram carries its sender's credentials, filled in by the
    // kernel, so the receiver can tell root and the seat's user from others.
    const int on = 1;
    ::setsockopt(fd, SOL_SOCKET, SO_PASSCRED, &on, sizeof on);
    const auto* sa = reinterpret_cast<const sockaddr*>(&address);
    int bound = ::bind(fd, sa, sizeof address);
    if (bound != 0 && errno == EADDRINUSE) {
        // A socket file nobody listens on is left over from a killed service.
        const int probe = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        const bool alive = probe >= 0 && ::connect(probe, sa, sizeof address) == 0;
        if (probe >= 0) {
            ::close(probe);
        }
        if (alive) {
            ::close(fd);
            errno = EADDRINUSE;
            return fail("another service listens there");
        }
        ::unlink(path.c_str());
        bound = ::bind(fd, sa, sizeof address);
    }
    if (bound != 0) {
        const int saved = errno;
        ::close(fd);
        errno = saved;
        return fail("bind");
    }
    // The console user's programs post to a root service.
    ::chmod(path.c_str(), 0666);
    m_fd = fd;
    m_path = path;
    return true;
}

void ServiceSocket::Close() {
    if (m_fd >= 0) {
        ::close(m_fd);
        ::unlink(m_path.c_str());
        m_fd = -1;
    }
}

bool ServiceSocket::Receive(std::string& datagram, uid_t& senderUid, pid_t& senderPid) {
    DatagramSender sender;
    if (!ReceiveWithSender(m_fd, kMaxDatagram + 1, datagram, sender)) {
        return false;
    }
    DropReply(sender);
    senderUid = sender.uid;
    senderPid = sender.pid;
    return true;
}

bool ServiceSocket::Receive(std::string& datagram, DatagramSender& sender) {
    return ReceiveWithSender(m_fd, kMaxServiceRequest + 1, datagram, sender);
}

bool ServiceSocket::Receive(std::string& datagram) {
    char buffer[kMaxDatagram + 1];
    ssize_t n;
    while ((n = ::recv(m_fd, buffer, sizeof buffer, 0)) < 0 && errno == EINTR) {
    }
    if (n < 0) {
        return false;
    }
    datagram.assign(buffer, static_cast<std::size_t>(n));
    return true;
}

} // namespace platform
