#include "platform/DatagramSender.h"

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

namespace platform {

bool ReceiveWithSender(int fd, std::size_t maxBytes, std::string& datagram, DatagramSender& sender) {
    std::vector<char> buffer(maxBytes);
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(ucred)) + CMSG_SPACE(sizeof(int))];
    iovec io{buffer.data(), buffer.size()};
    msghdr message{};
    message.msg_iov = &io;
    message.msg_iovlen = 1;
    message.msg_control = control;
    message.msg_controllen = sizeof control;
    ssize_t n;
    while ((n = ::recvmsg(fd, &message, MSG_DONTWAIT | MSG_CMSG_CLOEXEC)) < 0 && errno == EINTR) {
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
        } else if (c->cmsg_level == SOL_SOCKET && c->cmsg_type == SCM_RIGHTS) {
            const std::size_t count = (c->cmsg_len - CMSG_LEN(0)) / sizeof(int);
            for (std::size_t i = 0; i < count; ++i) {
                int received = -1;
                std::memcpy(&received, CMSG_DATA(c) + i * sizeof(int), sizeof received);
                if (sender.replyFd < 0) {
                    sender.replyFd = received;
                } else {
                    ::close(received);
                }
            }
        }
    }
    return true;
}

void Answer(DatagramSender& sender, const std::string& text) {
    if (sender.replyFd >= 0) {
        // Never blocks: the pair holds one short answer; a full or closed
        // pair means the asker stopped waiting.
        (void)::send(sender.replyFd, text.data(), text.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
    }
    DropReply(sender);
}

void DropReply(DatagramSender& sender) {
    if (sender.replyFd >= 0) {
        ::close(sender.replyFd);
        sender.replyFd = -1;
    }
}

} // namespace platform
