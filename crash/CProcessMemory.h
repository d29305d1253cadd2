#pragma once
// Reads another process's memory without stopping it: the crashed process
// waits in its signal handler while the writer reads. Unreadable memory is a
// failed read, never a fault in the reader.

#include <cstddef>
#include <cstdint>
#include <sys/types.h>

class CProcessMemory {
public:
    explicit CProcessMemory(pid_t pid) noexcept;
    ~CProcessMemory();
    CProcessMemory(const CProcessMemory&) = delete;
    CProcessMemory& operator=(const CProcessMemory&) = delete;

    // True only when all `size` bytes were read.
    bool Read(std::uint64_t addr, void* buffer, std::size_t size) noexcept;

private:
    pid_t m_nPid;
    int m_nMemFd = -1; // /proc/<pid>/mem, opened when process_vm_readv is refused
    bool m_bTriedMemFile = false;
};
