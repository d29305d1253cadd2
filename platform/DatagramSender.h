#pragma once
// One datagram read without waiting, with the credentials the kernel attached
// to it (the socket has SO_PASSCRED). A datagram without them comes from
// nobody anyone trusts: uid -1, pid 0. A sender that wants an answer attaches
// one end of a socket pair (SCM_RIGHTS); further descriptors are closed.

#include <cstddef>
#include <string>
#include <sys/types.h>

namespace platform {

struct DatagramSender {
    uid_t uid = static_cast<uid_t>(-1);
    pid_t pid = 0;
    int replyFd = -1; // owned by the receiver: answer with Answer(), or close it
};

// False when nothing could be read (no datagram waiting, or an error).
bool ReceiveWithSender(int fd, std::size_t maxBytes, std::string& datagram, DatagramSender& sender);

// Sends `text` on the sender's reply descriptor, if it attached one, and
// closes it; a sender that went away costs nothing.
void Answer(DatagramSender& sender, const std::string& text);
// Closes an unused reply descriptor.
void DropReply(DatagramSender& sender);

} // namespace platform
