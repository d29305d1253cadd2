#pragma once
// The system section of the full log, from what the kernel and the
// installation tell: distribution and kernel, processor model, memory, and
// the product version from Config.ini in the crashed process's directory.

#include <cstdint>
#include <string>
#include <string_view>
#include <sys/types.h>

class CLogWriter;

struct tagMemoryFigures {
    // Megabytes, as the log prints them.
    std::int64_t nPhysTotal = 0, nPhysFree = 0;
    std::int64_t nVirtTotal = 0, nVirtFree = 0;
    std::int64_t nPageTotal = 0, nPageFree = 0;
};

// PRETTY_NAME (else NAME) of os-release, then the kernel.
std::string OsName(std::string_view osRelease, std::string_view kernelRelease, std::string_view machine);
// The first "model name" of /proc/cpuinfo, after the architecture.
std::string CpuText(std::string_view cpuinfo);
// Physical memory and the commit limit from /proc/meminfo; the virtual line
// is the process's address space (`addressSpace` bytes, `vmSizeKb` in use).
bool MemoryFigures(std::string_view meminfo, std::uint64_t addressSpace, std::uint64_t vmSizeKb,
                   tagMemoryFigures& figures);
// A value of an INI text: sections and keys compared without case, blanks
// around names and values ignored, ';' and '#' lines are comments.
std::string IniValue(std::string_view ini, std::string_view section, std::string_view key);

void WriteSystemSection(CLogWriter& w, pid_t pid);
