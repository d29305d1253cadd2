#include "crash/FdPassing.h"

#include <cstring>
#include <sys/socket.h>

namespace {

// One byte of payload carrying room for one descriptor.
struct tagFdMessage {
    char byte = 'F';
    iovec iov{};
    alignas(cmsghdr) char control[CMSG_SPACE(sizeof(int))] = {};
    msghdr msg{};

    tagFdMessage() noexcept {
        iov = {&byte, 1};
        msg.msg_iov = &iov;
        msg.msg_iovlen = 1;
        msg.msg_control = control;
        msg.msg_controllen = sizeof control;
    }
};

} // namespace

bool SendFd(int sock, int fd) noexcept {
    tagFdMessage message;
    cmsghdr* cmsg = CMSG_FIRSTHDR(&message.msg);
    cmsg->cmsg_level = SOL_SOCKET;
    cmsg->cmsg_type = SCM_RIGHTS;
    cmsg->cmsg_len = CMSG_LEN(sizeof(int));
    std::memcpy(CMSG_DATA(cmsg), &fd, sizeof fd);
    return sendmsg(sock, &message.msg, MSG_NOSIGNAL) == 1;
}

int ReceiveFd(int sock) noexcept {
    tagFdMessage message;
    if (recvmsg(sock, &message.msg, MSG_CMSG_CLOEXEC) != 1)
        return -1;
    cmsghdr* cmsg = CMSG_FIRSTHDR(&message.msg);
    if (cmsg == nullptr || cmsg->cmsg_level != SOL_SOCKET || cmsg->cmsg_type != SCM_RIGHTS ||
        cmsg->cmsg_len != CMSG_LEN(sizeof(int)))
        return -1;
    int fd = -1;
    std::memcpy(&fd, CMSG_DATA(cmsg), sizeof fd);
    return fd;
}
