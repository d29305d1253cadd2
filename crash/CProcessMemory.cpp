#include "crash/CProcessMemory.h"

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/uio.h>
#include <unistd.h>

CProcessMemory::CProcessMemory(pid_t pid) noexcept : m_nPid(pid) {}

CProcessMemory::~CProcessMemory() {
    if (m_nMemFd >= 0)
        close(m_nMemFd);
}

bool CProcessMemory::Read(std::uint64_t addr, void* buffer, std::size_t size) noexcept {
    if (size == 0)
        return true;
    iovec local{buffer, size};
    iovec remote{reinterpret_cast<void*>(static_cast<std::uintptr_t>(addr)), size};
    const ssize_t n = process_vm_readv(m_nPid, &local, 1, &remote, 1, 0);
    if (n == static_cast<ssize_t>(size))
        return true;
    if (n >= 0 || errno == EFAULT)
        return false;
    // Some sandboxes refuse the system call but allow the proc file.
    if (!m_bTriedMemFile) {
        m_bTriedMemFile = true;
        const std::string path = "/proc/" + std::to_string(m_nPid) + "/mem";
        m_nMemFd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    }
    return m_nMemFd >= 0 &&
           pread(m_nMemFd, buffer, size, static_cast<off_t>(addr)) == static_cast<ssize_t>(size);
}
