#pragma once
// One datagram read without waiting, with the credentials the kernel attached
// to it (the socket has SO_PASSCRED). A datagram without them comes from
// nobody anyone trusts: uid -1, pid 0.

#include <cstddef>
#include <string>
#include <sys/types.h>

namespace platform {

struct DatagramSender {
    uid_t uid = static_cast<uid_t>(-1);
    pid_t pid = 0;
};

// False when nothing could be read (no datagram waiting, or an error).
bool ReceiveWithSender(int fd, std::size_t maxBytes, std::string& datagram, DatagramSender& sender);

} // namespace platform
