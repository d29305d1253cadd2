#include "platform/SingleInstance.h"

#include "platform/DatagramSender.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

// File names made from a program's name: anything but letters, digits and
// non-ASCII characters becomes '_', so "Tavi儿童保护系统 - Warrow" stays readable.
std::string FileNameOf(const std::string& name) {
    std::string out;
    for (unsigned char c : name) {
        out += (std::isalnum(c) || c >= 0x80) ? static_cast<char>(c) : '_';
    }
    return out;
}

} // namespace

SingleInstance::~SingleInstance() {
    if (m_lockFd >= 0) {
        ::close(m_lockFd);
    }
}

bool SingleInstance::Acquire() {
    const std::string folder = UserRuntimeFolder();
    if (folder.empty()) {
        return false;
    }
    const std::string path = folder + "/" + FileNameOf(m_lockName) + ".lock";
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    m_lockFd = fd;
    return true;
}

bool SingleInstance::Listen(const std::string& title, std::string* error) {
    if (!m_mailbox.Open(InstanceMailboxPath(title), error)) {
        return false;
    }
    // Every datagram then carries its sender's credentials.
    const int on = 1;
    ::setsockopt(m_mailbox.Descriptor(), SOL_SOCKET, SO_PASSCRED, &on, sizeof on);
    return true;
}

bool SingleInstance::ReceiveFrom(std::string& datagram, uid_t& sender) {
    DatagramSender from;
    if (!ReceiveWithSender(m_mailbox.Descriptor(), 512, datagram, from)) {
        return false;
    }
    DropReply(from);
    sender = from.uid;
    return true;
}

bool MayRequestQuit(uid_t sender) {
    if (sender == 0) {
        return true;
    }
    for (const std::string& path : ServiceSocketCandidates()) {
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0 && S_ISSOCK(st.st_mode)) {
            return st.st_uid == sender && sender != ::getuid();
        }
    }
    return false;
}

std::string InstanceMailboxPath(const std::string& title) {
    const std::string folder = UserRuntimeFolder();
    return (folder.empty() ? std::string("/nonexistent") : folder) + "/" + FileNameOf(title) + ".window";
}

bool PostToInstance(const std::string& title, const char* name, long wParam, std::string* error) {
    return SendDatagram({InstanceMailboxPath(title)}, std::string(name) + " " + std::to_string(wParam),
                        error);
}

} // namespace platform
