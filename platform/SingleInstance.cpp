#include "platform/SingleInstance.h"

#include <cctype>
#include <fcntl.h>
#include <sys/file.h>
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
    return m_mailbox.Open(InstanceMailboxPath(title), error);
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
