#include "platform/DatagramSender.h"

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <vector>

namespace platform {

bool ReceiveWithSender(int fd, std::size_t maxBytes, std::string& datagram, DatagramSender& sender) {
    std::vector<char> buffer(maxBytes);
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(ucred))];
    iovec io{buffer.data(), buffer.size()};
    msghdr message{};
    message.msg_iov = &io;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    ssize_t n;
    while ((n = ::recvmsg(fd, &message, MSG_DONTWAIT)) < 0 && errno == EINTR) {
    }
    if (n < 0) {
        return false;
    }
    datagram.assign(buffer.data(), static_cast<std::size_t>(n));
    sender = DatagramSender{};
    for (cmsghdr* c = CMSG_FIRSTHDR(&message); c != nullptr; c = CMSG_NXTHDR(&message, c)) {
        if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_CREDENTIALS &&
            c->cmsg_len >= CMSG_LEN(sizeof(ucred))) {
            ucred credentials{};
            std::memcpy(&credentials, CMSG_DATA(c), sizeof credentials);
            sender.uid = credentials.uid;
            sender.pid = credentials.pid;
        }
    }
    return true;
}

} // namespace platform
