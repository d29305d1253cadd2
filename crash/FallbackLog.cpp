#include "crash/FallbackLog.h"

#include "crash/CLogWriter.h"
#include "crash/LogSections.h"

#include <cstring>
#include <fcntl.h>
#include <sys/utsname.h>
#include <unistd.h>

namespace {

// Static, not on the alternate stack: only the one thread that won the
// first-crash flag ever gets here.
char s_chunk[4096];
char s_line[1024];

bool ParseHex(const char*& p, std::uint64_t& value) noexcept {
    value = 0;
    const char* start = p;
    for (;; ++p) {
        const char c = *p;
        if (c >= '0' && c <= '9')
            value = value << 4 | static_cast<unsigned>(c - '0');
        else if (c >= 'a' && c <= 'f')
            value = value << 4 | static_cast<unsigned>(c - 'a' + 10);
        else
            break;
    }
    return p != start;
}

// One line of /proc/self/maps: "start-end perms offset dev inode   path".
bool LineHolds(const char* line, std::uint64_t addr, const char*& path) noexcept {
    std::uint64_t start = 0;
    std::uint64_t end = 0;
    const char* p = line;
    if (!ParseHex(p, start) || *p++ != '-' || !ParseHex(p, end) || addr < start || addr >= end)
        return false;
    for (int field = 0; field < 4; ++field) {
        while (*p == ' ')
            ++p;
        while (*p != ' ' && *p != '\0')
            ++p;
    }
    while (*p == ' ')
        ++p;
    path = p;
    return true;
}

void FindModule(std::uint64_t addr, char (&module)[kModuleNameSize]) noexcept {
    module[0] = '\0';
    const int fd = open("/proc/self/maps", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return;
    std::size_t length = 0;
    bool found = false;
    ssize_t n = 0;
    while (!found && (n = read(fd, s_chunk, sizeof s_chunk)) > 0) {
        for (ssize_t i = 0; i < n && !found; ++i) {
            if (s_chunk[i] != '\n') {
                if (length + 1 < sizeof s_line)
                    s_line[length++] = s_chunk[i];
                continue;
            }
            s_line[length] = '\0';
            length = 0;
            const char* path = nullptr;
            if (LineHolds(s_line, addr, path)) {
                ModuleDisplayName(path, module);
                found = true;
            }
        }
    }
    close(fd);
}

void WriteSystemLines(CLogWriter& w) noexcept {
    WriteSystemSectionTitle(w);
    // Only what the kernel tells without reading files; the section ends
    // early, as it does whenever the system description is incomplete.
    struct utsname name {};
    if (uname(&name) == 0)
        w.Text("操作系统：Linux ").Text(name.release).Text(" (").Text(name.machine).Text(")\n");
}

void WriteBareStack(CLogWriter& w, bool withVariables) noexcept {
    WriteStackSectionStart(w, withVariables);
    WriteFrameLine(w, 1, nullptr, 0, 0, nullptr, 0);
    w.Text("\n");
    WriteStackSectionEnd(w);
}

} // namespace

void WriteFallbackLog(int fd, const tagCrashRequest& req) noexcept {
    CLogWriter w(fd);
    char module[kModuleNameSize];
    FindModule(static_cast<std::uint64_t>(req.gregs[REG_RIP]), module);
    WriteLogHeader(w);
    WriteSystemLines(w);
    WriteExceptionSection(w, req, CivilTimeOf(req.nTimeSec + req.nUtcOffset), module);
    WriteRegisterSection(w, req);
    WriteBareStack(w, false);
    WriteBareStack(w, true);
    WriteGlobalSection(w);
    w.Flush();
}
