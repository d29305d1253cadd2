#include "crash/SystemSection.h"

#include "crash/CLogWriter.h"
#include "crash/LogSections.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/utsname.h>

namespace {

// The user address space of an x86-64 process with 4-level page tables.
constexpr std::uint64_t kUserAddressSpace = std::uint64_t{1} << 47;

std::string_view Trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

bool SameText(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

template <class F> void ForEachLine(std::string_view text, F&& onLine) {
    while (!text.empty()) {
        const auto end = text.find('\n');
        if (!onLine(text.substr(0, end)) || end == std::string_view::npos)
            return;
        text.remove_prefix(end + 1);
    }
}

// "KEY=value" or "KEY=\"value\"" of os-release.
std::string OsReleaseValue(std::string_view text, std::string_view key) {
    std::string value;
    ForEachLine(text, [&](std::string_view line) {
        line = Trim(line);
        if (line.size() <= key.size() || line.substr(0, key.size()) != key || line[key.size()] != '=')
            return true;
        std::string_view raw = line.substr(key.size() + 1);
        if (raw.size() >= 2 && (raw.front() == '"' || raw.front() == '\'') && raw.back() == raw.front())
            raw = raw.substr(1, raw.size() - 2);
        value = std::string(raw);
        return false;
    });
    return value;
}

// "Key:   1234 kB" lines of /proc/meminfo, in kB.
bool MemInfoKb(std::string_view text, std::string_view key, std::uint64_t& kb) {
    bool found = false;
    ForEachLine(text, [&](std::string_view line) {
        if (line.size() <= key.size() || line.substr(0, key.size()) != key || line[key.size()] != ':')
            return true;
        found = std::sscanf(std::string(line.substr(key.size() + 1)).c_str(), "%lu", &kb) == 1;
        return false;
    });
    return found;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::int64_t Megabytes(std::uint64_t bytes) {
    return static_cast<std::int64_t>(bytes >> 20);
}

void MemoryLine(CLogWriter& w, const char* title, std::int64_t total, std::int64_t available) {
    w.Text(title).Text("：总共 ").Dec(total).Text(" MB, 剩余 ").Dec(available).Text(" MB\n");
}

} // namespace

std::string OsName(std::string_view osRelease, std::string_view kernelRelease, std::string_view machine) {
    std::string name = OsReleaseValue(osRelease, "PRETTY_NAME");
    if (name.empty())
        name = OsReleaseValue(osRelease, "NAME");
    if (!name.empty())
        name += ", ";
    name += "Linux ";
    name += kernelRelease;
    name += " (";
    name += machine;
    name += ")";
    return name;
}

std::string CpuText(std::string_view cpuinfo) {
    std::string text = "AMD64";
    ForEachLine(cpuinfo, [&](std::string_view line) {
        const auto colon = line.find(':');
        if (colon == std::string_view::npos || Trim(line.substr(0, colon)) != "model name")
            return true;
        text += " ";
        text += Trim(line.substr(colon + 1));
        return false;
    });
    return text;
}

bool MemoryFigures(std::string_view meminfo, std::uint64_t addressSpace, std::uint64_t vmSizeKb,
                   tagMemoryFigures& figures) {
    std::uint64_t total = 0, available = 0, commitLimit = 0, committed = 0;
    if (!MemInfoKb(meminfo, "MemTotal", total) || !MemInfoKb(meminfo, "MemAvailable", available) ||
        !MemInfoKb(meminfo, "CommitLimit", commitLimit) || !MemInfoKb(meminfo, "Committed_AS", committed))
        return false;
    figures.nPhysTotal = Megabytes(total << 10);
    figures.nPhysFree = Megabytes(available << 10);
    figures.nVirtTotal = Megabytes(addressSpace);
    const std::uint64_t used = vmSizeKb << 10;
    figures.nVirtFree = Megabytes(used < addressSpace ? addressSpace - used : 0);
    // The Windows "page file" figures are the commit limit and what is left
    // of it; the kernel keeps the same two numbers.
    figures.nPageTotal = Megabytes(commitLimit << 10);
    figures.nPageFree = Megabytes(committed < commitLimit ? (commitLimit - committed) << 10 : 0);
    return true;
}

std::string IniValue(std::string_view ini, std::string_view section, std::string_view key) {
    bool inSection = false;
    std::string value;
    ForEachLine(ini, [&](std::string_view line) {
        line = Trim(line);
        if (line.empty() || line.front() == ';' || line.front() == '#')
            return true;
        if (line.front() == '[') {
            const auto close = line.find(']');
            inSection = close != std::string_view::npos && SameText(Trim(line.substr(1, close - 1)), section);
            return true;
        }
        const auto equals = line.find('=');
        if (!inSection || equals == std::string_view::npos || !SameText(Trim(line.substr(0, equals)), key))
            return true;
        value = std::string(Trim(line.substr(equals + 1)));
        return false;
    });
    return value;
}

void WriteSystemSection(CLogWriter& w, pid_t pid) {
    WriteSystemSectionTitle(w);
    utsname kernel{};
    if (uname(&kernel) != 0)
        return;
    w.Text("操作系统：")
        .Text(OsName(ReadFile("/etc/os-release"), kernel.release, kernel.machine).c_str())
        .Text("\n");
    w.Text("芯片类型：").Text(CpuText(ReadFile("/proc/cpuinfo")).c_str()).Text("\n");

    const std::string proc = "/proc/" + std::to_string(pid);
    std::uint64_t addressSpace = kUserAddressSpace;
    rlimit limit{};
    if (prlimit(pid, RLIMIT_AS, nullptr, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
        addressSpace = std::min<std::uint64_t>(addressSpace, limit.rlim_cur);
    std::uint64_t vmSizeKb = 0;
    MemInfoKb(ReadFile(proc + "/status"), "VmSize", vmSizeKb);
    tagMemoryFigures memory;
    if (MemoryFigures(ReadFile("/proc/meminfo"), addressSpace, vmSizeKb, memory)) {
        MemoryLine(w, "物理内存", memory.nPhysTotal, memory.nPhysFree);
        MemoryLine(w, "虚拟内存", memory.nVirtTotal, memory.nVirtFree);
        MemoryLine(w, "页面文件", memory.nPageTotal, memory.nPageFree);
    }
    // The installation's Config.ini lies in the program's current directory.
    const std::string version = IniValue(ReadFile(proc + "/cwd/Config.ini"), "Version", "Ver");
    w.Text("产品版本：").Text(version.empty() ? "未知版本" : version.c_str()).Text("\n");
    WriteSystemSectionEnd(w);
}
